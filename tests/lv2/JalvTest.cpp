// The LV2 face in a real LV2 host: Debian's jalv, a JACK client, on a
// private jackd. MIDI from jack_midiseq goes into a Tarvenna sender with
// Thru switched on by jalv's control (-c thru=1) and comes out of its MIDI
// output to jack_midi_dump, in order. jalv.gtk3 embeds the node's panel
// (an X11 UI) in its window, where it draws and answers clicks; the state
// jalv saves has the settings, and jalv loads them back.
#include <gtest/gtest.h>

#include "tests/bridge/JackTools.h"
#include "tests/host/Subprocess.h"
#include "tests/runtime/TempFolder.h"
#include "tests/support/Clicks.h"
#include "tests/support/WaitUntil.h"

#include "host/PngWriter.h"
#include "host/WindowCapture.h"
#include "host/testing/JackServer.h"
#include "host/testing/Xvfb.h"

#include <X11/Xutil.h>

#include <unistd.h>

#include <fstream>
#include <iterator>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace tarvenna::host::test {
namespace {

// A private JACK server, and LV2_PATH at a folder holding only the built
// bundle (LV2 hosts look through every folder on it).
class Jalv : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Running()) << server.Error();
        server.ExportServer();
        ASSERT_EQ(symlink(TARVENNA_LV2_BUNDLE, (plugins / "tarvenna.lv2").c_str()), 0);
        setenv("LV2_PATH", plugins.Path().c_str(), 1);
    }
    void TearDown() override { unsetenv("LV2_PATH"); }

    JackServer server{256};
    tarvenna::test::TempFolder plugins;
};

TEST_F(Jalv, ASenderWithThruPassesMidiThroughInOrder)
{
    // jalv reads commands from its standard input and ends at its end.
    RunningProgram jalv = StartProgram("", {"bash", "-c",
                                            "exec jalv -x -n lv2relay -c thru=1 -c port=3 "
                                            "urn:tarvenna:relay 0< <(exec sleep 60 2>/dev/null)"});
    ASSERT_TRUE(WaitForJackPort("lv2relay:midi_out")) << JackPorts();
    RunningProgram monitor = StartProgram("", {"jack_midi_dump", "monitor"});
    RunningProgram sequencer =
        StartProgram("", {"jack_midiseq", "sequencer", "9600", "0", "60", "4000"});
    ASSERT_TRUE(WaitForJackPort("monitor:input") && WaitForJackPort("sequencer:out"));
    ASSERT_TRUE(JackConnect("lv2relay:midi_out", "monitor:input"));
    ASSERT_TRUE(JackConnect("sequencer:out", "lv2relay:midi_in"));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(sequencer.pid, SIGTERM);
    FinishProgram(sequencer);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(monitor.pid, SIGINT);
    const std::string heard = DumpedNotes(FinishProgram(monitor).out);
    kill(jalv.pid, SIGTERM);
    const ProgramResult ran = FinishProgram(jalv);
    EXPECT_NE(heard.find("+60 -60 +60 -60"), std::string::npos) << heard << "\n"
                                                                << ran.out << ran.err;
}

// The panel: down from jalv's top-level window "Tarvenna" through the
// windows of the panel's size (suil's socket and plug), the last of them.
Window FindPanel(Display* display)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr &&
            std::string(name) == "Tarvenna")
            found = children[i];
        XFree(name);
    }
    XFree(children);
    for (Window at = found; at != 0;) {
        found = at;
        at = 0;
        XQueryTree(display, found, &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display, children[i], &a) && a.width == 170 &&
                a.height == 200 && a.map_state == IsViewable)
                at = children[i];
        }
        XFree(children);
    }
    return found;
}

// The selected mode's button is lit blue around its label.
bool LitBlue(Display* display, Window panel, int x, int y)
{
    RgbImage image;
    if (!CaptureWindow(display, panel, image) || x >= image.width || y >= image.height)
        return false;
    const uint8_t* rgb = &image.pixels[static_cast<std::size_t>(y * image.width + x) * 3];
    return rgb[2] > 160 && rgb[0] < 80 && rgb[1] < 80;
}

// jalv.gtk3's File > Save (Ctrl+S) into `folder`, typed into its dialog
// (no window manager: each window is given the focus and the keys). Before
// any click on the panel: from then on GTK hands the keys of jalv's window
// to the embedded panel, as it does for every X11 UI.
bool SaveState(const std::string& display, const std::string& folder)
{
    const auto tool = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"env", "DISPLAY=" + display, "xdotool"});
        const ProgramResult ran = RunProgram("", words);
        return ran.exitCode == 0 ? ran.out.substr(0, ran.out.find('\n')) : std::string();
    };
    const std::string main = tool({"search", "--name", "^Tarvenna$"});
    if (main.empty())
        return false;
    tool({"windowfocus", main});
    tool({"key", "--window", main, "ctrl+s"});
    std::string dialog;
    if (!tarvenna::test::WaitUntil([&] {
            return !(dialog = tool({"search", "--name", "^Save State$"})).empty();
        }))
        return false;
    // The dialog takes keys a moment after it shows, and the typed path a
    // moment after it is typed.
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(500)); };
    pause();
    tool({"windowfocus", dialog});
    tool({"type", "--window", dialog, folder});
    pause();
    tool({"key", "--window", dialog, "Return"});
    return tarvenna::test::WaitUntil([&] {
        return access((folder + "/state.ttl").c_str(), 0) == 0 &&
               tool({"search", "--name", "^Save State$"}).empty();
    });
}

TEST_F(Jalv, Gtk3EmbedsThePanelAndSavesTheStateJalvLoads)
{
    Xvfb x;
    ASSERT_TRUE(x.Running()) << x.Error();
    x.ExportDisplay();
    RunningProgram jalv =
        StartProgram("", {"jalv.gtk3", "-c", "port=6", "-c", "thru=1", "urn:tarvenna:relay"});
    Display* display = XOpenDisplay(x.Name().c_str());
    ASSERT_NE(display, nullptr);
    Window panel = 0;
    EXPECT_TRUE(tarvenna::test::WaitUntil(
        [&] { return (panel = FindPanel(display)) != 0 && LitBlue(display, panel, 40, 72); },
        std::chrono::seconds(20)))
        << "no panel with Send lit in jalv.gtk3's window";
    tarvenna::test::TempFolder states;
    const std::string saved = states / "saved";
    EXPECT_TRUE(SaveState(x.Name(), saved)) << "jalv.gtk3 saved no state in " << saved;
    if (panel != 0) {
        EXPECT_FALSE(LitBlue(display, panel, 97, 72));
        tarvenna::test::ClickInWindow(display, panel, 113, 72);
        EXPECT_TRUE(tarvenna::test::WaitUntil([&] { return LitBlue(display, panel, 97, 72); }))
            << "Receive not lit after a click on it";
    }
    XCloseDisplay(display);
    kill(jalv.pid, SIGTERM);
    const ProgramResult ran = FinishProgram(jalv);
    EXPECT_EQ(ran.err.find("tarvenna: "), std::string::npos) << ran.err;

    // Loaded by the console jalv, which prints its controls when asked.
    const ProgramResult loaded = RunProgram(
        "",
        {"bash", "-c", "(sleep 1; echo controls; sleep 0.5) | exec jalv -n lv2loaded -l " + saved});
    for (const char* control : {"mode = 0.0", "port = 6.0", "thru = 1.0"})
        EXPECT_NE(loaded.out.find(control), std::string::npos) << control << "\n" << loaded.out;
    std::ifstream state(saved + "/state.ttl");
    const std::string text((std::istreambuf_iterator<char>(state)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("urn:tarvenna:relay#settings"), std::string::npos) << text;
}

}  // namespace
}  // namespace tarvenna::host::test

// The LV2 face in a real LV2 host: Debian's jalv, a JACK client, on a
// private jackd. MIDI from jack_midiseq goes into a Tarvenna sender with
// Thru switched on by jalv's control (-c thru=1) and comes out of its MIDI
// output to jack_midi_dump, in order.
#include <gtest/gtest.h>

#include "tests/bridge/JackTools.h"
#include "tests/host/Subprocess.h"
#include "tests/runtime/TempFolder.h"

#include "host/testing/JackServer.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace tarvenna::host::test {
namespace {

TEST(Jalv, ASenderWithThruPassesMidiThroughInOrder)
{
    JackServer server(256);
    ASSERT_TRUE(server.Running()) << server.Error();
    server.ExportServer();
    // LV2 hosts look through every folder on LV2_PATH: one holding only
    // the built bundle.
    tarvenna::test::TempFolder plugins;
    ASSERT_EQ(symlink(TARVENNA_LV2_BUNDLE, (plugins / "tarvenna.lv2").c_str()), 0);
    setenv("LV2_PATH", plugins.Path().c_str(), 1);
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
    unsetenv("LV2_PATH");
}

}  // namespace
}  // namespace tarvenna::host::test

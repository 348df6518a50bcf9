// Two tarvenna-host processes that talk through JACK, as two hosts that
// keep their plug-ins apart would: a sender of port 3 (and one of port 6)
// in one, receivers of ports 3, 4, 5 and 6 in the other, out-3 connected
// to in-3 and out-6 to in-6 with jack_connect. A third party hears out-3
// (jack_midi_dump), another plays into in-5 (jack_midiseq), and one more
// listens to the receiving process's own out-3, where nothing may echo.
#include <gtest/gtest.h>

#include "tests/bridge/JackTools.h"
#include "tests/host/Subprocess.h"
#include "tests/runtime/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include "host/testing/JackServer.h"
#include "host/testing/NetJackPair.h"
#include "host/scene/MidiFile.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tarvenna::host::test {
namespace {

// 256 frames at 44100 Hz: 172 blocks a second. Six notes on port 3, then
// one that still sounds when the process ends; on port 6 one long note
// whose connection is cut while it sounds.
constexpr const char* kSenders = R"({"title": "senders", "blocks": 300, "nodes": [
  {"mode": "Send", "port": 3, "input": [
    {"block": 20, "midi": [144, 60, 100]}, {"block": 40, "midi": [128, 60, 0]},
    {"block": 50, "midi": [144, 62, 100]}, {"block": 70, "frame": 200, "midi": [128, 62, 0]},
    {"block": 80, "midi": [144, 64, 90]}, {"block": 80, "frame": 100, "midi": [144, 67, 90]},
    {"block": 100, "midi": [128, 64, 0]}, {"block": 101, "midi": [144, 67, 0]},
    {"block": 110, "midi": [144, 65, 80]}, {"block": 130, "midi": [128, 65, 0]},
    {"block": 140, "midi": [144, 72, 100]}]},
  {"mode": "Send", "port": 6, "input": [
    {"block": 10, "midi": [144, 70, 100]}, {"block": 290, "midi": [128, 70, 0]}]}]})";
constexpr const char* kSentOnPort3 = "+60 -60 +62 -62 +64 +67 -64 -67 +65 -65 +72 -72";

// The receivers' process has a sender of port 3 too, which plays nothing:
// what came in on its in-3 must not go out on its out-3 all the same.
constexpr const char* kReceivers = R"({"title": "receivers", "blocks": 1, "nodes": [
  {"mode": "Receive", "port": 3}, {"mode": "Receive", "port": 4, "silent": true},
  {"mode": "Receive", "port": 5}, {"mode": "Receive", "port": 6},
  {"mode": "Send", "port": 3}]})";

std::string NotesOf(const std::string& file)
{
    std::vector<TimedMidi> events;
    std::string error;
    if (!ReadMidiFile(file, 1, events, error))
        return error;
    std::string notes;
    for (const TimedMidi& event : events)
        if ((event.status & 0xE0) == 0x80)
            notes += (notes.empty() ? "" : " ") + std::string(event.data2 != 0 ? "+" : "-") +
                     std::to_string(event.data1);
    return notes;
}

void Pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ProgramResult Stop(RunningProgram& program, int signal = SIGTERM)
{
    kill(program.pid, signal);
    return FinishProgram(program);
}

class BridgeProcesses : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Running()) << server.Error();
        server.ExportServer();
        setenv("TARVENNA_JACK", "on", 1);
        std::ofstream(folder / "senders.json") << kSenders;
        std::ofstream(folder / "receivers.json") << kReceivers;
    }
    void TearDown() override
    {
        unsetenv("TARVENNA_JACK");
        unsetenv("TARVENNA_JACK_LINK");
    }

    RunningProgram StartRelay(const std::string& scene, const std::vector<std::string>& options)
    {
        std::vector<std::string> words = {TARVENNA_HOST_EXE, "relay", TARVENNA_MODULE_PATH,
                                          "--scene", folder / scene};
        words.insert(words.end(), options.begin(), options.end());
        return StartProgram(TARVENNA_HOST_EMULATOR, words);
    }

    JackServer server;
    tarvenna::test::TempFolder folder;
};

TEST_F(BridgeProcesses, SenderInOneProcessReachesReceiversOfItsPortInAnother)
{
    RunningProgram receivers =
        StartRelay("receivers.json", {"--play-on", "--quiet", "--midi-out", folder.Path()});
    ASSERT_TRUE(WaitForJackPort("Tarvenna:in-8")) << JackPorts();
    RunningProgram senders = StartRelay("senders.json", {"--wait-start", "--quiet"});
    ASSERT_TRUE(WaitForJackPort("Tarvenna-tarvenna-host:in-8")) << JackPorts();
    RunningProgram monitor = StartProgram("", {"jack_midi_dump", "monitor"});
    RunningProgram echo = StartProgram("", {"jack_midi_dump", "echo"});
    RunningProgram sequencer =
        StartProgram("", {"jack_midiseq", "sequencer", "9600", "0", "60", "6000"});
    ASSERT_TRUE(WaitForJackPort("monitor:input") && WaitForJackPort("echo:input") &&
                WaitForJackPort("sequencer:out"));
    ASSERT_TRUE(JackConnect("Tarvenna-tarvenna-host:out-3", "Tarvenna:in-3"));
    ASSERT_TRUE(JackConnect("Tarvenna-tarvenna-host:out-3", "monitor:input"));
    ASSERT_TRUE(JackConnect("Tarvenna-tarvenna-host:out-6", "Tarvenna:in-6"));
    ASSERT_TRUE(JackConnect("sequencer:out", "Tarvenna:in-5"));
    ASSERT_TRUE(JackConnect("Tarvenna:out-3", "echo:input"));

    kill(senders.pid, SIGUSR1);
    // Port 6's note sounds from block 10 to block 290 (0.06 s to 1.7 s).
    Pause(900);
    EXPECT_TRUE(JackDisconnect("Tarvenna-tarvenna-host:out-6", "Tarvenna:in-6"));
    const ProgramResult sent = FinishProgram(senders);
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    Pause(300);
    Stop(sequencer);
    Pause(300);
    const ProgramResult received = Stop(receivers);
    const std::string heard = Stop(monitor, SIGINT).out;
    const std::string echoed = Stop(echo, SIGINT).out;

    // Exit code 0: no note sounds at any receiver, and port 4's heard nothing.
    EXPECT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(NotesOf(folder / "instance-1.mid"), kSentOnPort3);
    EXPECT_EQ(NotesOf(folder / "instance-2.mid"), "");
    EXPECT_EQ(NotesOf(folder / "instance-3.mid").rfind("+60 -60", 0), 0u)
        << NotesOf(folder / "instance-3.mid");
    EXPECT_EQ(NotesOf(folder / "instance-4.mid"), "+70 -70") << "ended when the cable was cut";
    EXPECT_EQ(DumpedNotes(heard), kSentOnPort3) << heard;
    EXPECT_EQ(DumpedNotes(echoed), "") << echoed;
}

// Two receiving processes and a sending one with `link = auto`, nobody
// patching: each receiver of port 3 hears what was sent once (the receivers'
// outputs reach the sender and each other too, and carry nothing back).
TEST_F(BridgeProcesses, ProcessesOnLinkAutoRelayWithoutPatching)
{
    setenv("TARVENNA_JACK_LINK", "auto", 1);
    const std::string first = folder / "first";
    const std::string second = folder / "second";
    mkdir(first.c_str(), 0700);
    mkdir(second.c_str(), 0700);
    RunningProgram receiversA =
        StartRelay("receivers.json", {"--play-on", "--quiet", "--midi-out", first});
    ASSERT_TRUE(WaitForJackPort("Tarvenna:in-8")) << JackPorts();
    RunningProgram receiversB =
        StartRelay("receivers.json", {"--play-on", "--quiet", "--midi-out", second});
    ASSERT_TRUE(WaitForJackPort("Tarvenna-tarvenna-host:in-8")) << JackPorts();
    RunningProgram senders = StartRelay("senders.json", {"--wait-start", "--quiet"});
    ASSERT_TRUE(WaitForJackPort("Tarvenna-tarvenna-host-2:in-8")) << JackPorts();
    for (const char* to : {"Tarvenna:in-3", "Tarvenna-tarvenna-host:in-3"})
        EXPECT_TRUE(tarvenna::test::WaitUntil(
            [&] { return JackConnected("Tarvenna-tarvenna-host-2:out-3", to); },
            std::chrono::seconds(10)))
            << to;

    kill(senders.pid, SIGUSR1);
    const ProgramResult sent = FinishProgram(senders);
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    Pause(300);
    for (RunningProgram* receivers : {&receiversA, &receiversB}) {
        const ProgramResult received = Stop(*receivers);
        EXPECT_EQ(received.exitCode, 0) << received.out << received.err;
    }
    for (const std::string& heard : {first, second}) {
        EXPECT_EQ(NotesOf(heard + "/instance-1.mid"), kSentOnPort3) << heard;
        EXPECT_EQ(NotesOf(heard + "/instance-4.mid"), "+70 -70") << heard;
    }
}

// Two machines (network namespaces) joined by netJACK: the senders play
// on the slave's server, their out-3 patched into the slave's MIDI
// playback; on the master, what comes from the slave is patched into the
// receivers' in-3. The receiver of port 3 hears what was sent.
TEST_F(BridgeProcesses, NetJackCarriesWhatASenderPlaysToAnotherMachine)
{
    if (server.Kind() == JackServerKind::PipeWire)
        GTEST_SKIP() << "netJACK is jackd's";
    if (geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root";
    NetJackPair machines;
    ASSERT_TRUE(machines.Running()) << machines.Error();
    const auto onServer = [](const std::string& name) {
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    };
    onServer(machines.MasterName());
    RunningProgram receivers =
        StartRelay("receivers.json", {"--play-on", "--quiet", "--midi-out", folder.Path()});
    ASSERT_TRUE(WaitForJackPort("Tarvenna:in-3")) << JackPorts();
    ASSERT_TRUE(JackConnect(machines.Remote() + ":midi_from_slave_1", "Tarvenna:in-3"))
        << JackPorts();
    onServer(machines.SlaveName());
    RunningProgram senders = StartRelay("senders.json", {"--wait-start", "--quiet"});
    ASSERT_TRUE(WaitForJackPort("Tarvenna:out-3")) << JackPorts();
    ASSERT_TRUE(JackConnect("Tarvenna:out-3", "system:midi_playback_1")) << JackPorts();

    kill(senders.pid, SIGUSR1);
    const ProgramResult sent = FinishProgram(senders);
    EXPECT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    Pause(300);
    const ProgramResult received = Stop(receivers);
    EXPECT_EQ(received.exitCode, 0) << received.out << received.err;
    EXPECT_EQ(NotesOf(folder / "instance-1.mid"), kSentOnPort3);
}

}  // namespace
}  // namespace tarvenna::host::test

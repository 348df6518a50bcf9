// The tarvenna-host command line, run as its own process.
#include <gtest/gtest.h>

#include <string>

#include "tests/host/Subprocess.h"

namespace tarvenna::host::test {
namespace {

ProgramResult RunHost(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TARVENNA_HOST_EXE);
    return RunProgram(TARVENNA_HOST_EMULATOR, arguments);
}

bool HasLine(const std::string& text, const std::string& line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(HostInfoCommand, PrintsWhatAHostSeesOfTheModule)
{
    const ProgramResult r = RunHost({"info", HOST_FIXTURE_MODULE});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const char* expected[] = {
        "entry: VSTPluginMain",
        "magic: VstP (0x56737450)",
        "unique ID: TvFx (0x54764678)",
        "programs: 1",
        "parameters: 2",
        "inputs: 2",
        "outputs: 2",
        "flags: 0x00000130 (replacing chunks synth)",
        "version: 7",
        "effect name: Host Fixture",
        "vendor: Tarvenna Tests",
        "product: Fixture Product",
        "vendor version: 321",
        "canDo receiveVstMidiEvent: 1",
        "canDo sendVstMidiEvent: 1",
        "canDo receiveVstTimeInfo: -1",
        "canDo bypass: -1",
        "category: 2",
        "VST version: 2400",
        "program: 0 \"Init\"",
        "parameter 0: Gain = 0.50 dB",
        "parameter 1: Echo = 0.25",
    };
    for (const char* line : expected)
        EXPECT_TRUE(HasLine(r.out, line)) << line << "\n" << r.out;
    EXPECT_TRUE(HasLine(r.out, std::string("module: ") + HOST_FIXTURE_MODULE)) << r.out;
}

TEST(HostInfoCommand, NamesTheEntryItFound)
{
    const ProgramResult r = RunHost({"info", HOST_FIXTURE_MAIN_ONLY});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(HasLine(r.out, "entry: main")) << r.out;
}

TEST(HostInfoCommand, MissingModuleFailsWithTheLoadersText)
{
    const ProgramResult r = RunHost({"info", "/nonexistent/tarvenna.so"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot load /nonexistent/tarvenna.so"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST(HostInfoCommand, NullInstanceFails)
{
    const ProgramResult r = RunHost({"--host-version", "0", "info", HOST_FIXTURE_MODULE});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("returned no instance"), std::string::npos) << r.err;
}

TEST(HostInfoCommand, ModuleWithoutEntryFails)
{
    const ProgramResult r = RunHost({"info", HOST_FIXTURE_NO_ENTRY});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no entry point"), std::string::npos) << r.err;
}

TEST(HostCommandLine, HelpListsTheCommands)
{
    const ProgramResult r = RunHost({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("info <module.so>"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--host-product"), std::string::npos) << r.out;
}

TEST(HostCommandLine, MistakesAreUsageErrors)
{
    EXPECT_EQ(RunHost({}).exitCode, 2);
    EXPECT_EQ(RunHost({"info"}).exitCode, 2);
    EXPECT_EQ(RunHost({"info", "a.so", "b.so"}).exitCode, 2);
    EXPECT_EQ(RunHost({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(RunHost({"--host-version"}).exitCode, 2);
    EXPECT_EQ(RunHost({"--host-version", "x", "info", HOST_FIXTURE_MODULE}).exitCode, 2);
    EXPECT_EQ(RunHost({"--bogus", "info", HOST_FIXTURE_MODULE}).exitCode, 2);
}

}  // namespace
}  // namespace tarvenna::host::test

// Switching the plug-in on and off: the suspended flag, the texts made at
// the first resume and the MIDI request.
#include "TestPlugin.h"

#include "gui/SGlobals.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class PluginResume : public ::testing::Test {
protected:
    PluginResume() : host(FakeHost::Reset()) {}

    void SwitchOn() { plugin().Dispatch(effMainsChanged, 0, 1); }
    void SwitchOff() { plugin().Dispatch(effMainsChanged, 0, 0); }

    // Made on first use, after the test has set the host's answers.
    HostedPlugin& plugin()
    {
        if (!hosted)
            hosted.reset(new HostedPlugin);
        return *hosted;
    }

    FakeHost& host;
    DisplayGuard displays;
    std::unique_ptr<HostedPlugin> hosted;
};

TEST_F(PluginResume, SuspendedUntilSwitchedOnAndAgainWhenSwitchedOff)
{
    EXPECT_TRUE(plugin().plugin->Suspended());
    SwitchOn();
    EXPECT_FALSE(plugin().plugin->Suspended());
    SwitchOff();
    EXPECT_TRUE(plugin().plugin->Suspended());
}

TEST_F(PluginResume, EveryResumeAsksForMidi)
{
    SwitchOn();
    SwitchOff();
    SwitchOn();
    EXPECT_EQ(host.Count(audioMasterWantMidi), 2);
    EXPECT_EQ(host.Last(audioMasterWantMidi).value, 1);
}

TEST_F(PluginResume, HostDirectoryIsAskedOnceAndCutToItsDirectory)
{
    host.directory = "/usr/lib/vst/plug.so";
    EXPECT_EQ(plugin().plugin->DirectoryText(), nullptr);
    SwitchOn();
    SwitchOn();
    EXPECT_EQ(host.Count(audioMasterGetDirectory), 1);
    EXPECT_STREQ(plugin().plugin->DirectoryText(), "/usr/lib/vst/");
    EXPECT_STREQ(plugin().plugin->NameText(), "Tarvenna");
}

TEST_F(PluginResume, NoDirectoryFromTheHostLeavesTheTextEmptyForGood)
{
    SwitchOn();
    host.directory = "/late/answer/";
    SwitchOn();
    EXPECT_EQ(host.Count(audioMasterGetDirectory), 1);
    EXPECT_STREQ(plugin().plugin->DirectoryText(), "");
}

TEST_F(PluginResume, DirectoryLongerThanAnyFixedBufferIsKeptWhole)
{
    const std::string directory = "/" + std::string(300, 'a') + "/" + std::string(300, 'b') + "/";
    const std::string path = directory + "plug.so";
    host.directory = path.c_str();
    SwitchOn();
    EXPECT_EQ(plugin().plugin->DirectoryText(), directory);
}

TEST_F(PluginResume, EditorOpeningCopiesTheTextsIntoTheGlobals)
{
    host.directory = "/opt/vst/plug.so";
    void* parent = reinterpret_cast<void*>(uintptr_t{0x2a00001});
    plugin().Dispatch(effEditOpen, 0, 0, parent);
    SGlobals& globals = *plugin().plugin->Globals();
    EXPECT_STREQ(globals.binaryName.data, "");
    EXPECT_STREQ(globals.binaryDirectory.data, "");

    plugin().Dispatch(effEditClose);
    SwitchOn();
    plugin().Dispatch(effEditOpen, 0, 0, parent);
    EXPECT_STREQ(globals.binaryName.data, "Tarvenna");
    EXPECT_STREQ(globals.binaryDirectory.data, "/opt/vst/");
}

}  // namespace

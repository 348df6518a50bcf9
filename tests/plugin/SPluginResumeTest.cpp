// Switching the plug-in on and off: the suspended flag, the texts made at
// the first resume and the MIDI request.
#include "TestPlugin.h"

#include "gui/SGlobals.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using tarvenna::host::HostConfig;

class PluginResume : public ::testing::Test {
protected:
    void SwitchOn() { plugin().Dispatch(effMainsChanged, 0, 1); }
    void SwitchOff() { plugin().Dispatch(effMainsChanged, 0, 0); }

    // Made on first use, after the test has set the host's answers.
    HostedPlugin& plugin()
    {
        if (!hosted)
            hosted.reset(new HostedPlugin(answers));
        return *hosted;
    }
    // The host's answer from now on, also for a plug-in already made.
    void SetDirectory(const std::string& directory)
    {
        answers.directory = directory;
        if (hosted)
            hosted->instance->UpdateConfig([&](HostConfig& c) { c.directory = directory; });
    }
    std::size_t Requests(VstInt32 opcode) const { return hosted->Requests().Count(opcode); }

    HostConfig answers = PluginTestAnswers();
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
    EXPECT_EQ(Requests(audioMasterWantMidi), 2u);
    EXPECT_EQ(LastRequest(*plugin().instance, audioMasterWantMidi).value, 1);
}

TEST_F(PluginResume, HostDirectoryIsAskedOnceAndCutToItsDirectory)
{
    SetDirectory("/usr/lib/vst/plug.so");
    EXPECT_EQ(plugin().plugin->DirectoryText(), nullptr);
    SwitchOn();
    SwitchOn();
    EXPECT_EQ(Requests(audioMasterGetDirectory), 1u);
    EXPECT_STREQ(plugin().plugin->DirectoryText(), "/usr/lib/vst/");
    EXPECT_STREQ(plugin().plugin->NameText(), "Tarvenna");
}

TEST_F(PluginResume, NoDirectoryFromTheHostLeavesTheTextEmptyForGood)
{
    SwitchOn();
    SetDirectory("/late/answer/");
    SwitchOn();
    EXPECT_EQ(Requests(audioMasterGetDirectory), 1u);
    EXPECT_STREQ(plugin().plugin->DirectoryText(), "");
}

TEST_F(PluginResume, DirectoryLongerThanAnyFixedBufferIsKeptWhole)
{
    const std::string directory = "/" + std::string(300, 'a') + "/" + std::string(300, 'b') + "/";
    const std::string path = directory + "plug.so";
    SetDirectory(path);
    SwitchOn();
    EXPECT_EQ(plugin().plugin->DirectoryText(), directory);
}

TEST_F(PluginResume, EditorOpeningCopiesTheTextsIntoTheGlobals)
{
    SetDirectory("/opt/vst/plug.so");
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

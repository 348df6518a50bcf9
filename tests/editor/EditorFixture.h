// A plug-in under our host library and a second, recording editor on it, so
// that tests can drive the editor directly and see what it asks of the
// panel and of the host.
#pragma once

#include "tests/plugin/RecordingEditor.h"
#include "tests/plugin/TestPlugin.h"

#include "gui/SGlobals.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

class EditorFixture : public ::testing::Test {
protected:
    // Made on first use, after the test has set the host's answers.
    RecordingEditor& editor()
    {
        if (!recording) {
            TestPlugin& made = plugin();
            recording.reset(new RecordingEditor(made, result, *instance));
        }
        return *recording;
    }
    TestPlugin& plugin()
    {
        if (!instance) {
            host.Defaults() = answers;
            instance = MakeTestPlugin(host, result, &owner);
        }
        return *owner;
    }
    // What the plug-in asked of its host so far.
    std::size_t Requests(VstInt32 opcode) const { return instance->Recorded().Count(opcode); }
    tarvenna::host::RequestRecord LastRequest(VstInt32 opcode) const
    {
        return ::LastRequest(*instance, opcode);
    }
    // Opens the editor and lets the idle pass take the opening's refresh,
    // so that a test sees only what it posts itself.
    // The idle thread drives the open editor as well: the opening's full
    // refresh may be its pass or ours, and a pass of its may be under way
    // (slow under qemu) when ours returns.
    void OpenAndSettle()
    {
        editor().open(kParent);
        editor().idle();
        EXPECT_TRUE(Refreshed({-1}));
        editor().ClearRefreshes();
    }
    // Whether the refreshes come to be these: the pass that takes them may
    // be the idle thread's, still under way when the test's own returns.
    ::testing::AssertionResult Refreshed(const std::vector<long>& expected)
    {
        if (tarvenna::test::WaitUntil([&] { return editor().Refreshes() == expected; }))
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult failure = ::testing::AssertionFailure() << "refreshes:";
        for (long index : editor().Refreshes())
            failure << ' ' << index;
        return failure;
    }

    static inline void* const kParent = reinterpret_cast<void*>(uintptr_t{0x2a00001});

    // What the host answers; set before the plug-in is made.
    tarvenna::host::HostConfig answers = PluginTestAnswers();
    tarvenna::host::Host host;
    DisplayGuard displays;
    int result = kLoadUsable;
    TestPlugin* owner = nullptr;  // the instance's
    std::unique_ptr<tarvenna::host::HostInstance> instance;
    std::unique_ptr<RecordingEditor> recording;  // destroyed before its plug-in
};

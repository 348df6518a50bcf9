// A plug-in with a fake host and a second, recording editor on it, so that
// tests can drive the editor directly and see what it asks of the panel.
#pragma once

#include "tests/plugin/RecordingEditor.h"
#include "tests/plugin/TestPlugin.h"

#include "gui/SGlobals.h"

#include <gtest/gtest.h>

#include <memory>

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture() : host(FakeHost::Reset()) {}

    // Made on first use, after the test has set the host's answers.
    RecordingEditor& editor()
    {
        if (!recording)
            recording.reset(new RecordingEditor(plugin(), result));
        return *recording;
    }
    TestPlugin& plugin()
    {
        if (!owner)
            owner.reset(new TestPlugin(result));
        return *owner;
    }
    // Opens the editor and lets the idle pass take the opening's refresh,
    // so that a test sees only what it posts itself.
    void OpenAndSettle()
    {
        editor().open(kParent);
        editor().idle();
        editor().refreshes.clear();
    }

    static inline void* const kParent = reinterpret_cast<void*>(uintptr_t{0x2a00001});

    FakeHost& host;
    DisplayGuard displays;
    int result = kLoadUsable;
    std::unique_ptr<TestPlugin> owner;
    std::unique_ptr<RecordingEditor> recording;  // destroyed before its plug-in
};

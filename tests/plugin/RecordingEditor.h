// An editor that records what it would ask of the panel and of the host's
// window instead of touching either.
#pragma once

#include "FakeHost.h"
#include "TestPlugin.h"

#include "plugin/VstOpcodes.h"

#include <vector>

class RecordingEditor : public SPluginEditor {
public:
    struct ParentResize {
        int width;
        int height;
        int sizeWindowRequestsBefore;  // how many the host had got by then
    };

    RecordingEditor(TestPlugin& plugin, int& result)
        : SPluginEditor(&plugin, plugin.Globals(), result)
    {
    }

    std::vector<long> refreshes;
    std::vector<ParentResize> parentResizes;

protected:
    void RefreshPanel(long index) override { refreshes.push_back(index); }
    void ResizeParent(int width, int height) override
    {
        parentResizes.push_back({width, height, FakeHost::Current().Count(audioMasterSizeWindow)});
    }
};

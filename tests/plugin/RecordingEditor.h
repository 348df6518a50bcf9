// An editor that records what it would ask of the panel and of the host's
// window instead of touching either.
#pragma once

#include "TestPlugin.h"

#include "plugin/VstOpcodes.h"

#include <mutex>
#include <thread>
#include <vector>

class RecordingEditor : public SPluginEditor {
public:
    struct ParentResize {
        int width;
        int height;
        int sizeWindowRequestsBefore;  // how many the host had got by then
    };

    RecordingEditor(TestPlugin& plugin, int& result, const tarvenna::host::HostInstance& host)
        : SPluginEditor(&plugin, plugin.Globals(), result),
          host(host),
          maker(std::this_thread::get_id())
    {
    }

    // The idle thread may be in a pass that refreshes when the test lets go
    // of the editor: retiring here waits for that pass while the lists it
    // records into still exist, which the base's destructor would be too
    // late for (seen as a leak under ASan), and stops the passes before the
    // base's destructor makes this a plain editor under a pass's virtual
    // call (seen as a race under ThreadSanitizer).
    ~RecordingEditor() override { RetireWindows(); }

    // The refreshes asked for, by the test's thread or the toolkit's idle
    // thread, which may be recording one while the test reads.
    std::vector<long> Refreshes() const
    {
        std::lock_guard<std::mutex> guard(recordLock);
        return refreshes;
    }
    void ClearRefreshes()
    {
        std::lock_guard<std::mutex> guard(recordLock);
        refreshes.clear();
    }
    // Refreshes made on the thread that made the editor (the test's, in the
    // host's place), apart from those of the toolkit's idle thread.
    int refreshesOnMakersThread = 0;
    std::vector<ParentResize> parentResizes;

protected:
    void RefreshPanel(long index) override
    {
        if (std::this_thread::get_id() == maker)
            ++refreshesOnMakersThread;
        std::lock_guard<std::mutex> guard(recordLock);
        refreshes.push_back(index);
    }
    void ResizeParent(int width, int height) override
    {
        const auto before = static_cast<int>(host.Recorded().Count(audioMasterSizeWindow));
        parentResizes.push_back({width, height, before});
    }

private:
    mutable std::mutex recordLock;
    std::vector<long> refreshes;
    const tarvenna::host::HostInstance& host;
    const std::thread::id maker;
};

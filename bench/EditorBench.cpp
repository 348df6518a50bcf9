// What the editor costs: one full panel refresh, one lamp change, the event
// procedure's handling of one pointer motion, and the CPU the idle thread
// takes with eight editors open and nothing happening. The nodes are made
// in-process under our host library; their panels draw on a private Xvfb.
#include <benchmark/benchmark.h>

#include "editor/SPluginEditor.h"
#include "editor/SPluginPanel.h"
#include "editor/SStaticData.h"
#include "gui/SControl.h"
#include "gui/widgets/SButton.h"
#include "host/Host.h"
#include "module/ModuleState.h"
#include "relay/VSTPlugin.h"
#include "host/testing/Xvfb.h"

#include <X11/Xlib.h>

#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

using tarvenna::host::HostInstance;

class BenchNode : public VSTPlugin {
public:
    using VSTPlugin::VSTPlugin;
    SPluginEditor* Editor() const { return static_cast<SPluginEditor*>(pluginEditor); }
};

// One X server and the panels of `count` nodes, each in a window of ours.
class Panels {
public:
    explicit Panels(int count) : server({"1280x1024x24"})
    {
        display = server.Running() ? XOpenDisplay(server.Name().c_str()) : nullptr;
        if (display == nullptr)
            return;
        // The toolkit draws on the module's connection, as with a host that
        // passes no display; the colour table is made on it.
        previousConnection = dps;
        dps = display;
        statdata.ClearColours();
        statdata.AddStandardColours();
        for (int i = 0; i < count; ++i)
            Add(i);
    }
    ~Panels()
    {
        instances.clear();
        if (display != nullptr) {
            statdata.Clear();
            // The module closes its own connection at exit; this one is ours.
            dps = previousConnection;
            XCloseDisplay(display);
        }
    }
    bool Ready() const { return display != nullptr && !nodes.empty(); }
    SPluginPanel* Panel(int i) const { return nodes[i]->Editor()->Panel(); }
    void Sync() { XSync(display, False); }

    Display* display = nullptr;
    std::vector<BenchNode*> nodes;

private:
    void Add(int i)
    {
        const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display),
                                                  (i % 7) * 180, (i / 7) * 210, 170, 200, 0, 0, 0);
        XMapWindow(display, parent);
        BenchNode* node = nullptr;
        instances.push_back(host.Instantiate([&](audioMasterCallback callback) {
            int result = 0;
            node = new BenchNode(callback, result, SPluginEditor::Make);
            return node->getAeffect();
        }));
        if (!instances.back())
            return;
        instances.back()->Resume();
        instances.back()->OpenEditor(reinterpret_cast<void*>(parent), 0);
        nodes.push_back(node);
    }

    Display* previousConnection = nullptr;
    tarvenna::host::Xvfb server;
    tarvenna::host::Host host;
    std::vector<std::unique_ptr<HostInstance>> instances;
};

void PanelFullRefresh(benchmark::State& state)
{
    Panels panels(1);
    if (!panels.Ready())
        return state.SkipWithError("no X server");
    for (auto _ : state) {
        panels.Panel(0)->RefreshControls(-1);
        panels.Sync();
    }
}
BENCHMARK(PanelFullRefresh)->Unit(benchmark::kMicrosecond);

void LampChange(benchmark::State& state)
{
    Panels panels(1);
    if (!panels.Ready())
        return state.SkipWithError("no X server");
    bool lit = false;
    for (auto _ : state) {
        lit = !lit;
        panels.Panel(0)->RefreshControls(lit ? VSTPlugin::kMidiInActive : VSTPlugin::kMidiInIdle);
        panels.Sync();
    }
}
BENCHMARK(LampChange)->Unit(benchmark::kMicrosecond);

// The event procedure's share of one motion over a button: finding the
// control and handing it the pointer, without the server's round trip.
void PointerMotionDispatch(benchmark::State& state)
{
    Panels panels(1);
    if (!panels.Ready())
        return state.SkipWithError("no X server");
    XEvent motion{};
    motion.xmotion.type = MotionNotify;
    motion.xmotion.display = panels.display;
    motion.xmotion.window = panels.Panel(0)->PortButtons()[3]->GetWindow();
    motion.xmotion.x = 5;
    motion.xmotion.y = 5;
    for (auto _ : state) {
        motion.xmotion.x ^= 1;
        benchmark::DoNotOptimize(kvor::gui::SControl::eventProc(&motion));
    }
}
BENCHMARK(PointerMotionDispatch);

double ProcessSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The whole process's CPU while eight editors sit open: the idle thread's
// passes every 22 ms and the event pump, as a share of one core.
void EightIdleEditors(benchmark::State& state)
{
    Panels panels(8);
    if (!panels.Ready())
        return state.SkipWithError("no X server");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the opening's refreshes
    double share = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallBefore;
        share = (ProcessSeconds() - cpuBefore) / wall.count();
    }
    state.counters["core_percent"] = share * 100.0;
}
BENCHMARK(EightIdleEditors)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

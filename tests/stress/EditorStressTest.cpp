// Editors under a host whose threads do not wait for each other: a GUI
// thread delivers every X event of the host's display to the procedure in
// "_XEventProc" and clicks at random into the panels, an audio thread plays
// MIDI so that the lamps flicker, the toolkit's idle thread refreshes the
// panels, and the host's main thread opens, closes and destroys editors and
// instances all the while. Then the same with our host's editor hosts and
// the habits of real hosts: a new connection per opening, the window
// destroyed before effEditClose, and 0 for the display. Besides "no crash",
// the sanitizer of the build (ThreadSanitizer in the tsan preset) watches
// every access.
#include "host/EditorHost.h"
#include "host/Host.h"
#include "module/EntryPoint.h"
#include "plugin/ParameterIndex.h"
#include "plugin/VstOpcodes.h"
#include "host/testing/Xvfb.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace tarvenna::host;
using Clock = std::chrono::steady_clock;
using EventProcedure = void (*)(XEvent*);

std::chrono::milliseconds Budget(int milliseconds)
{
    const char* scale = std::getenv("TARVENNA_STRESS_SECONDS");
    if (scale != nullptr && std::atof(scale) > 0)
        return std::chrono::milliseconds(static_cast<int>(std::atof(scale) * 1000));
    return std::chrono::milliseconds(milliseconds);
}

// Whether a stress loop begun at `start` may stop: its budget spent and the
// progress its checks need made, or eight budgets spent. A loaded machine
// (tests run side by side) fits fewer steps into the same time; a plug-in
// that stops making progress still fails the checks after the loop.
bool StressOver(Clock::time_point start, std::chrono::milliseconds budget, bool progressed)
{
    const auto spent = Clock::now() - start;
    return (spent >= budget && progressed) || spent >= 8 * budget;
}

// One slot of the host: an instance, its window, and whether its editor is
// open. The slot's lock orders the host's main and audio threads, as a host
// never processes an instance it is destroying.
struct Slot {
    std::mutex lock;
    std::unique_ptr<HostInstance> instance;
    Window parent = 0;
    bool open = false;
    // Goes before the instance: it closes the editor when it goes.
    std::unique_ptr<EditorHost> editor;
    int openings = 0;
};

class EditorStress : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Running()) << server.Error();
        server.ExportDisplay();
        // A window that went a moment ago makes the property read fail; a
        // host shrugs that off. The toolkit's own traps chain to this.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        gui = XOpenDisplay(server.Name().c_str());
        control = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(gui, nullptr);
        ASSERT_NE(control, nullptr);
        procedureAtom = XInternAtom(gui, "_XEventProc", False);
        for (int i = 0; i < 3; ++i) {
            slots.push_back(std::make_unique<Slot>());
            slots.back()->parent = XCreateSimpleWindow(control, DefaultRootWindow(control), i * 180,
                                                       0, 170, 200, 0, 0, 0);
            XMapWindow(control, slots.back()->parent);
        }
        XSync(control, False);
    }
    void TearDown() override
    {
        for (auto& slot : slots) {
            slot->editor.reset();
            slot->instance.reset();
        }
        if (control != nullptr)
            XCloseDisplay(control);
        // The plug-in keeps the host's display it was given until unload;
        // in this process that is the end of the program.
    }

    // The host's GUI thread: every event of its display goes to the
    // procedure stored on the event's window, read as a host reads it.
    void DeliverEvents()
    {
        while (!stop.load()) {
            while (XPending(gui) > 0) {
                XEvent event;
                XNextEvent(gui, &event);
                if (EventProcedure procedure = ProcedureOf(event.xany.window))
                    procedure(&event);
                ++delivered;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EventProcedure ProcedureOf(Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int status =
            XGetWindowProperty(gui, window, procedureAtom, 0, 1, False, AnyPropertyType, &type,
                               &format, &count, &after, &data);
        EventProcedure procedure = nullptr;
        if (status == Success && data != nullptr && format == 32 && count == 1)
            procedure = reinterpret_cast<EventProcedure>(*reinterpret_cast<unsigned long*>(data));
        if (data != nullptr)
            XFree(data);
        return procedure;
    }

    // Clicks at random into the host's windows, wherever panels may be.
    void Click()
    {
        std::mt19937 random(7);
        while (!stop.load()) {
            XTestFakeMotionEvent(control, -1, static_cast<int>(random() % 530),
                                 static_cast<int>(random() % 200), CurrentTime);
            XTestFakeButtonEvent(control, 1, True, CurrentTime);
            XTestFakeButtonEvent(control, 1, False, CurrentTime);
            XFlush(control);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    }

    // The audio thread: MIDI through every live instance.
    void Play()
    {
        while (!stop.load()) {
            for (auto& slot : slots) {
                std::lock_guard<std::mutex> guard(slot->lock);
                if (slot->instance)
                    slot->instance->RunBlock({{0, 0x90, 60, 100}, {8, 0x80, 60, 0}}, 32);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    bool MakeInstance(Slot& slot)
    {
        slot.instance = host.Instantiate(CreateInstance);
        if (slot.instance)
            slot.instance->Resume();
        return slot.instance != nullptr;
    }

    // The host's main thread: one random step on one slot.
    void Step(std::mt19937& random)
    {
        Slot& slot = *slots[random() % slots.size()];
        std::lock_guard<std::mutex> guard(slot.lock);
        switch (random() % 5) {
        case 0:
        case 1:
            if (!slot.instance) {
                MakeInstance(slot);
                slot.open = false;
            } else if (!slot.open) {
                slot.instance->OpenEditor(reinterpret_cast<void*>(slot.parent),
                                          reinterpret_cast<VstIntPtr>(gui));
                slot.open = true;
                ++openings;
            }
            break;
        case 2:
            if (slot.instance && slot.open) {
                slot.instance->CloseEditor();
                slot.open = false;
            }
            break;
        case 3:
            // Destroyed with the editor open or closed, as hosts do.
            slot.instance.reset();
            slot.open = false;
            break;
        default:
            if (slot.instance)
                slot.instance->SetParameter(kParameterPort,
                                            static_cast<float>(random() % 8) / 7.0f);
            break;
        }
    }

    // The host's main thread with editor hosts of the slot's habit, which
    // deliver the events of their own connections.
    void HabitStep(std::mt19937& random, const std::vector<EditorHostOptions>& habits)
    {
        const std::size_t index = random() % slots.size();
        Slot& slot = *slots[index];
        std::lock_guard<std::mutex> guard(slot.lock);
        switch (random() % 6) {
        case 0:
        case 1:
            if (!slot.instance) {
                if (MakeInstance(slot))
                    slot.editor =
                        std::make_unique<EditorHost>(slot.instance->Effect(), gui, habits[index]);
            } else if (!slot.editor->IsOpen() && slot.editor->Open()) {
                ++slot.openings;
            }
            break;
        case 2:
            if (slot.editor)
                slot.editor->Close();
            break;
        case 3:
            slot.editor.reset();
            slot.instance.reset();
            break;
        default:
            if (slot.editor)
                slot.editor->Pump(5);
            break;
        }
    }

    tarvenna::host::Xvfb server{{"640x480x24"}};
    Display* gui = nullptr;
    Display* control = nullptr;
    Atom procedureAtom = 0;
    Host host;
    std::vector<std::unique_ptr<Slot>> slots;
    std::atomic<bool> stop{false};
    std::atomic<long> delivered{0};
    int openings = 0;
};

TEST_F(EditorStress, EditorsComeAndGoWhileEventsIdlePassesAndAudioRun)
{
    std::thread events([this] { DeliverEvents(); });
    std::thread clicks([this] { Click(); });
    std::thread audio([this] { Play(); });
    std::mt19937 random(11);
    const auto start = Clock::now();
    while (!StressOver(start, Budget(4000), openings > 10 && delivered.load() > 100)) {
        Step(random);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 15));
    }
    for (auto& slot : slots) {
        std::lock_guard<std::mutex> guard(slot->lock);
        slot->instance.reset();
    }
    stop = true;
    audio.join();
    clicks.join();
    events.join();
    EXPECT_GT(openings, 10);
    EXPECT_GT(delivered.load(), 100) << "the host's GUI thread had events to deliver";
}

TEST_F(EditorStress, HostHabitsOpenAndCloseEditorsWhileAudioRuns)
{
    std::vector<EditorHostOptions> habits(slots.size());
    habits[0].connections = Connections::NewPerOpeningClosed;
    // Idle passes queue up for the lock and the connection closes when the
    // host lets go of it.
    habits[0].lockDisplay = true;
    habits[0].lockHeldMs = 30;
    habits[1].destroyWindowFirst = true;
    habits[2].passDisplay = false;
    for (std::size_t i = 0; i < habits.size(); ++i)
        habits[i].x = static_cast<int>(i) * 180;
    std::thread clicks([this] { Click(); });
    std::thread audio([this] { Play(); });
    std::mt19937 random(13);
    const auto everyHabitOpened = [this] {
        for (const auto& slot : slots)
            if (slot->openings <= 3)
                return false;
        return true;
    };
    const auto start = Clock::now();
    while (!StressOver(start, Budget(4000), everyHabitOpened())) {
        HabitStep(random, habits);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 10));
    }
    for (auto& slot : slots) {
        std::lock_guard<std::mutex> guard(slot->lock);
        slot->editor.reset();
        slot->instance.reset();
    }
    stop = true;
    audio.join();
    clicks.join();
    for (std::size_t i = 0; i < slots.size(); ++i)
        EXPECT_GT(slots[i]->openings, 3) << "habit " << i;
}

}  // namespace

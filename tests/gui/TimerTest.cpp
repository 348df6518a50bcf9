// Control timers and the idle thread: ticks on listeners, stopping with the
// control, the idle pass every 22 ms and the thread leaving with the last
// entry.
#include "tests/gui/GuiFixture.h"

#include "runtime/STimer.h"
#include "runtime/STimerIdle.h"
#include "tests/support/ProcessThreads.h"
#include "tests/support/WaitUntil.h"

#include <memory>

using namespace guitest;
using namespace kvor::gui;
using kvor::threading::SPeriodicThread;
using kvor::threading::STimer;
using kvor::threading::STimerIdle;
using tarvenna::test::ThreadsOfProcess;
using tarvenna::test::WaitUntil;

namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class TimerTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        baseline = ThreadsOfProcess();
    }
    void TearDown() override
    {
        EXPECT_TRUE(WaitUntil([this] { return ThreadsOfProcess() == baseline; }))
            << "a test left a thread behind";
        GuiTest::TearDown();
    }
    int baseline = 0;
};

// What the editor registers: a cell whose function word the idle thread
// calls through.
struct IdleProbe {
    static void Tick(void* argument)
    {
        auto* probe = static_cast<IdleProbe*>(argument);
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> guard(probe->lock);
        probe->times.push_back(now);
        if (probe->holdMs > 0) {
            probe->inside = true;
            Pause(probe->holdMs);
            probe->inside = false;
        }
    }
    size_t Calls()
    {
        std::lock_guard<std::mutex> guard(lock);
        return times.size();
    }

    SControl::IdleFunction function = &IdleProbe::Tick;
    std::mutex lock;
    std::vector<std::chrono::steady_clock::time_point> times;
    int holdMs = 0;
    std::atomic<bool> inside{false};
};

}  // namespace

TEST_F(TimerTest, AddTimerTicksOnTheControlItselfUntilDeleted)
{
    auto control = std::make_unique<RecordingControl>(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    std::unique_ptr<STimer> timer(control->AddTimer(10, true));
    EXPECT_TRUE(control->EventHandled(kEventTimerTick));
    ASSERT_TRUE(WaitUntil([&] { return control->parsedCount.load() >= 3; }));
    const std::vector<Parsed> ticks = control->Snapshot();
    EXPECT_EQ(ticks[0].code, kEventTimerTick);
    EXPECT_EQ(ticks[0].kind, kEventKindValue);
    EXPECT_EQ(ticks[0].value, static_cast<int>(timer->Identifier()));
    EXPECT_EQ(ticks[0].sender, control.get());
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 1u);
    timer.reset();
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 0u);
    const int after = control->parsedCount.load();
    Pause(60);
    EXPECT_EQ(control->parsedCount.load(), after);
}

TEST_F(TimerTest, TicksReachOtherListenersAndStopWithTheControl)
{
    RecordingControl listener(&globals, nullptr, 2, 0, 0, 0, 5, 5);
    auto owner = std::make_unique<RecordingControl>(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    const int before = globals.identifierCounter.load();
    owner->CreateTimer(10, true);
    EXPECT_EQ(owner->GetTimerId(), before + 1);
    EXPECT_EQ(owner->GetStyle() & kStyleTimer, kStyleTimer);
    owner->AddEventListener(&listener, kEventTimerTick);
    ASSERT_TRUE(WaitUntil([&] { return listener.parsedCount.load() >= 2; }));
    EXPECT_EQ(listener.Snapshot()[0].value, owner->GetTimerId());
    EXPECT_EQ(owner->parsedCount.load(), 0) << "only registered listeners hear ticks";

    owner.reset();
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 0u);
    const int after = listener.parsedCount.load();
    Pause(60);
    EXPECT_EQ(listener.parsedCount.load(), after);
}

TEST_F(TimerTest, StopAndStartAgain)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    control.CreateTimer(10, false);
    control.AddEventListener(&control, kEventTimerTick);
    Pause(40);
    EXPECT_EQ(control.parsedCount.load(), 0) << "created without starting";
    control.StartTimer(10);
    ASSERT_TRUE(WaitUntil([&] { return control.parsedCount.load() >= 1; }));
    control.StopTimer(false);
    EXPECT_NE(control.GetTimer(), nullptr);
    EXPECT_FALSE(control.GetTimer()->IsRunning());
    const int stopped = control.parsedCount.load();
    Pause(50);
    EXPECT_EQ(control.parsedCount.load(), stopped);
    control.StopTimer(true);
    EXPECT_EQ(control.GetTimer(), nullptr);
    EXPECT_EQ(control.GetTimerId(), 0);
}

TEST_F(TimerTest, NoTicksWhileTheControlIsReleasing)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    control.AddEventListener(&control, kEventTimerTick);
    control.CleanRessources();
    std::unique_ptr<STimer> timer(new STimer(&control, 77, 0));
    timer->Start(5);
    Pause(60);
    EXPECT_EQ(control.parsedCount.load(), 0);
}

TEST_F(TimerTest, AListenerMayStopTheTimerFromInsideItsTick)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    control.stopTimerInTick = true;
    control.CreateTimer(5, false);
    control.AddEventListener(&control, kEventTimerTick);
    control.StartTimer(5);
    ASSERT_TRUE(WaitUntil([&] { return control.parsedCount.load() >= 1; }));
    ASSERT_TRUE(WaitUntil([] { return SPeriodicThread::LiveThreads() == 0; }));
    EXPECT_EQ(control.GetTimer(), nullptr);
    Pause(30);
    EXPECT_EQ(control.parsedCount.load(), 1);
}

TEST_F(TimerTest, IdleFunctionsRunAbout22MsApart)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    IdleProbe probe;
    control.CreateIdleTimer(22, false);
    control.CreateIdleFunction(&probe.function, &probe);
    EXPECT_TRUE(STimerIdle::IdleThreadRunning());
    ASSERT_TRUE(WaitUntil([&] { return probe.Calls() >= 8; }));
    control.DestroyIdleTimer();
    std::lock_guard<std::mutex> guard(probe.lock);
    const auto span = probe.times.back() - probe.times.front();
    const double mean =
        std::chrono::duration<double, std::milli>(span).count() / (probe.times.size() - 1);
    EXPECT_GE(mean, 21.0);
    EXPECT_LE(mean, 150.0);
}

TEST_F(TimerTest, TheIdleThreadLeavesWithTheLastEntryAndComesBack)
{
    IdleProbe first;
    IdleProbe second;
    auto a = std::make_unique<RecordingControl>(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    auto b = std::make_unique<RecordingControl>(&globals, nullptr, 2, 0, 0, 0, 5, 5);
    a->CreateIdleTimer(22, false);
    EXPECT_EQ(ThreadsOfProcess(), baseline + 1);
    b->CreateIdleTimer(22, false);
    EXPECT_EQ(ThreadsOfProcess(), baseline + 1) << "one idle thread for the process";
    a->CreateIdleFunction(&first.function, &first);
    a->CreateIdleFunction(&first.function, &first);
    b->CreateIdleFunction(&second.function, &second);
    EXPECT_EQ(STimerIdle::EntryCount(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return first.Calls() >= 2 && second.Calls() >= 2; }));

    a->DestroyIdleTimer();
    EXPECT_TRUE(STimerIdle::IdleThreadRunning());
    const size_t firstCalls = first.Calls();
    ASSERT_TRUE(WaitUntil([&] { return second.Calls() >= 5; }));
    EXPECT_EQ(first.Calls(), firstCalls) << "a removed entry is not called again";

    b->DestroyIdleTimer();
    EXPECT_FALSE(STimerIdle::IdleThreadRunning());
    EXPECT_EQ(STimerIdle::EntryCount(), 0u);
    // Joined, not just asked to go: it has left our code when the call
    // returns. The kernel drops the task from the list a moment later.
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfProcess() == baseline; }));

    a->CreateIdleTimer(22, false);
    EXPECT_TRUE(STimerIdle::IdleThreadRunning());
    EXPECT_EQ(ThreadsOfProcess(), baseline + 1);
    a->DestroyIdleTimer();
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfProcess() == baseline; }));
}

TEST_F(TimerTest, RemovingAnEntryWaitsForItsCallInProgress)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    IdleProbe probe;
    probe.holdMs = 80;
    control.CreateIdleTimer(22, false);
    control.CreateIdleFunction(&probe.function, &probe);
    ASSERT_TRUE(WaitUntil([&] { return probe.inside.load(); }));
    control.DestroyIdleFunction();
    EXPECT_FALSE(probe.inside.load()) << "returned while the call was still running";
    const size_t calls = probe.Calls();
    Pause(60);
    EXPECT_EQ(probe.Calls(), calls);
    EXPECT_FALSE(STimerIdle::IdleThreadRunning());
    control.DestroyIdleTimer();
}

namespace {

struct SelfRemover {
    static void Tick(void* argument)
    {
        auto* self = static_cast<SelfRemover*>(argument);
        ++self->calls;
        self->control->DestroyIdleTimer();
    }
    SControl::IdleFunction function = &SelfRemover::Tick;
    SControl* control = nullptr;
    std::atomic<int> calls{0};
};

}  // namespace

TEST_F(TimerTest, AnIdleFunctionMayRemoveItselfFromTheIdleThread)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    SelfRemover remover;
    remover.control = &control;
    control.CreateIdleTimer(22, false);
    control.CreateIdleFunction(&remover.function, &remover);
    ASSERT_TRUE(
        WaitUntil([&] { return remover.calls.load() >= 1 && !STimerIdle::IdleThreadRunning(); }));
    Pause(60);
    EXPECT_EQ(remover.calls.load(), 1);
    EXPECT_EQ(control.GetIdleTimer(), nullptr);
}

TEST_F(TimerTest, StopAllWaitsForEveryWorker)
{
    RecordingControl control(&globals, nullptr, 1, 0, 0, 0, 5, 5);
    control.CreateTimer(5, true);
    std::unique_ptr<STimer> extra(control.AddTimer(5, true));
    ASSERT_EQ(SPeriodicThread::LiveThreads(), 2u);
    SPeriodicThread::StopAll();
    EXPECT_EQ(SPeriodicThread::LiveThreads(), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfProcess() == baseline; }));
    const int after = control.parsedCount.load();
    Pause(40);
    EXPECT_EQ(control.parsedCount.load(), after);
    // The owners may still stop and delete their timers afterwards.
    extra.reset();
    control.StopTimer(true);
}

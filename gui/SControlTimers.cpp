// A control's periodic timer and its idle timer.
#include "gui/SControl.h"

#include "runtime/STimer.h"
#include "runtime/STimerIdle.h"

namespace kvor::gui {

void SControl::TimerTick(int identifier)
{
    if (IsReleasing())
        return;
    SEvent tick;
    tick.code = kEventTimerTick;
    tick.kind = kEventKindValue;
    tick.value = identifier;
    tick.sender = this;
    SendEvent(&tick);
}

void SControl::CreateTimer(int ms, bool start)
{
    StopTimer(true);
    AddStyle(kStyleTimer);
    timerIdentifier = DrawIdentifier();
    timer = new threading::STimer(this, static_cast<unsigned>(timerIdentifier), 0);
    if (start)
        timer->Start(static_cast<unsigned>(ms));
}

threading::STimer* SControl::AddTimer(int ms, bool start)
{
    EnableEventHandler(kEventTimerTick);
    AddEventListener(this, kEventTimerTick);
    auto* extra = new threading::STimer(this, static_cast<unsigned>(DrawIdentifier()), 0);
    if (start)
        extra->Start(static_cast<unsigned>(ms));
    return extra;
}

void SControl::StartTimer(int ms)
{
    if (timer != nullptr)
        timer->Start(static_cast<unsigned>(ms));
}

void SControl::StopTimer(bool destroy)
{
    if (timer == nullptr)
        return;
    timer->Stop();
    if (destroy) {
        delete timer;
        timer = nullptr;
        timerIdentifier = 0;
    }
}

void SControl::CreateIdleTimer(int ms, bool flag)
{
    if (idleTimer == nullptr)
        idleTimer = new threading::STimerIdle(this, DrawIdentifier(), ms, flag);
}

void SControl::DestroyIdleTimer()
{
    threading::STimerIdle* doomed = idleTimer;
    idleTimer = nullptr;
    delete doomed;
}

void SControl::CreateIdleFunction(IdleFunction* function, void* argument)
{
    if (idleTimer == nullptr)
        return;
    // A pair replaced here would otherwise stay in the list, called long
    // after its owner has gone.
    const bool replacing =
        idleTimer->GetFunction() != nullptr &&
        (idleTimer->GetFunction() != function || idleTimer->GetArgument() != argument);
    if (replacing)
        idleTimer->RemoveEntry();
    idleTimer->SetFunction(function, argument);
    idleTimer->AddEntry();
}

void SControl::DestroyIdleFunction()
{
    if (idleTimer != nullptr)
        idleTimer->RemoveEntry();
}

}  // namespace kvor::gui

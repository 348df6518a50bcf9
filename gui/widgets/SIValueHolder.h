// Mix-in of controls that hold a value and its default. The value is set
// from the program on the idle thread and from the mouse on the GUI thread
// without a lock between them, so it is atomic.
#pragma once

#include <atomic>

namespace kvor::gui {

template <typename T> class SIValueHolder {
public:
    virtual ~SIValueHolder() = default;

    virtual T GetValue() { return value.load(); }
    // Only stores the value; true when it changed. Widgets add what a
    // change means to them (repaint, report).
    virtual bool SetValue(T newValue, bool) { return value.exchange(newValue) != newValue; }
    virtual T GetValueDef() { return valueDef; }
    // Back to the default, reported.
    virtual bool ResetValue() { return SetValue(valueDef, true); }
    virtual void SetValueDef(T newDefault) { valueDef = newDefault; }

protected:
    std::atomic<T> value{T()};
    T valueDef = T();
};

}  // namespace kvor::gui

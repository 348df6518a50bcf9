// Mix-ins of controls whose value lies in a range: the range with its
// default, middle and step, and the controllable range that also knows its
// unit (one step of the value as a fraction of the whole range).
#pragma once

#include "gui/widgets/Rounding.h"
#include "gui/widgets/SIValueHolder.h"

#include <algorithm>

namespace kvor::gui {

template <typename T> class SIValueRangeHolder : public SIValueHolder<T> {
public:
    virtual void SetValueRange(T minimum, T maximum, T newDefault)
    {
        valueMin = minimum;
        valueMax = maximum;
        SetValueDef(newDefault);
        CalcValueMed();
    }
    // Clamped into the range.
    void SetValueDef(T newDefault) override { this->valueDef = Clamped(newDefault); }
    virtual void SetValueMin(T minimum)
    {
        valueMin = minimum;
        this->valueDef = Clamped(this->valueDef);
        CalcValueMed();
    }
    virtual void SetValueMax(T maximum)
    {
        valueMax = maximum;
        this->valueDef = Clamped(this->valueDef);
        CalcValueMed();
    }
    virtual void CalcValueMed() { valueMed = valueMin + ((valueMax - valueMin) >> 1); }
    virtual bool SetValueMed() { return SIValueHolder<T>::SetValue(valueMed, false); }
    // The value clamped into the range, set and reported.
    virtual bool SetValueClipped(T newValue) { return this->SetValue(Clamped(newValue), true); }
    virtual void SetValueStep(T step) { valueStep = step; }
    virtual T GetValueStep() { return valueStep; }
    virtual T GetValueMin() { return valueMin; }
    virtual T GetValueMax() { return valueMax; }
    virtual T GetValueRange() { return valueMax - valueMin; }
    virtual T GetValueMed() { return valueMed; }
    // x of 0 to 1 as a value of the range; inverted, 0 is the maximum.
    virtual T ScaleValue(float x, bool inverted)
    {
        const float range = static_cast<float>(GetValueRange());
        if (inverted)
            return static_cast<T>(RoundNudged(static_cast<float>(valueMax) - x * range));
        return static_cast<T>(RoundNudged(x * (static_cast<float>(valueMin) + range)));
    }

protected:
    T Clamped(T candidate) const { return std::min(std::max(candidate, valueMin), valueMax); }

    T valueMin = T();
    T valueMax = T();
    T valueMed = T();
    T valueStep = T(1);
};

template <typename T> class SIControllable : public SIValueRangeHolder<T> {
public:
    void SetValueRange(T minimum, T maximum, T newDefault) override
    {
        SIValueRangeHolder<T>::SetValueRange(minimum, maximum, newDefault);
        unit = maximum == minimum ? 1.0f : 1.0f / static_cast<float>(maximum - minimum);
    }
    float GetUnit() const { return unit; }
    // The value back to its default, reported.
    virtual void Reset() { this->ResetValue(); }

protected:
    float unit = 1.0f;
};

}  // namespace kvor::gui

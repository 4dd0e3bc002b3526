// TNumberEditOf<T>: what the integer, float and currency edits share: a value of type T, the
// stepping limits and increment, and stepping itself. A descendant says how the value reads
// and shows, and how one step is summed (false when the sum leaves the type).
#pragma once

#include "editors/tcustomnumberedit.h"

namespace kelmor {

template <typename T>
class TNumberEditOf : public TCustomNumberEdit {
public:
    using TCustomNumberEdit::TCustomNumberEdit;

    T Value() const { return value_; }
    void SetValue(T value) {
        value_ = value;
        UpdateText();
    }
    // Limits of stepping only; both 0 means none. Typed text is not held to them.
    T Min() const { return min_; }
    void SetMin(T min) { min_ = min; }
    T Max() const { return max_; }
    void SetMax(T max) { max_ = max; }
    T Increment() const { return increment_; }
    void SetIncrement(T increment) { increment_ = increment; }

    void StepUp() override { Step(+1); }
    void StepDown() override { Step(-1); }

protected:
    bool InRange() const override { return (min_ == T{} && max_ == T{}) || (min_ <= value_ && value_ <= max_); }
    // value + direction × increment in `next`; false when the sum leaves the type, which is
    // refused like a step beyond the limits.
    virtual bool Sum(int direction, T& next) const = 0;

    T value_{};
    T min_{};
    T max_{};
    T increment_{};

private:
    void Step(int direction) {
        T next{};
        if (!Sum(direction, next)) {
            Beep();
            return;
        }
        const T old = value_;
        value_ = next;
        if (!InRange()) {
            value_ = old;
            Beep();
            return;
        }
        UpdateText();
    }
};

}  // namespace kelmor

// TIntegerEdit: a number edit for 32-bit signed integers in plain decimal.
#pragma once

#include <cstdint>

#include "editors/tcustomnumberedit.h"

namespace kelmor {

class TIntegerEdit : public TCustomNumberEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget* parent = nullptr);

    int32_t Value() const { return value_; }
    void SetValue(int32_t value);
    // Limits of stepping only; both 0 means none. Typed text is not held to them.
    int32_t Min() const { return min_; }
    void SetMin(int32_t min) { min_ = min; }
    int32_t Max() const { return max_; }
    void SetMax(int32_t max) { max_ = max; }
    int32_t Increment() const { return increment_; }
    void SetIncrement(int32_t increment) { increment_ = increment; }

    void StepUp() override { Step(+1); }
    void StepDown() override { Step(-1); }

protected:
    bool IsValidChar(char c) const override;
    void TextToValue(const QString& text) override;
    QString ValueToText() const override;
    bool InRange() const override;

private:
    void Step(int direction);

    int32_t value_ = 0;
    int32_t min_ = 0;
    int32_t max_ = 0;
    int32_t increment_ = 1;
};

}  // namespace kelmor

// TCurrencyEdit: a number edit for currency amounts, held exactly as a 64-bit count of
// ten-thousandths (1.0000 is 10000) and shown in fixed-point notation.
#pragma once

#include <cstdint>

#include "editors/tcustomnumberedit.h"

namespace kelmor {

class TCurrencyEdit : public TCustomNumberEdit {
    Q_OBJECT
public:
    static constexpr int64_t kUnit = 10000;  // ten-thousandths in 1.0000
    static constexpr int kMaxPrecision = 3;

    explicit TCurrencyEdit(QWidget* parent = nullptr);

    // All amounts in ten-thousandths.
    int64_t Value() const { return value_; }
    void SetValue(int64_t value);
    // Limits of stepping only; both 0 means none. Typed text is not held to them.
    int64_t Min() const { return min_; }
    void SetMin(int64_t min) { min_ = min; }
    int64_t Max() const { return max_; }
    void SetMax(int64_t max) { max_ = max; }
    int64_t Increment() const { return increment_; }
    void SetIncrement(int64_t increment) { increment_ = increment; }
    // Decimals shown, 0 to 3 (initially 2); any other number is ignored.
    int Precision() const { return precision_; }
    void SetPrecision(int precision);

    void StepUp() override { Step(+1); }
    void StepDown() override { Step(-1); }

protected:
    bool IsValidChar(char c) const override;
    void TextToValue(const QString& text) override;
    QString ValueToText() const override;
    bool InRange() const override;

private:
    void Step(int direction);

    int64_t value_ = 0;
    int64_t min_ = 0;
    int64_t max_ = 0;
    int64_t increment_ = kUnit;
    int precision_ = 2;
};

}  // namespace kelmor

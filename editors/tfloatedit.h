// TFloatEdit: a number edit for double-precision numbers, shown in one of the notations of
// floatnotation.h with 15 significant digits.
#pragma once

#include "editors/floatnotation.h"
#include "editors/tcustomnumberedit.h"

namespace kelmor {

class TFloatEdit : public TCustomNumberEdit {
    Q_OBJECT
public:
    explicit TFloatEdit(QWidget* parent = nullptr);

    double Value() const { return value_; }
    void SetValue(double value);
    // Limits of stepping only; both 0 means none. Typed text is not held to them.
    double Min() const { return min_; }
    void SetMin(double min) { min_ = min; }
    double Max() const { return max_; }
    void SetMax(double max) { max_ = max; }
    double Increment() const { return increment_; }
    void SetIncrement(double increment) { increment_ = increment; }
    // Notation (initially fixed) and its precision (initially 2): decimals, or for general
    // notation the minimum number of exponent digits. Changing either shows the value again.
    TFloatFormat Format() const { return format_; }
    void SetFormat(TFloatFormat format);
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

    double value_ = 0;
    double min_ = 0;
    double max_ = 0;
    double increment_ = 1.0;
    TFloatFormat format_ = TFloatFormat::Fixed;
    int precision_ = 2;
};

}  // namespace kelmor

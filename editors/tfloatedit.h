// TFloatEdit: a number edit for double-precision numbers, shown in one of the notations of
// floatnotation.h with 15 significant digits.
#pragma once

#include "editors/floatnotation.h"
#include "editors/tnumbereditof.h"

namespace kelmor {

class TFloatEdit : public TNumberEditOf<double> {
    Q_OBJECT
public:
    explicit TFloatEdit(QWidget* parent = nullptr);

    // Notation (initially fixed) and its precision (initially 2): decimals, or for general
    // notation the minimum number of exponent digits. Changing either shows the value again.
    TFloatFormat Format() const { return format_; }
    void SetFormat(TFloatFormat format);
    int Precision() const { return precision_; }
    void SetPrecision(int precision);

protected:
    bool IsValidChar(char c) const override;
    void TextToValue(const QString& text) override;
    QString ValueToText() const override;
    bool Sum(int direction, double& next) const override;

private:
    TFloatFormat format_ = TFloatFormat::Fixed;
    int precision_ = 2;
};

}  // namespace kelmor

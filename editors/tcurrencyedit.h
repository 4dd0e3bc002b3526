// TCurrencyEdit: a number edit for currency amounts, held exactly as a 64-bit count of
// ten-thousandths (1.0000 is 10000) and shown in fixed-point notation.
#pragma once

#include <cstdint>

#include "editors/tnumbereditof.h"

namespace kelmor {

class TCurrencyEdit : public TNumberEditOf<int64_t> {
    Q_OBJECT
public:
    static constexpr int64_t kUnit = 10000;  // ten-thousandths in 1.0000
    static constexpr int kMaxPrecision = 3;

    explicit TCurrencyEdit(QWidget* parent = nullptr);

    // Value, Min, Max and Increment are all in ten-thousandths.
    // Decimals shown, 0 to 3 (initially 2); any other number is ignored.
    int Precision() const { return precision_; }
    void SetPrecision(int precision);

protected:
    bool IsValidChar(char c) const override;
    void TextToValue(const QString& text) override;
    QString ValueToText() const override;
    bool Sum(int direction, int64_t& next) const override;

private:
    int precision_ = 2;
};

}  // namespace kelmor

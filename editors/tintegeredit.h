// TIntegerEdit: a number edit for 32-bit signed integers in plain decimal.
#pragma once

#include <cstdint>

#include "editors/tnumbereditof.h"

namespace kelmor {

class TIntegerEdit : public TNumberEditOf<int32_t> {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget* parent = nullptr);

protected:
    bool IsValidChar(char c) const override;
    void TextToValue(const QString& text) override;
    QString ValueToText() const override;
    bool Sum(int direction, int32_t& next) const override;
};

}  // namespace kelmor

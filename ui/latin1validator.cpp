#include "ui/latin1validator.h"

namespace kelmor {

bool TLatin1Validator::IsLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) return false;
    }
    return true;
}

QValidator::State TLatin1Validator::validate(QString& input, int&) const {
    return IsLatin1(input) ? Acceptable : Invalid;
}

}  // namespace kelmor

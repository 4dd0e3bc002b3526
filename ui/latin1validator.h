// TLatin1Validator: refuses text with characters that the engine's 8-bit Latin-1 text
// cannot hold, so that nothing is changed silently on its way into a database.
#pragma once

#include <QValidator>

namespace kelmor {

class TLatin1Validator : public QValidator {
    Q_OBJECT
public:
    explicit TLatin1Validator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;

    static bool IsLatin1(const QString& text);
};

}  // namespace kelmor

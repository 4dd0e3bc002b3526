// TWaitCursor: the hourglass cursor for the length of a scope, restored on every path
// out of it (also when an error passes through).
#pragma once

#include <QApplication>

namespace kelmor {

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace kelmor

#include "ui/guarded.h"

#include <exception>

#include "ui/common.h"

namespace kelmor {

void Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        ShowErrorReport(FromLatin1(error.what()));
    }
}

}  // namespace kelmor

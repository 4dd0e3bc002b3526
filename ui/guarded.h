// The one error boundary of the desktop program: every slot that calls the engine runs
// its work through Guarded, so that an error reaches the user once, as the standard
// error report, and never leaves the slot.
#pragma once

#include <functional>

namespace kelmor {

void Guarded(const std::function<void()>& action);

}  // namespace kelmor

// The local date and time as a date-time (days since 30 December 1899).
#pragma once

namespace kelmor {
double CurrentDateTime();
}

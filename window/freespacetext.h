// The texts of the database window's information pane.
#pragma once

#include <QString>
#include <cstdint>

#include "engine/regional.h"

namespace kelmor {

// Free disk space in bytes as megabytes: rounded to 9 significant digits, shown with
// thousands separators and 3 decimals, then " MB" ("1,234.567 MB"); -1 gives
// "Not Available.".
QString FreeSpaceText(int64_t bytes, const TRegionalSettings& settings);

// A user name with its first character in upper case and the others in lower case.
QString UserNameText(const QString& name);

}  // namespace kelmor

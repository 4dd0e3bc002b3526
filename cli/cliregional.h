// The regional settings of a command: from its options, else from the environment's
// locale (LC_ALL, LC_NUMERIC, LC_TIME, LANG); the C and POSIX locales give ".", ",",
// yyyy-mm-dd and hh:nn:ss.
#pragma once

#include <optional>
#include <string>

#include "cli/cliapp.h"
#include "engine/regional.h"

namespace kelmor::cli {

// False (message printed) when an option's value is not usable.
bool RegionalSettingsFor(TCliContext& context, TRegionalSettings& settings);

// Whether a locale name is the C or POSIX locale: its name before any "." or "@" is "C"
// or "POSIX" ("C.UTF-8", Debian's default, and "POSIX.UTF-8" are).
bool IsCOrPosixLocale(const std::string& name);

// A C library date or time format ("%d/%m/%Y", "%H:%M:%S") in our format tokens, or
// nothing when it uses a field we do not have.
std::optional<std::string> TokensFromStrftime(const std::string& format);

}  // namespace kelmor::cli

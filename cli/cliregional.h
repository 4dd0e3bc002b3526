// The regional settings of a command: from its options, else from the environment's
// locale (LC_ALL, LC_NUMERIC, LC_TIME); the C and POSIX locales give ".", ",",
// yyyy-mm-dd and hh:nn:ss.
#pragma once

#include <optional>
#include <string>

#include "cliapp.h"
#include "regional.h"

namespace kelmor::cli {

// False (message printed) when an option's value is not usable.
bool RegionalSettingsFor(TCliContext& context, TRegionalSettings& settings);

// A C library date or time format ("%d/%m/%Y", "%H:%M:%S") in our format tokens, or
// nothing when it uses a field we do not have.
std::optional<std::string> TokensFromStrftime(const std::string& format);

}  // namespace kelmor::cli

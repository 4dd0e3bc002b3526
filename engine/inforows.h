// The fifteen rows of the database information, as the program and the command-line
// tool show them: a description and a decimal value each.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/tkelmor.h"

namespace kelmor {

std::vector<std::pair<std::string, std::string>> InfoRows(const TKelmorInfo& info);

}  // namespace kelmor

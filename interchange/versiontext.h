// The program's version as "major.minor", as the exporters write it into their files.
#pragma once

#include <string>

namespace kelmor {
std::string VersionText();
}

#include "interchange/versiontext.h"

#include "interchange/kelmorversion.h"

namespace kelmor {
std::string VersionText() { return std::to_string(KELMOR_VERSION_MAJOR) + "." + std::to_string(KELMOR_VERSION_MINOR); }
}  // namespace kelmor

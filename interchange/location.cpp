#include "interchange/location.h"

#include "engine/tkelmor.h"

namespace kelmor {

namespace {
// Whether `location` begins with `prefix` as a whole component (followed by "\" or
// nothing), so that a top-level node called "RootBeer" keeps its name.
bool StartsWithComponent(const std::string& location, const std::string& prefix) {
    return location.rfind(prefix, 0) == 0 && (location.size() == prefix.size() || location[prefix.size()] == '\\');
}
}  // namespace

std::string NormaliseLocation(std::string location) {
    if (StartsWithComponent(location, "\\Root")) location.erase(0, 5);
    if (StartsWithComponent(location, "Root")) location.erase(0, 4);
    if (location.rfind("\\", 0) == 0) location.erase(0, 1);
    return location;
}

int32_t LocationNode(TKelmorClass& engine, const std::string& normalisedLocation) {
    if (normalisedLocation.empty()) return TKelmorClass::RootNode();
    return engine.FindNodeByPath(normalisedLocation);
}

}  // namespace kelmor

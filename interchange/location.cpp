#include "location.h"

#include "tkelmor.h"

namespace kelmor {

std::string NormaliseLocation(std::string location) {
    if (location.rfind("\\Root", 0) == 0) location.erase(0, 5);
    if (location.rfind("Root", 0) == 0) location.erase(0, 4);
    if (location.rfind("\\", 0) == 0) location.erase(0, 1);
    return location;
}

int32_t LocationNode(TKelmorClass& engine, const std::string& normalisedLocation) {
    if (normalisedLocation.empty()) return TKelmorClass::RootNode();
    return engine.FindNodeByPath(normalisedLocation);
}

}  // namespace kelmor

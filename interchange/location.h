// Locations of imports and exports: a path of node descriptions below the root, as the
// import and export dialogs and the command line take it ("Root", "\Root\A\B", "A\B").
#pragma once

#include <cstdint>
#include <string>

namespace kelmor {

class TKelmorClass;

// Removes a leading "\Root", then a leading "Root" (each only as a whole component),
// then a leading "\"; case-sensitive.
std::string NormaliseLocation(std::string location);

// The node a normalised location names: 0 for the empty location, else the node that
// FindNodeByPath gives (-1 when there is none).
int32_t LocationNode(TKelmorClass& engine, const std::string& normalisedLocation);

}  // namespace kelmor

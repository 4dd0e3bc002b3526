// The key type that an interchange file names ("byte" ... "datetime", as KeyTypeName
// gives them); compared exactly, 0 for a name that is not there.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/keytypes.h"

namespace kelmor {

inline uint8_t KeyTypeFromName(std::string_view name) {
    for (uint8_t type = kFirstKeyType; type <= kLastKeyType; ++type)
        if (name == KeyTypeName(type)) return type;
    return 0;
}

}  // namespace kelmor

// The picture of each key type: the image of its Add command in the command image strip.
// The key list rows and the key editor's frames show it.
#pragma once

#include <cstdint>

namespace kelmor {

// -1 for a number that is no key type.
int KeyTypeImageIndex(uint8_t type);

}  // namespace kelmor

// Where the exporters and the XML writer put their bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelmor {

class TOutputStream {
public:
    virtual ~TOutputStream() = default;
    // Writes the bytes unchanged; raises an error when they cannot be written.
    virtual void Write(std::string_view bytes) = 0;
};

}  // namespace kelmor

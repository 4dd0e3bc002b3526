// An output stream that collects its bytes in memory.
#pragma once

#include <string>

#include "interchange/toutputstream.h"

namespace kelmor {

class TStringOutputStream : public TOutputStream {
public:
    void Write(std::string_view bytes) override { text_.append(bytes); }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace kelmor

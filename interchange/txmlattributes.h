// The attributes of one XML start tag, in the order they are written.
#pragma once

#include <string>
#include <vector>

namespace kelmor {

struct TXMLAttribute {
    std::string name;
    std::string value;
};

class TXMLAttributes {
public:
    void AddAttribute(const std::string& name, const std::string& value) { items_.push_back({name, value}); }
    void Clear() { items_.clear(); }
    const std::vector<TXMLAttribute>& Items() const { return items_; }

private:
    std::vector<TXMLAttribute> items_;
};

}  // namespace kelmor

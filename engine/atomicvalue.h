// TAtomicValue: a field that another thread may store while its owner's thread reads
// and writes it, inside a record that is still copied and assigned like a plain one
// (std::atomic itself is neither). Copying is not atomic as a whole: copy a record only
// while no other thread uses it.
#pragma once

#include <atomic>

namespace kelmor {

template <typename T>
class TAtomicValue {
public:
    constexpr TAtomicValue(T value = T{}) noexcept : value_(value) {}
    TAtomicValue(const TAtomicValue& other) noexcept : value_(other.value_.load()) {}
    TAtomicValue& operator=(const TAtomicValue& other) noexcept {
        value_.store(other.value_.load());
        return *this;
    }
    TAtomicValue& operator=(T value) noexcept {
        value_.store(value);
        return *this;
    }
    operator T() const noexcept { return value_.load(); }

private:
    std::atomic<T> value_;
};

}  // namespace kelmor

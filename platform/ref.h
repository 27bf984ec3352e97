#pragma once
// Nullable references and bounds-checked arrays with the program's errors:
// using an empty reference raises NilObjectException, an index outside an
// array raises OutOfBoundsException.
#include "platform/errors.h"
#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(T* p) : p_(p) {} // NOLINT: implicit from a raw pointer, like the accessors' results
    T* operator->() const
    {
        if (!p_)
            throw NilObjectException(QStringLiteral("empty object reference"));
        return p_;
    }
    T& operator*() const { return *operator->(); }
    T* get() const { return p_; }
    bool isNil() const { return p_ == nullptr; }
    explicit operator bool() const { return p_ != nullptr; }
    // Identity: two references are equal when they name the same object
    // (two empty references are equal).
    friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

template <class T, std::size_t N>
class BoundedArray {
public:
    T& operator[](int64_t i)
    {
        check(i);
        return items_[static_cast<std::size_t>(i)];
    }
    const T& operator[](int64_t i) const
    {
        check(i);
        return items_[static_cast<std::size_t>(i)];
    }
    static constexpr int64_t size() { return static_cast<int64_t>(N); }
    void fill(const T& v) { items_.fill(v); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static void check(int64_t i)
    {
        if (i < 0 || i >= static_cast<int64_t>(N))
            throw OutOfBoundsException(QStringLiteral("index %1 outside 0 to %2").arg(i).arg(N - 1));
    }
    std::array<T, N> items_{};
};

} // namespace platform

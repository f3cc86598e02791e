#pragma once

// A value kept on the heap so that a type can hold one of its own kind (a link holds its label view):
// copies copy the value, and equality compares the values, as if it were held in place.

#include <memory>
#include <utility>

namespace qb::ui {

template <class T>
class Indirect {
  public:
    // Implicit, so that a value converts as it would to a member held in place.
    Indirect(T value) : value_(std::make_unique<T>(std::move(value))) {}
    Indirect(const Indirect& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
    Indirect(Indirect&&) noexcept = default;
    Indirect& operator=(const Indirect& other) {
        if (this != &other) value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
        return *this;
    }
    Indirect& operator=(Indirect&&) noexcept = default;
    ~Indirect() = default;

    // A moved-from Indirect holds nothing; only assignment and destruction may follow.
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return value_.get(); }
    T* operator->() { return value_.get(); }

    friend bool operator==(const Indirect& a, const Indirect& b) {
        return a.value_ == b.value_ || (a.value_ && b.value_ && *a.value_ == *b.value_);
    }

  private:
    std::unique_ptr<T> value_;
};

}  // namespace qb::ui

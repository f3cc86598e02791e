#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qb {

// Immutable bytes that share the buffer they come from (a whole file read once), so that copying an
// item with a 2 KB icon copies a pointer, not the icon. Compares by content.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::string bytes) {
        auto owner = std::make_shared<const std::string>(std::move(bytes));
        view_ = *owner;
        owner_ = std::move(owner);
    }
    // A part of a buffer that is kept alive by `owner`.
    Bytes(std::shared_ptr<const void> owner, std::string_view view) : owner_(std::move(owner)), view_(view) {}

    std::string_view view() const { return view_; }
    const char* data() const { return view_.data(); }
    std::size_t size() const { return view_.size(); }
    bool empty() const { return view_.empty(); }

    friend bool operator==(const Bytes& a, const Bytes& b) { return a.view_ == b.view_; }

private:
    std::shared_ptr<const void> owner_;
    std::string_view view_;
};

}  // namespace qb

#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace qb {

// A decoded bitmap image: 8-bit RGBA pixels, rows packed without gaps. Decoded from any format that
// gdk-pixbuf reads and that is safe to hand untrusted bytes (PNG, JPEG, GIF, TIFF, ICO, ICNS, BMP, WebP).
class Image {
  public:
    // The longest edge a decoded image keeps: larger images are scaled down, keeping their aspect ratio.
    static constexpr int maxEdge = 512;
    // Images that declare more pixels than this are not decoded at all.
    static constexpr std::int64_t maxDeclaredPixels = 4096 * 4096;
    // Encoded inputs larger than this are not decoded.
    static constexpr std::size_t maxEncodedBytes = 16 * 1024 * 1024;

    // The image the bytes encode, or nothing for bytes that are no image of an accepted format, are
    // truncated or corrupt, or are too large.
    static std::shared_ptr<const Image> decode(std::string_view bytes);

    // An image made of pixels already decoded (width * height * 4 bytes of RGBA); nothing when the
    // sizes do not agree.
    static std::shared_ptr<const Image> fromRgba(int width, int height, std::string rgba);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& rgba() const { return rgba_; }
    // The image encoded as PNG, made on first use and kept.
    const std::string& pngBytes() const;

    friend bool operator==(const Image& a, const Image& b) {
        return a.width_ == b.width_ && a.height_ == b.height_ && a.rgba_ == b.rgba_;
    }

  private:
    Image(int width, int height, std::string rgba) : width_(width), height_(height), rgba_(std::move(rgba)) {}

    int width_ = 0;
    int height_ = 0;
    std::string rgba_;
    mutable std::once_flag pngOnce_;
    mutable std::string png_;
};

}  // namespace qb

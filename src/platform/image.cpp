#include "platform/image.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace qb {
namespace {

// Formats whose loaders are meant for untrusted files and which never match arbitrary text. Left out:
// SVG (may reference other files), the text formats XPM and XBM, and the legacy ANI, PNM, QTIF and TGA.
constexpr std::array acceptedFormats{
    std::string_view("png"), std::string_view("jpeg"), std::string_view("gif"), std::string_view("tiff"),
    std::string_view("ico"), std::string_view("icns"), std::string_view("bmp"), std::string_view("webp")};

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, GErrorFree>;

bool isAccepted(GdkPixbufFormat* format) {
    if (format == nullptr) return false;
    gchar* name = gdk_pixbuf_format_get_name(format);
    const bool accepted = name != nullptr && std::find(acceptedFormats.begin(), acceptedFormats.end(),
                                                       std::string_view(name)) != acceptedFormats.end();
    g_free(name);
    return accepted;
}

// What the loader learns about the image before it allocates pixels.
struct Screening {
    bool rejected = false;
};

// Called once the loader knows the format and the declared size: refuses formats that are not
// accepted and sizes beyond the caps, and asks for large images to be scaled down while loading.
void onSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    auto* screening = static_cast<Screening*>(data);
    const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
    if (!isAccepted(gdk_pixbuf_loader_get_format(loader)) || width <= 0 || height <= 0 ||
        pixels > Image::maxDeclaredPixels) {
        screening->rejected = true;
        // A zero size tells the format module to allocate nothing; it is closed right after.
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    if (width > Image::maxEdge || height > Image::maxEdge) {
        const double scale = static_cast<double>(Image::maxEdge) / std::max(width, height);
        const int scaledWidth = std::max(1, static_cast<int>(width * scale));
        const int scaledHeight = std::max(1, static_cast<int>(height * scale));
        gdk_pixbuf_loader_set_size(loader, scaledWidth, scaledHeight);
    }
}

// The pixbuf's pixels as packed RGBA rows.
std::string packedRgba(GdkPixbuf* pixbuf) {
    GObjectPtr<GdkPixbuf> withAlpha(gdk_pixbuf_add_alpha(pixbuf, FALSE, 0, 0, 0));
    if (!withAlpha || gdk_pixbuf_get_n_channels(withAlpha.get()) != 4 ||
        gdk_pixbuf_get_bits_per_sample(withAlpha.get()) != 8)
        return {};
    const int width = gdk_pixbuf_get_width(withAlpha.get());
    const int height = gdk_pixbuf_get_height(withAlpha.get());
    const int stride = gdk_pixbuf_get_rowstride(withAlpha.get());
    const guchar* pixels = gdk_pixbuf_read_pixels(withAlpha.get());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::string rgba(rowBytes * static_cast<std::size_t>(height), '\0');
    for (int row = 0; row < height; ++row)
        std::memcpy(rgba.data() + rowBytes * static_cast<std::size_t>(row),
                    pixels + static_cast<std::ptrdiff_t>(stride) * row, rowBytes);
    return rgba;
}

}  // namespace

std::shared_ptr<const Image> Image::decode(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > maxEncodedBytes) return nullptr;

    GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
    if (!loader) return nullptr;
    Screening screening;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(onSizePrepared), &screening);

    GError* rawError = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(bytes.data()),
                                                 bytes.size(), &rawError);
    ErrorPtr writeError(rawError);
    rawError = nullptr;
    // Closing is required even after a failed write; its own error then adds nothing.
    const bool closed = gdk_pixbuf_loader_close(loader.get(), written ? &rawError : nullptr);
    ErrorPtr closeError(rawError);
    if (!written || !closed || screening.rejected || !isAccepted(gdk_pixbuf_loader_get_format(loader.get())))
        return nullptr;

    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());  // owned by the loader
    if (pixbuf == nullptr) return nullptr;
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    if (width <= 0 || height <= 0 || width > maxEdge || height > maxEdge) return nullptr;
    return fromRgba(width, height, packedRgba(pixbuf));
}

std::shared_ptr<const Image> Image::fromRgba(int width, int height, std::string rgba) {
    if (width <= 0 || height <= 0 || width > maxEdge || height > maxEdge ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        return nullptr;
    return std::shared_ptr<const Image>(new Image(width, height, std::move(rgba)));
}

const std::string& Image::pngBytes() const {
    std::call_once(pngOnce_, [this] {
        // The pixbuf borrows the pixels, which outlive it.
        GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new_from_data(reinterpret_cast<const guchar*>(rgba_.data()),
                                                              GDK_COLORSPACE_RGB, TRUE, 8, width_, height_,
                                                              width_ * 4, nullptr, nullptr));
        if (!pixbuf) return;
        gchar* buffer = nullptr;
        gsize size = 0;
        GError* rawError = nullptr;
        if (gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &size, "png", &rawError, nullptr))
            png_.assign(buffer, size);
        ErrorPtr error(rawError);
        g_free(buffer);
    });
    return png_;
}

}  // namespace qb

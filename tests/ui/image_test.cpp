#include "platform/image.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/test_support.hpp"

namespace qb {
namespace {

// An image encoded by gdk-pixbuf in `format` ("png", "tiff", ...); its top-left pixel is red, the rest blue.
std::string encodedImage(int width, int height, const char* format) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
    gdk_pixbuf_fill(pixbuf, 0x0000ffff);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    pixels[0] = 0xff;
    pixels[2] = 0;
    gchar* buffer = nullptr;
    gsize size = 0;
    EXPECT_TRUE(gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, format, nullptr, nullptr)) << format;
    g_object_unref(pixbuf);
    std::string bytes(buffer ? buffer : "", size);
    g_free(buffer);
    return bytes;
}

TEST(ImageDecode, PngAndTiffDecodeToTheirPixelsAndReadBackAsPng) {
    for (const char* format : {"png", "tiff"}) {
        SCOPED_TRACE(format);
        const auto image = Image::decode(encodedImage(3, 2, format));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), 3);
        EXPECT_EQ(image->height(), 2);
        ASSERT_EQ(image->rgba().size(), 3u * 2u * 4u);
        EXPECT_EQ(image->rgba().substr(0, 8), std::string("\xff\x00\x00\xff\x00\x00\xff\xff", 8));
        const auto again = Image::decode(image->pngBytes());
        ASSERT_TRUE(again);
        EXPECT_EQ(*again, *image);
    }
    const auto large = Image::decode(encodedImage(1024, 256, "png"));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->width(), Image::maxEdge);
    EXPECT_EQ(large->height(), Image::maxEdge / 4);
}

TEST(ImageDecode, NonImagesGiveNothingAndDamagedImagesDecodeSafelyOrNotAtAll) {
    std::mt19937 random(20240601);
    for (int round = 0; round < 100; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 2048), '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        EXPECT_FALSE(Image::decode(bytes)) << "round " << round;
    }
    EXPECT_FALSE(Image::decode(""));
    // Text formats would turn arbitrary files into images; they are not accepted.
    EXPECT_FALSE(Image::decode("/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n"));
    EXPECT_FALSE(Image::decode("P3\n1 1\n255\n255 0 0\n"));
    // Cut short: nothing until the header is complete, and never more than the header declares.
    const std::string png = encodedImage(16, 16, "png");
    for (std::size_t length = 0; length < png.size(); ++length) {
        const auto image = Image::decode(png.substr(0, length));
        EXPECT_FALSE(image && length <= 33) << length;
        EXPECT_TRUE(!image || image->width() * image->height() == 256) << length;
    }
    for (const char* format : {"png", "tiff", "bmp", "ico"}) {
        const std::string original = encodedImage(24, 24, format);
        for (int round = 0; round < 40; ++round) {
            std::string bytes = original;
            for (int flips = 0; flips < 4; ++flips)
                bytes[random() % bytes.size()] = static_cast<char>(random());
            if (const auto image = Image::decode(bytes)) {
                EXPECT_LE(std::max(image->width(), image->height()), Image::maxEdge) << format;
                EXPECT_EQ(image->rgba().size(),
                          static_cast<std::size_t>(image->width() * image->height() * 4));
            }
        }
    }
}

TEST(ImageDecode, ImagesDeclaringHugeSizesAreRefusedBeforeDecoding) {
    // A valid PNG whose header declares 60000 x 60000 pixels (14 GB of RGBA) over a few bytes of data.
    const std::string hex = test::runPython(R"(
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 60000, 60000, 8, 6, 0, 0, 0))
sys.stdout.write((png + chunk(b'IDAT', zlib.compress(b'\0' * 1000)) + chunk(b'IEND', b'')).hex())
)");
    std::string png;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        png += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    ASSERT_EQ(png.substr(1, 3), "PNG");
    EXPECT_FALSE(Image::decode(png));
}

}  // namespace
}  // namespace qb

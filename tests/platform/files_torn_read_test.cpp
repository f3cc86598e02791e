#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/files.hpp"
#include "support/test_support.hpp"

namespace qb {
namespace {

// Rewrites the file in place (truncate, then a few small writes) as a program that does not replace
// files atomically would, alternating between two versions, with a short pause after each.
void rewriteInPlace(const std::filesystem::path& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    constexpr std::size_t chunk = 4096;
    for (std::size_t offset = 0; offset < bytes.size(); offset += chunk) {
        std::size_t length = std::min(chunk, bytes.size() - offset);
        ASSERT_EQ(::write(fd, bytes.data() + offset, length), static_cast<ssize_t>(length));
    }
    ::close(fd);
}

TEST(FilesTornReadTest, AReadNeverMixesTwoVersionsOfAFileRewrittenInPlace) {
    test::TempDir dir;
    const auto path = dir.write("ReadingList.plist", "");
    const std::string first(48 * 1024, 'a');
    const std::string second(64 * 1024, 'b');

    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (int round = 0; !done; ++round) {
            rewriteInPlace(path, round % 2 ? second : first);
            std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
    });
    // A file is briefly shorter while it is being rewritten, so a read between two writes may see the
    // start of one version; a read must never hold parts of both.
    auto isMix = [](const std::string& bytes) {
        return bytes.find('a') != std::string::npos && bytes.find('b') != std::string::npos;
    };
    int torn = 0;
    int whole = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    while (std::chrono::steady_clock::now() < deadline) {
        auto bytes = readFile(path);
        ASSERT_TRUE(bytes);
        torn += isMix(*bytes);
        whole += *bytes == first || *bytes == second;
    }
    done = true;
    writer.join();
    EXPECT_EQ(torn, 0) << whole << " whole reads";
    EXPECT_GT(whole, 100);
}

}  // namespace
}  // namespace qb

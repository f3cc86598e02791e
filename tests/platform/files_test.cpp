#include "platform/files.hpp"

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/test_support.hpp"

namespace qb {
namespace {

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FilesTest, WritesAtomicallyAndReadsBackEveryByte) {
    test::TempDir dir;
    auto path = dir.path() / "tips_cache.json";
    for (std::size_t size : {0u, 4095u, 4096u, 4097u, 3u << 20}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 8));
        EXPECT_EQ(writeFileAtomically(path, bytes), std::nullopt) << size;
        EXPECT_EQ(readFile(path), bytes) << size;
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"tips_cache.json"});
    // Files under /proc report a size of 0 and still have contents.
    EXPECT_NE(readFile("/proc/self/status").value_or("").find("Name:"), std::string::npos);
}

TEST(FilesTest, FailuresAreReportedAndLeaveNothingBehind) {
    test::TempDir dir;
    // The reason names the file, for the log.
    const auto missing = readFile(dir.path() / "missing.plist");
    EXPECT_EQ(missing, std::nullopt);
    EXPECT_EQ(missing.error, (dir.path() / "missing.plist").string() + ": No such file or directory");
    const auto folder = readFileBytes(dir.path());
    EXPECT_FALSE(folder);
    EXPECT_EQ(folder.error, dir.path().string() + ": a folder, not a regular file");

    auto error = writeFileAtomically(dir.path() / "no-such-folder" / "a.json", "x");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("No such file or directory"), std::string::npos) << *error;

    // Renaming over a folder fails after the temporary file was written: it must be removed again.
    dir.write("taken/inside", "keep");
    error = writeFileAtomically(dir.path() / "taken", "new");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("taken"), std::string::npos) << *error;
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"taken"});
    EXPECT_EQ(readFile(dir.path() / "taken" / "inside"), "keep");
}

// Another program rewrites the file in place (truncate, then 4 KB writes), alternating two versions. A
// read between two writes may see the start of one version, but never parts of both.
TEST(FilesTest, AReadNeverMixesTwoVersionsOfAFileRewrittenInPlace) {
    test::TempDir dir;
    const auto path = dir.write("ReadingList.plist", "");
    const std::string first(48 * 1024, 'a'), second(64 * 1024, 'b');
    std::atomic<bool> done = false;
    std::thread writer([&] {
        for (int round = 0; !done; ++round) {
            const std::string& bytes = round % 2 ? second : first;
            int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            for (std::size_t at = 0; fd >= 0 && at < bytes.size(); at += 4096)
                if (::write(fd, bytes.data() + at, std::min<std::size_t>(4096, bytes.size() - at)) < 0) break;
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
    });
    int torn = 0, whole = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto bytes = readFile(path);
        ASSERT_TRUE(bytes);
        torn += bytes->find('a') != std::string::npos && bytes->find('b') != std::string::npos;
        whole += *bytes == first || *bytes == second;
    }
    done = true;
    writer.join();
    EXPECT_EQ(torn, 0) << whole << " whole reads";
    EXPECT_GT(whole, 100);
}

}  // namespace
}  // namespace qb

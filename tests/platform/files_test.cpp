#include "platform/files.hpp"

#include <gtest/gtest.h>

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
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 3u << 20}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 8));
        EXPECT_EQ(writeFileAtomically(path, bytes), std::nullopt) << size;
        EXPECT_EQ(readFile(path), bytes) << size;
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"tips_cache.json"});
}

TEST(FilesTest, ReadsFilesWhoseSizeIsUnknownUpFront) {
    // Files under /proc report a size of 0 and still have contents.
    auto status = readFile("/proc/self/status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->find("Name:"), std::string::npos);
}

TEST(FilesTest, FailuresAreReportedAndLeaveNothingBehind) {
    test::TempDir dir;
    EXPECT_EQ(readFile(dir.path() / "missing.plist"), std::nullopt);
    EXPECT_EQ(readFile(dir.path()), std::nullopt);

    auto error = writeFileAtomically(dir.path() / "no-such-folder" / "a.json", "x");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("No such file or directory"), std::string::npos) << *error;

    // Renaming over a folder fails after the temporary file was written: it must be removed again.
    std::filesystem::create_directory(dir.path() / "taken");
    dir.write("taken/inside", "keep");
    error = writeFileAtomically(dir.path() / "taken", "new");
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("taken"), std::string::npos) << *error;
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"taken"});
    EXPECT_EQ(readFile(dir.path() / "taken" / "inside"), "keep");
}

}  // namespace
}  // namespace qb

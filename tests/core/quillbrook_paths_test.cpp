#include "core/quillbrook_paths.hpp"

#include <cstdlib>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(QuillbrookPathsTest, RealHomeComesFromTheUserRecordOrTheFallback) {
    struct Case {
        std::optional<UserRecord> record;
        std::string_view fallback;
        std::string_view expected;
    };
    const Case cases[] = {
        {UserRecord{"/home/ada"}, "/elsewhere", "/home/ada"},
        {std::nullopt, "/elsewhere", "/elsewhere"},
        {UserRecord{std::nullopt}, "/elsewhere", "/elsewhere"},
        {UserRecord{""}, "/elsewhere", "/elsewhere"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuillbrookPaths::resolveRealHome(c.record, c.fallback), c.expected)
            << testing::PrintToString(c.record.has_value());
    }
}

TEST(QuillbrookPathsTest, FilesLieInTheSupportFolderUnderTheHome) {
    // The first use fixes the values: a later useHome leaves them alone.
    const auto& home = QuillbrookPaths::realHome();
    QuillbrookPaths::useHome("/somewhere/else");
    EXPECT_EQ(&QuillbrookPaths::realHome(), &home);
    EXPECT_EQ(QuillbrookPaths::realHome(), home);
    EXPECT_FALSE(home.empty());

    auto folder = std::filesystem::path(home) / "Library" / "Application Support" / "Quillbrook";
    EXPECT_EQ(QuillbrookPaths::appSupportURL(), folder);
    EXPECT_EQ(QuillbrookPaths::readingListURL(), folder / "ReadingList.plist");
    EXPECT_EQ(QuillbrookPaths::favoritesURL(), folder / "Favorites.plist");
    EXPECT_EQ(QuillbrookPaths::workspacesURL(), folder / "OrderedWorkspaces.plist");
}

TEST(QuillbrookPathsTest, UseHomeBeforeFirstUseMovesEveryFile) {
    // A fresh process, so that no value is computed yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QuillbrookPaths::useHome("/srv/other home");
            bool moved = QuillbrookPaths::realHome() == "/srv/other home" &&
                         QuillbrookPaths::workspacesURL() ==
                             "/srv/other home/Library/Application Support/Quillbrook/OrderedWorkspaces.plist";
            std::exit(moved ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qb

#include "core/quillbrook_paths.hpp"
#include "core/widget_services.hpp"

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
    const QuillbrookPaths paths("/srv/other home");
    EXPECT_EQ(paths.realHome(), "/srv/other home");
    const std::filesystem::path folder = "/srv/other home/Library/Application Support/Quillbrook";
    EXPECT_EQ(paths.appSupportURL(), folder);
    EXPECT_EQ(paths.readingListURL(), folder / "ReadingList.plist");
    EXPECT_EQ(paths.favoritesURL(), folder / "Favorites.plist");
    EXPECT_EQ(paths.workspacesURL(), folder / "OrderedWorkspaces.plist");
}

TEST(QuillbrookPathsTest, TheUsersPathsAreLookedUpOnce) {
    const auto& paths = QuillbrookPaths::system();
    EXPECT_EQ(&QuillbrookPaths::system(), &paths);
    EXPECT_FALSE(paths.realHome().empty());
    EXPECT_EQ(WidgetServices::system().home, paths.realHome());
}

}  // namespace
}  // namespace qb

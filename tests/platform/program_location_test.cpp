#include "platform/program_location.hpp"

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace qb {
namespace {

using Kind = ProgramLayout::Kind;

// An install is known by its shape wherever it lies, before the build folder it may lie in; a program
// elsewhere has no files of its own.
TEST(ProgramLocationTest, TellsAnInstallFromTheBuildTreeByWhereTheExecutableIs) {
    test::TempDir folder;
    const auto root = folder.path();
    folder.write("opt/qbw/share/quillbrook-widgets/examples/feed.xml", "");
    folder.write("build/stage/usr/share/quillbrook-widgets/examples/feed.xml", "");
    const auto build = root / "build";
    const struct {
        std::filesystem::path executable;
        ProgramLayout expected;
    } cases[] = {
        {root / "opt/qbw/bin/quillbrook-widgets", {Kind::installed, root / "opt/qbw"}},
        {root / "opt/qbw/libexec/quillbrook-widgets/quillbrook-widgets-desktop",
         {Kind::installed, root / "opt/qbw"}},
        {root / "build/stage/usr/bin/quillbrook-widgets", {Kind::installed, root / "build/stage/usr"}},
        {root / "build/src/host/quillbrook-widgets", {Kind::buildTree, build}},
        // A bin folder without the program's data beside it, outside the build folder.
        {root / "elsewhere/bin/quillbrook-widgets", {}},
        {root / "buildings/bin/quillbrook-widgets", {}},
    };
    for (const auto& [executable, expected] : cases)
        EXPECT_EQ(layoutOf(executable, build), expected) << executable;
}

}  // namespace
}  // namespace qb

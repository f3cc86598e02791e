#include "workspaces/workspace_store.hpp"

#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/test_support.hpp"

namespace qb::workspaces {
namespace {

using test::PlistFormat;

class WorkspaceStoreTest : public testing::TestWithParam<PlistFormat> {};

TEST_P(WorkspaceStoreTest, ReadsNamedWorkspacesWithTheirCounts) {
    test::TempDir dir;
    auto file = dir.write("OrderedWorkspaces.plist", test::plistlibDump(R"([
        {'Name': 'Research', 'workspace': {'databases': [1, 'a', {}], 'windows': [{}, {}]}},
        {'Name': 'No workspace'},
        {'Name': 'Beside', 'databases': [1, 2], 'workspace': {'windows': [1]}},
        {'Name': 'Dict windows', 'workspace': {'databases': [], 'windows': {'a': 1}}},
        {'workspace': {'databases': [1]}},
        {'Name': 42},
        {'Name': 'Research', 'workspace': {'databases': [1], 'windows': []}, 'Other': True},
        {'Name': '', 'workspace': 'not a dictionary'},
    ])",
                                                                        GetParam()));
    const auto items = WorkspaceStore::forFile(file).readFromPlist();
    const std::vector<WorkspaceItem> expected = {
        {"Research", 3, 2},     {"No workspace", 0, 0}, {"Beside", 0, 1},
        {"Dict windows", 0, 0}, {"Research", 1, 0},     {"", 0, 0},
    };
    EXPECT_EQ(items, expected);
}

TEST_P(WorkspaceStoreTest, BrokenOrMissingFilesGiveAnEmptyListAndTheirMessage) {
    struct Case {
        std::optional<std::string_view> python;  // nothing: no file at all
        std::vector<LogRecord> expected;
    };
    const std::string sub(logSubsystem);
    const std::vector<Case> cases = {
        {std::nullopt, {{LogLevel::debug, sub, "WorkspaceStore", "Could not read OrderedWorkspaces.plist"}}},
        {"{'Name': 'A'}",
         {{LogLevel::error, sub, "WorkspaceStore", "Could not parse OrderedWorkspaces.plist"}}},
        {"[{'Name': 'A'}, 3, {'Name': 'B'}]",
         {{LogLevel::error, sub, "WorkspaceStore", "Could not parse OrderedWorkspaces.plist"}}},
        {"[]", {}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        auto path = dir.path() / "OrderedWorkspaces.plist";
        if (c.python) dir.write("OrderedWorkspaces.plist", test::plistlibDump(*c.python, GetParam()));
        auto expected = c.expected;  // a file that cannot be read is followed by the reason
        if (!c.python)
            expected.push_back(
                {LogLevel::debug, sub, "WorkspaceStore", path.string() + ": No such file or directory"});
        LogCapture capture;
        EXPECT_TRUE(WorkspaceStore::forFile(path).readFromPlist().empty()) << c.python.value_or("no file");
        EXPECT_EQ(capture.records(), expected) << c.python.value_or("no file");
    }
}

INSTANTIATE_TEST_SUITE_P(BothEncodings, WorkspaceStoreTest,
                         testing::Values(PlistFormat::binary, PlistFormat::xml), [](const auto& format) {
                             return format.param == PlistFormat::binary ? "binary" : "xml";
                         });

}  // namespace
}  // namespace qb::workspaces

#include "workspaces/workspace_store.hpp"

#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/test_support.hpp"

namespace qb::workspaces {
namespace {

using test::PlistFormat;
using test::operator""_plist;

class WorkspaceStoreTest : public testing::TestWithParam<PlistFormat> {};

TEST_P(WorkspaceStoreTest, ReadsNamedWorkspacesWithTheirCounts) {
    test::TempDir dir;
    auto file = dir.write("OrderedWorkspaces.plist", test::makePlist(R"([
        {"Name": "Research", "workspace": {"databases": [1, "a", {}], "windows": [{}, {}]}},
        {"Name": "No workspace"},
        {"Name": "Beside", "databases": [1, 2], "workspace": {"windows": [1]}},
        {"Name": "Dict windows", "workspace": {"databases": [], "windows": {"a": 1}}},
        {"workspace": {"databases": [1]}},
        {"Name": 42},
        {"Name": "Research", "workspace": {"databases": [1], "windows": []}, "Other": true},
        {"Name": "", "workspace": "not a dictionary"}
    ])"_plist,
                                                                     GetParam()));
    const auto items = WorkspaceStore::forFile(file).readFromPlist();
    const std::vector<WorkspaceItem> expected = {
        {"Research", 3, 2},     {"No workspace", 0, 0}, {"Beside", 0, 1},
        {"Dict windows", 0, 0}, {"Research", 1, 0},     {"", 0, 0},
    };
    EXPECT_EQ(items, expected);
}

// Missing and broken files are met by the store all three lists share (the reading list's tests go through
// every kind); here, that the workspaces read before the bad element are dropped and the message names
// this file.
TEST(WorkspaceStoreFileTest, AnUnparseableFileGivesNoWorkspacesAndSaysSo) {
    test::TempDir dir;
    const auto file =
        dir.write("OrderedWorkspaces.plist",
                  test::makePlist(R"([{"Name": "A"}, 3, {"Name": "B"}])"_plist, PlistFormat::binary));
    LogCapture capture;
    EXPECT_TRUE(WorkspaceStore::forFile(file).readFromPlist().empty());
    EXPECT_EQ(capture.records(),
              (std::vector<LogRecord>{{LogLevel::error, std::string(logSubsystem), "WorkspaceStore",
                                       "Could not parse OrderedWorkspaces.plist"}}));
}

INSTANTIATE_TEST_SUITE_P(BothEncodings, WorkspaceStoreTest,
                         testing::Values(PlistFormat::binary, PlistFormat::xml), [](const auto& format) {
                             return format.param == PlistFormat::binary ? "binary" : "xml";
                         });

}  // namespace
}  // namespace qb::workspaces

#include "workspaces/workspace_item.hpp"

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace qb::workspaces {
namespace {

TEST(WorkspaceItemTest, NameRoundTripsWholeThroughTheLink) {
    const std::string name = "Q3 Plan & Review = 50% + #2 / Café Ünïcode \xE6\x97\xA5\xE6\x9C\xAC";
    const WorkspaceItem item(name, 1, 2);
    ASSERT_TRUE(item.url());
    EXPECT_EQ(item.url()->host(), "open-workspace");
    EXPECT_EQ(item.url()->queryItems(), (std::vector<QueryItem>{{"name", name}, {"widget", "workspaces"}}));
    // An independent decoder reads the same two items (and no "+" as a blank).
    const auto decoded = test::runPython(
        "import sys, urllib.parse\n"
        "query = urllib.parse.urlsplit('" +
        item.url()->string() +
        "').query\n"
        "for k, v in urllib.parse.parse_qsl(query, keep_blank_values=True):\n"
        "    sys.stdout.buffer.write((k + '=' + v + '\\n').encode())\n");
    EXPECT_EQ(decoded, "name=" + name + "\nwidget=workspaces\n");
}

TEST(WorkspaceItemTest, EqualOnlyWhenEveryFieldIsAndEqualItemsHashAlike) {
    const WorkspaceItem base("W", 1, 2);
    WorkspaceItem otherId = base;
    otherId.id = "X";
    for (const auto& other :
         {WorkspaceItem("W", 2, 2), WorkspaceItem("W", 1, 3), WorkspaceItem("V", 1, 2), otherId})
        EXPECT_NE(other, base) << other.id << " " << other.databaseCount << other.windowCount;
    EXPECT_EQ(WorkspaceItem("W", 1, 2), base);
    EXPECT_EQ(std::hash<WorkspaceItem>{}(WorkspaceItem("W", 1, 2)), std::hash<WorkspaceItem>{}(base));
}

TEST(WorkspaceItemTest, LinkAndSubtitleFollowTheFields) {
    WorkspaceItem item("Old", 1, 1);
    item.name = "New & Improved";
    const auto url = item.url();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->string(), "x-quillbrook://open-workspace?name=New%20%26%20Improved&widget=workspaces");
    EXPECT_EQ(item.displayURL(), url);
    EXPECT_EQ(item.displaySubtitle(), "1 databases, 1 windows");
}

}  // namespace
}  // namespace qb::workspaces

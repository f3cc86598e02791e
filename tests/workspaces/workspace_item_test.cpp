#include "workspaces/workspace_item.hpp"

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace qb {
namespace {

TEST(WorkspaceItemTest, NameRoundTripsWholeThroughTheLink) {
    const std::string name = "Q3 Plan & Review = 50% + #2 / Café Ünïcode \xE6\x97\xA5\xE6\x9C\xAC";
    const WorkspaceItem item(name, 1, 2);
    ASSERT_TRUE(item.url());
    EXPECT_EQ(item.url()->scheme(), "x-quillbrook");
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

TEST(WorkspaceItemTest, SubtitleShowsBothCountsWithFixedWords) {
    const std::tuple<std::int64_t, std::int64_t, std::string_view> cases[] = {
        {3, 2, "3 databases, 2 windows"},
        {1, 1, "1 databases, 1 windows"},
        {0, 0, "0 databases, 0 windows"},
    };
    for (const auto& [databases, windows, expected] : cases)
        EXPECT_EQ(WorkspaceItem("W", databases, windows).displaySubtitle(), std::string(expected));
}

TEST(WorkspaceItemTest, EqualOnlyWhenEveryFieldIsAndEqualItemsHashAlike) {
    const WorkspaceItem base("W", 1, 2);
    WorkspaceItem otherId = base;
    otherId.id = "X";
    struct Case {
        WorkspaceItem item;
        bool equal;
    };
    const Case cases[] = {
        {WorkspaceItem("W", 1, 2), true},
        {WorkspaceItem("W", 2, 2), false},
        {WorkspaceItem("W", 1, 3), false},
        {WorkspaceItem("V", 1, 2), false},
        {otherId, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.item == base, c.equal) << c.item.id << " " << c.item.databaseCount << c.item.windowCount;
        if (c.equal) {
            EXPECT_EQ(std::hash<WorkspaceItem>{}(c.item), std::hash<WorkspaceItem>{}(base));
        }
    }
}

TEST(WorkspaceItemTest, LinkFollowsTheNameInRowsAndJson) {
    WorkspaceItem item("Old", 1, 1);
    item.name = "New & Improved";
    const auto url = item.url();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->string(), "x-quillbrook://open-workspace?name=New%20%26%20Improved&widget=workspaces");
    EXPECT_EQ(item.displayURL(), url);
    const nlohmann::json json = item;
    EXPECT_EQ(json["url"], url->string());
    EXPECT_EQ(json["displayURL"], url->string());
}

TEST(WorkspaceItemTest, SampleItemsAreMadeOnce) {
    const auto& samples = WorkspaceItem::sampleItems();
    EXPECT_EQ(&samples, &WorkspaceItem::sampleItems());
    EXPECT_EQ(samples,
              (std::vector<WorkspaceItem>{
                  {"Research", 3, 2}, {"Writing", 1, 1}, {"Archive", 5, 1}, {"Inbox Review", 2, 3}}));
    EXPECT_EQ(samples[3].url()->string(),
              "x-quillbrook://open-workspace?name=Inbox%20Review&widget=workspaces");
}

}  // namespace
}  // namespace qb

#include "workspaces/workspace_item.hpp"

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace qb {
namespace {

TEST(WorkspaceItemTest, NameRoundTripsWholeThroughTheLink) {
    const std::string name = "Q3 Plan & Review = 50% + #2 / Café Ünïcode \xE6\x97\xA5\xE6\x9C\xAC";
    const WorkspaceItem item(name, 1, 2);
    ASSERT_TRUE(item.url);
    EXPECT_EQ(item.url->scheme(), "x-quillbrook");
    EXPECT_EQ(item.url->host(), "open-workspace");
    EXPECT_EQ(item.url->queryItems(), (std::vector<QueryItem>{{"name", name}, {"widget", "workspaces"}}));
    // An independent decoder reads the same two items (and no "+" as a blank).
    const auto decoded = test::runPython(
        "import sys, urllib.parse\n"
        "query = urllib.parse.urlsplit('" +
        item.url->string() +
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

TEST(WorkspaceItemTest, SampleItemsAreMadeOnce) {
    const auto& samples = WorkspaceItem::sampleItems();
    EXPECT_EQ(&samples, &WorkspaceItem::sampleItems());
    EXPECT_EQ(samples,
              (std::vector<WorkspaceItem>{
                  {"Research", 3, 2}, {"Writing", 1, 1}, {"Archive", 5, 1}, {"Inbox Review", 2, 3}}));
    EXPECT_EQ(samples[3].url->string(),
              "x-quillbrook://open-workspace?name=Inbox%20Review&widget=workspaces");
}

}  // namespace
}  // namespace qb

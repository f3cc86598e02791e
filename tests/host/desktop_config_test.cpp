// desktop.ini: the widgets read from it, each problem named by its line, and edits that change only the
// lines they are about.

#include <gtest/gtest.h>

#include <sstream>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "host/desktop_config/desktop_config.hpp"
#include "host/desktop_config/widget_menu.hpp"
#include "platform/files.hpp"

namespace qb::test {
namespace {

using host::Anchor;
using host::DesktopWidget;
using host::KeyFileText;

const std::vector<AnyWidget>& bundle() {
    static const auto widgets = QuillbrookWidgetBundle{}.body();
    return widgets;
}

TEST(DesktopConfigTest, ReadsEveryKeyIntoTheWidget) {
    const KeyFileText file(
        "# mine\n"
        "[widget unread]\n"
        "kind = ReadingListWidget\n"
        "family=extralarge\n"
        "set.filter=unreadOnly\n"
        "rendering-mode=accented\n"
        "output=HDMI-1\n"
        "anchor=bottom-left\n"
        "margin-bottom=40\n"
        "margin-left=0\n"
        "[dashboard]\n"
        "anything=goes\n"
        "[widget]\n"
        "kind=tips\n");
    const auto config = host::readDesktopConfig(file, bundle());
    EXPECT_EQ(config.problems, std::vector<host::ConfigProblem>{});
    ASSERT_EQ(config.widgets.size(), 2u);
    const DesktopWidget& unread = config.widgets[0];
    EXPECT_EQ(unread.group, "widget unread");
    EXPECT_EQ(unread.kind, "ReadingListWidget");
    EXPECT_EQ(unread.family, WidgetFamily::systemExtraLarge);
    EXPECT_EQ(unread.parameters, (std::map<std::string, std::string>{{"filter", "unreadOnly"}}));
    EXPECT_EQ(unread.renderingMode, WidgetRenderingMode::accented);
    EXPECT_EQ(unread.output, "HDMI-1");
    EXPECT_EQ(unread.anchor, Anchor::bottomLeft);
    EXPECT_EQ(unread.margins, (host::Margins{std::nullopt, std::nullopt, 40, 0}));
    // The defaults: medium, the intent's own values, top right, no margins.
    const DesktopWidget& tips = config.widgets[1];
    EXPECT_EQ(tips.family, WidgetFamily::systemMedium);
    EXPECT_EQ(tips.parameters, (std::map<std::string, std::string>{{"mode", "latestTip"}}));
    EXPECT_EQ(tips.anchor, Anchor::topRight);
}

// Each bad group is left out with its line named; the good one after it still counts.
TEST(DesktopConfigTest, AProblemLeavesOutItsWidgetAndNamesItsLine) {
    struct Case {
        std::string group;
        std::size_t line;
        std::string says;
    };
    const std::vector<Case> cases{
        {"kind=clock\n", 3, "unknown widget \"clock\""},
        {"family=huge\n", 3, "unknown family \"huge\""},
        {"set.filter=some\n", 3, "\"some\" is not a choice for the parameter filter"},
        {"set.colour=red\n", 3, "unknown parameter \"colour\""},
        {"anchor=middle\n", 3, "unknown anchor \"middle\""},
        {"margin-top=-4\n", 3, "margin-top \"-4\" is not a number of pixels"},
        {"rendering-mode=sepia\n", 3, "unknown rendering mode \"sepia\""},
        {"this line has no equals sign\n", 3, "is not a [group], a key=value entry or a comment"},
        {"kind=readinglist\n", 1, "a second group of this name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        const bool repeat = c.line == 1;
        const std::string first = repeat ? "[widget a]\nkind=tips\n" : "";
        const std::string text =
            first + "[widget a]\nkind=readinglist\n" + c.group + "[widget b]\nkind=favorites\n";
        const auto config = host::readDesktopConfig(KeyFileText(text), bundle());
        ASSERT_EQ(config.problems.size(), 1u);
        EXPECT_EQ(config.problems[0].line, repeat ? 3 : c.line);
        EXPECT_NE(config.problems[0].message.find(c.says), std::string::npos) << config.problems[0].message;
        ASSERT_EQ(config.widgets.size(), repeat ? 2u : 1u);
        EXPECT_EQ(config.widgets.back().group, "widget b");
    }
}

// A favorites group that is no longer in the file is kept (the widget shows its empty state), with a
// notice; an unknown key is named but leaves the widget in.
TEST(DesktopConfigTest, KeepsAGoneGroupAndAnUnknownKey) {
    const auto config = host::readDesktopConfig(
        KeyFileText("[widget f]\nkind=favorites\nset.group=Gone\ncolour=red\n"), bundle());
    ASSERT_EQ(config.widgets.size(), 1u);
    EXPECT_EQ(config.widgets[0].parameters.at("group"), "Gone");
    ASSERT_EQ(config.notices.size(), 1u);
    EXPECT_NE(config.notices[0].find("empty state"), std::string::npos);
    ASSERT_EQ(config.problems.size(), 1u);
    EXPECT_EQ(config.problems[0].line, 4u);
    EXPECT_NE(config.problems[0].message.find("unknown key \"colour\" is ignored"), std::string::npos);
}

// Each edit of the menu touches its own lines: everything else, comments, spacing, unknown groups and
// broken lines, keeps its bytes.
TEST(DesktopConfigTest, MenuChangesTouchOnlyTheirLines) {
    const std::string before =
        "# my widgets   \n\n"
        "# the reading list\n"
        "[widget a]\n"
        "kind = readinglist\n"
        "set.filter = all\n"
        "\n"
        "# broken, and kept as it is\n"
        "[widget b]\n"
        "kind=favorites\n"
        "what is this\n"
        "[dashboard]\n"
        "columns=3\n";
    const auto widgets = host::readDesktopConfig(KeyFileText(before), bundle()).widgets;
    ASSERT_EQ(widgets.size(), 1u);
    struct Case {
        host::WidgetChange change;
        std::string after;
    };
    const std::string tail =
        "\n# broken, and kept as it is\n[widget b]\nkind=favorites\nwhat is this\n[dashboard]\ncolumns=3\n";
    const std::vector<Case> cases{
        {host::SetParameter{"filter", "unreadOnly"},
         "# my widgets   \n\n# the reading list\n[widget a]\nkind = readinglist\nset.filter = unreadOnly\n" +
             tail},
        {host::SetFamily{WidgetFamily::systemLarge},
         "# my widgets   \n\n# the reading list\n[widget a]\nkind = readinglist\nset.filter = "
         "all\nfamily=large\n" +
             tail},
        {host::RemoveWidget{},
         "# my widgets   \n\n# broken, and kept as it is\n[widget b]\nkind=favorites\nwhat is "
         "this\n[dashboard]\ncolumns=3\n"},
        {host::AddWidget{"TipsWidget"},
         before + "\n[widget tips]\nkind=tips\nfamily=medium\nanchor=top-right\nset.mode=latestTip\n"},
    };
    for (const auto& c : cases) {
        KeyFileText file(before);
        host::applyChange(file, widgets[0], c.change, bundle());
        EXPECT_EQ(file.text(), c.after);
    }
}

TEST(DesktopConfigTest, TheDefaultLayoutIsOneMediumWidgetOfEachKindAtTheTopRight) {
    const auto config = host::readDesktopConfig(host::defaultDesktopConfig(bundle()), bundle());
    EXPECT_TRUE(config.problems.empty());
    ASSERT_EQ(config.widgets.size(), bundle().size());
    for (std::size_t i = 0; i < bundle().size(); ++i) {
        EXPECT_EQ(config.widgets[i].kind, bundle()[i].kind());
        EXPECT_EQ(config.widgets[i].family, WidgetFamily::systemMedium);
        EXPECT_EQ(config.widgets[i].anchor, Anchor::topRight);
    }
}

// The example in the README is a file the widgets read without a word of complaint.
TEST(DesktopConfigTest, TheReadmeExampleReadsCleanly) {
    const auto readme = readFile(std::filesystem::path(QB_TEST_DATA_DIR) / ".." / ".." / "README.md");
    ASSERT_TRUE(readme);
    // The section's first indented block: lines indented by four blanks, and blank lines between them.
    std::istringstream lines(readme->substr(readme->find("## Widgets on the desktop")));
    std::string example, line;
    while (std::getline(lines, line)) {
        if (line.starts_with("    "))
            example += line.substr(4) + "\n";
        else if (!example.empty() && !line.empty())
            break;
        else if (!example.empty())
            example += "\n";
    }
    const auto config = host::readDesktopConfig(KeyFileText(example), bundle());
    EXPECT_TRUE(config.problems.empty()) << example;
    EXPECT_EQ(config.widgets.size(), 2u) << example;
}

}  // namespace
}  // namespace qb::test

// The desktop session without a display: desktop.ini read into widgets drawn on fake surfaces, a menu
// change written and applied, a hand edit followed with only the changed widgets redrawn, and a file
// with broken lines kept byte for byte.

#include <fcntl.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include <map>

#include "counter_widget.hpp"
#include "engine/probe_widget.hpp"
#include "host/desktop_session/desktop_session.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

using namespace std::chrono_literals;

struct SurfaceRecord {
    std::vector<std::string> texts;  // the first text of each drawing
    std::optional<host::SurfacePlace> place;
};

class FakeSurface final : public host::WidgetSurface {
  public:
    explicit FakeSurface(SurfaceRecord& record) : record_(record) {}
    void draw(const host::resolved::Tree& tree, const std::string&) override {
        const auto* link = tree.root.as<host::resolved::Link>();
        const auto* text =
            link ? link->label->as<host::resolved::Text>() : tree.root.as<host::resolved::Text>();
        record_.texts.push_back(text ? text->string : "?");
    }
    void place(const host::SurfacePlace& place) override { record_.place = place; }
    void hide() override { record_.place.reset(); }
    host::PixelSize size() const override { return {170, 170}; }

  private:
    SurfaceRecord& record_;
};

class FakeDesktop final : public host::Desktop {
  public:
    std::vector<host::DesktopOutput> outputs() const override {
        return {{{"TEST-1"}, {0, 0, 1280, 800}, true}};
    }
    std::unique_ptr<host::WidgetSurface> makeSurface(const std::string& group, WidgetFamily,
                                                     host::SurfaceOwner&) override {
        records[group] = {};
        return std::make_unique<FakeSurface>(records[group]);
    }
    std::map<std::string, SurfaceRecord> records;
};

const std::string twoCounters =
    "# two counters\n"
    "[widget a]\n"
    "kind=counter\n"
    "\n"
    "[widget b]\n"
    "kind=counter\n"
    "set.pace = fast\n"
    "family=large\n";

class DesktopSessionTest : public ::testing::Test {
  protected:
    ~DesktopSessionTest() override {
        session.reset();
        g_main_context_unref(context);
    }
    void start() {
        host::DesktopSessionOptions options;
        options.config = dir.path() / "config" / "desktop.ini";
        options.engine.watchSleep = false;
        options.engine.watchNetwork = false;
        options.engine.localtime.clear();
        options.configQuiet = 50ms;
        session = std::make_unique<host::DesktopSession>(context, widgets, desktop, options);
    }
    std::filesystem::path config() const { return dir.path() / "config" / "desktop.ini"; }
    bool drawn(const std::string& group, std::size_t times) {
        return runUntil(
            context, [&] { return session->drawCount(group) >= times; }, 3s);
    }

    GMainContext* context = g_main_context_new();
    TempDir dir;
    std::vector<AnyWidget> widgets{AnyWidget(CounterWidget{})};
    FakeDesktop desktop;
    std::unique_ptr<host::DesktopSession> session;
};

TEST_F(DesktopSessionTest, AMenuChangeIsWrittenAndAppliedToThatWidgetAlone) {
    dir.write("config/desktop.ini", twoCounters);
    start();
    ASSERT_TRUE(drawn("widget a", 1) && drawn("widget b", 1));
    EXPECT_EQ(desktop.records["widget b"].texts.back().substr(0, 5), "<fast");

    // The menu offers the pace (slow checked), the sizes (small checked), the widgets to add; its "Fast"
    // is what a click on it hands back.
    const host::WidgetMenu menu = session->menu("widget a");
    ASSERT_EQ(menu.lists.size(), 3u);
    EXPECT_EQ(menu.lists[0].title, "Pace");
    ASSERT_EQ(menu.lists[0].choices.size(), 2u);
    EXPECT_TRUE(menu.lists[0].choices[0].checked);
    EXPECT_EQ(menu.lists[0].choices[1].label, "Fast");
    EXPECT_TRUE(menu.lists[1].choices[0].checked);
    EXPECT_TRUE(menu.remove.enabled);
    EXPECT_EQ(session->change("widget a", menu.lists[0].choices[1].change), std::nullopt);
    std::string expected = twoCounters;
    expected.insert(expected.find("\n\n[widget b]") + 1, "set.pace=fast\n");
    EXPECT_EQ(readFile(config()).value_or(""), expected);
    ASSERT_TRUE(drawn("widget a", 2));
    EXPECT_EQ(desktop.records["widget a"].texts.back().substr(0, 5), "<fast");
    runFor(context, 300ms);  // the folder watch sees the session's own write: nothing changes
    EXPECT_EQ(session->drawCount("widget b"), 1u);
    EXPECT_EQ(session->drawCount("widget a"), 2u);

    // Adding stacks the new widget under the others at the same anchor; removing takes it away.
    EXPECT_EQ(session->change("widget a", host::AddWidget{"CounterWidget"}), std::nullopt);
    ASSERT_TRUE(drawn("widget counter", 1));
    EXPECT_EQ(desktop.records["widget counter"].place->rect.y, 24 + 2 * (170 + 12));
    EXPECT_EQ(session->change("widget b", host::RemoveWidget{}), std::nullopt);
    std::vector<std::string> groups;
    for (const auto& widget : session->widgets()) groups.push_back(widget.group);
    EXPECT_EQ(groups, (std::vector<std::string>{"widget a", "widget counter"}));
    EXPECT_EQ(readFile(config()).value_or("").find("[widget b]"), std::string::npos);
    EXPECT_EQ(session->change("widget counter", host::RemoveWidget{}), std::nullopt);
    EXPECT_FALSE(session->menu("widget a").remove.enabled) << "the last widget holds the only menu there is";
}

TEST_F(DesktopSessionTest, AHandEditIsFollowedAndOnlyWhatChangedIsRedone) {
    dir.write("config/desktop.ini", twoCounters);
    start();
    ASSERT_TRUE(drawn("widget a", 1) && drawn("widget b", 1));
    const auto placeOfB = desktop.records["widget b"].place;

    // The person gives a a new pace and moves b to another corner.
    std::string edited = twoCounters;
    edited.replace(edited.find("kind=counter\n\n"), 13, "kind=counter\nset.pace=fast\n");
    edited += "anchor=bottom-left\n";
    ASSERT_EQ(writeFileAtomically(config(), edited), std::nullopt);
    ASSERT_TRUE(drawn("widget a", 2)) << "the edit was not followed";
    runFor(context, 300ms);
    EXPECT_EQ(desktop.records["widget a"].texts.back().substr(0, 5), "<fast");
    EXPECT_EQ(session->drawCount("widget b"), 1u)
        << "b's entry and look did not change: it is not drawn again";
    ASSERT_TRUE(desktop.records["widget b"].place);
    EXPECT_NE(desktop.records["widget b"].place, placeOfB);
    EXPECT_TRUE(desktop.records["widget b"].place->edges.bottom &&
                desktop.records["widget b"].place->edges.left);

    // A file that cannot be read (here a folder in its place) leaves the widgets as they were, and the
    // menu says why it cannot save.
    const auto folder = dir.path() / "config" / "folder";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, config().c_str(), RENAME_EXCHANGE), 0);
    ASSERT_TRUE(runUntil(
        context, [&] { return session->menu("widget a").cannotSave.has_value(); }, 3s));
    EXPECT_EQ(session->widgets().size(), 2u);
    EXPECT_NE(session->change("widget a", host::RemoveWidget{}), std::nullopt);
    EXPECT_TRUE(std::filesystem::is_directory(config()));
}

TEST_F(DesktopSessionTest, BrokenLinesAreLoggedAndKeptWhenTheMenuSaves) {
    const std::string broken =
        "[widget a]\n"
        "kind=counter\n"
        "[widget b]\n"
        "kind=counter\n"
        "this is not a key\n"
        "[widget c]\n"
        "kind=calendar\n";
    dir.write("config/desktop.ini", broken);
    LogCapture log;
    start();
    ASSERT_TRUE(drawn("widget a", 1));
    EXPECT_EQ(session->widgets().size(), 1u);
    std::vector<std::string> errors;
    for (const auto& record : log.records())
        if (record.level == LogLevel::error) errors.push_back(record.message);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("desktop.ini line 5: [widget b]: \"this is not a key\" is not"),
              std::string::npos)
        << errors[0];
    EXPECT_NE(errors[1].find("desktop.ini line 7: [widget c]: unknown widget \"calendar\""),
              std::string::npos)
        << errors[1];

    EXPECT_EQ(session->change("widget a", host::SetFamily{WidgetFamily::systemLarge}), std::nullopt);
    std::string expected = broken;
    expected.insert(expected.find("[widget b]"), "family=large\n");
    EXPECT_EQ(readFile(config()).value_or(""), expected);
}

TEST_F(DesktopSessionTest, WithoutAFileTheDefaultsShowAndTheFirstChangeWritesThem) {
    start();
    ASSERT_TRUE(drawn("widget counter", 1));
    runFor(context, 100ms);
    EXPECT_FALSE(std::filesystem::exists(config()));
    EXPECT_EQ(session->change("widget counter", host::SetParameter{"pace", "fast"}), std::nullopt);
    const auto written = readFile(config()).value_or("");
    EXPECT_NE(written.find("[widget counter]\nkind=counter\nfamily=small\nanchor=top-right\nset.pace=fast\n"),
              std::string::npos)
        << written;
}

}  // namespace
}  // namespace qb::test

// Many timeline requests at once, over every widget of the bundle and every choice of its parameters,
// while the host application's three property lists and the tips cache are replaced every few
// milliseconds (renamed over and rewritten in place, whole and broken versions in turn) and the feed
// server answers slowly, fails or hangs up. Every answer must be the answer for one whole version of
// each file, every tips cache on disk must read back, and nothing may crash or hang.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/quillbrook_paths.hpp"
#include "core/quillbrook_widget_bundle.hpp"
#include "file_replacer.hpp"
#include "flaky_feed_server.hpp"
#include "platform/date.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"
#include "tips/cached_tips.hpp"
#include "tips/rss_parser.hpp"
#include "tips/tip_store.hpp"
#include "ui/view.hpp"

namespace qb {
namespace {

using namespace std::chrono_literals;
using test::FileReplacer;
using test::FileVersion;
using test::FlakyFeedServer;

constexpr std::size_t requestCount = 2000;
constexpr std::size_t requestThreads = 8;
constexpr auto replacePause = 2ms;  // between two rounds that replace each of the four files
// A request waits until the files were replaced at least once per this many requests before it, so
// that requests and replacements interleave however the threads are scheduled.
constexpr std::size_t requestsPerRound = 16;
constexpr auto hangLimit = 50s;  // longer than this and the run counts as hung
constexpr WidgetFamily families[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                     WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

std::string tipsFeed() {
    std::string xml =
        R"(<?xml version="1.0" encoding="UTF-8"?><rss version="2.0"><channel><title>Blog</title>)";
    for (int day = 1; day <= 4; ++day) {
        xml += fmt::format(
            "<item><title>Feed tip {0}</title><category>Tips</category><pubDate>Mon, 0{0} Dec 2025 10:00:00 "
            "+0100</pubDate><link>https://www.quillbrook.example/tips/{0}</link><description><![CDATA[<p>Tip "
            "&amp; more {0}</p>]]></description></item>",
            day);
    }
    return xml + "</channel></rss>";
}

std::string cacheBytes(Date timestamp, const std::string& prefix, int count) {
    CachedTips cache{timestamp, {}};
    for (int i = 0; i < count; ++i) {
        cache.tips.push_back(TipItem{fmt::format("{} tip {}", prefix, i), "About it",
                                     fmt::format("https://www.quillbrook.example/{}/{}", prefix, i),
                                     Date{757'000'000.0 - i * 86400}, fmt::format("{}-{}", prefix, i)});
    }
    return encodeCachedTips(cache).bytes;
}

// The versions of the three property lists, binary (A) and XML (B), as Python's plistlib writes them,
// made in one run of Python.
std::map<std::string, std::string> propertyLists() {
    const auto output = test::runPython(R"(
import base64, datetime, json, plistlib
icon = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECAYAAACp8Z5+AAAAEklEQVR4nGM4oaHxHxkzkC4AAGw4IXFLXtccAAAAAElFTkSuQmCC')
binary, xml = plistlib.FMT_BINARY, plistlib.FMT_XML
lists = {
  'readingA': ([{'URL': 'https://www.example.org/slow reading?a=1&b=2', 'title': 'Slow Reading', 'unread': True,
                 'date': datetime.datetime(2025, 3, 1, 8), 'type': 7, 'icon': icon},
                {'URL': 'x-quillbrook-item://A-2', 'title': 'Budget', 'unread': False, 'type': 16},
                {'URL': 'x-quillbrook-item://A-3', 'title': 'Notes', 'type': 124, 'icon': b'not an image'},
                {'URL': 'https://example.com/no-title'}], binary),
  'readingB': ([{'URL': 'x-quillbrook-item://B-%d' % i, 'title': 'Item %d' % i, 'unread': i % 3 == 0,
                 'date': datetime.datetime(2025, 1, 1 + i)} for i in range(20)], xml),
  'favoritesA': ([{'Name': 'Research', 'Path': '/home/u/Research.qbBase2'},
                  {'Name': 'Work', 'Children': [{'Name': 'Inbox', 'UUID': 'W-1', 'Type': 1, 'Label': 2, 'Icon': icon},
                                                {'Name': 'Pending', 'SIUUID': 'S-1', 'Date': 700000000.5}]},
                  {'Name': 'Reading', 'Children': [{'Name': 'Mosses', 'UUID': 'R-1', 'Type': 12}]}], binary),
  'favoritesB': ([{'Name': 'Work', 'Children': [{'Name': 'Report %d' % i, 'UUID': 'W2-%d' % i, 'Type': 12,
                                                 'Label': i % 8} for i in range(18)]},
                  {'Name': 'Archive', 'Children': [{'Name': 'Old', 'Path': '/home/u/Old.qbBase2'}]},
                  {'Name': 'Today', 'SIUUID': 'T-1'}], xml),
  'everyGroup': ([{'Name': n, 'Children': []} for n in ('Work', 'Reading', 'Archive')], binary),
  'workspacesA': ([{'Name': 'Research', 'workspace': {'databases': [1, 2], 'windows': [1]}}, {'Name': 'Writing'}],
                  binary),
  'workspacesB': ([{'Name': 'Space %d' % i, 'workspace': {'databases': list(range(i % 4)), 'windows': [0]}}
                   for i in range(12)] + [{'NoName': 1}], xml),
}
print(json.dumps({name: plistlib.dumps(value, fmt=form).hex() for name, (value, form) in lists.items()}))
)");
    std::map<std::string, std::string> lists;
    const auto parsed = nlohmann::json::parse(output);
    for (const auto& [name, hex] : parsed.items()) {
        std::string bytes;
        const auto text = hex.get<std::string>();
        for (std::size_t i = 0; i + 1 < text.size(); i += 2)
            bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
        lists[name] = std::move(bytes);
    }
    return lists;
}

// The process's home folder, cache folder and feed server, made before any store is first used.
class StressEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        root_ = std::make_unique<test::TempDir>();
        home = root_->path() / "home";
        support = home / "Library" / "Application Support" / "Quillbrook";
        std::filesystem::create_directories(support);
        cacheFolder = root_->path() / "cache" / "quillbrook-widgets";
        std::filesystem::create_directories(cacheFolder);
        ::setenv("XDG_CACHE_HOME", (root_->path() / "cache").c_str(), 1);
        QuillbrookPaths::useHome(home);
        feed = tipsFeed();
        server = std::make_unique<FlakyFeedServer>(feed);
        TipStore::useFeedBase(server->base());
    }
    void TearDown() override {
        server.reset();
        root_.reset();
    }

    std::filesystem::path home, support, cacheFolder;
    std::string feed;
    std::unique_ptr<FlakyFeedServer> server;

  private:
    std::unique_ptr<test::TempDir> root_;
};

StressEnvironment* const environment =
    static_cast<StressEnvironment*>(::testing::AddGlobalTestEnvironment(new StressEnvironment));

// One configured widget instance and the answers it may give: one per version of what it reads.
struct Subject {
    std::string kind;
    std::string name;
    WidgetInstance instance;
    std::vector<std::pair<std::string, nlohmann::json>> expected;
};

// The entry of a one-entry timeline without its date, which is the time of the request.
nlohmann::json contentOf(const ErasedTimeline& timeline) {
    if (timeline.entries.size() != 1)
        return nlohmann::json("timeline of " + std::to_string(timeline.entries.size()));
    auto json = timeline.entries.front().json;
    json.erase("date");
    return json;
}

// An instance for every combination of the widget's parameter choices.
std::vector<Subject> subjectsOf(const AnyWidget& widget) {
    std::vector<Subject> subjects{{widget.kind(), widget.kind(), widget.makeInstance(), {}}};
    for (const auto& parameter : widget.parameters()) {
        std::vector<Subject> combined;
        for (const auto& option : widget.options(parameter.name).value_or(std::vector<ParameterOption>{})) {
            for (const auto& subject : subjects) {
                Subject next{subject.kind,
                             subject.name + " " + parameter.name + "=" + option.id,
                             subject.instance,
                             {}};
                EXPECT_TRUE(next.instance.set(parameter.name, option.id)) << next.name;
                combined.push_back(std::move(next));
            }
        }
        subjects = std::move(combined);
    }
    return subjects;
}

// Versions that give the same answer share one entry ("B or broken").
void expect(Subject& subject, const std::string& label) {
    auto content = contentOf(subject.instance.timeline(TimelineContext{}));
    for (auto& [known, json] : subject.expected) {
        if (json == content) {
            known += " or " + label;
            return;
        }
    }
    subject.expected.emplace_back(label, std::move(content));
}

const std::string* matchingLabel(const Subject& subject, const nlohmann::json& content) {
    for (const auto& [label, json] : subject.expected)
        if (json == content) return &label;
    return nullptr;
}

TEST(StressTest, ConcurrentRequestsWhileFilesAreReplacedSeeWholeVersions) {
    auto& world = *environment;
    LogCapture quiet;  // thousands of "Could not parse" messages are expected here

    // ---- The versions of each file ----------------------------------------------------------------------
    auto lists = propertyLists();
    const auto& readingA = lists.at("readingA");
    const auto& readingB = lists.at("readingB");
    const auto& favoritesA = lists.at("favoritesA");
    const auto& favoritesB = lists.at("favoritesB");
    const auto& workspacesA = lists.at("workspacesA");
    const auto& workspacesB = lists.at("workspacesB");
    auto cut = [](const std::string& bytes, double share) {
        return bytes.substr(0, static_cast<std::size_t>(static_cast<double>(bytes.size()) * share));
    };

    const Date now = Date::now();
    const auto freshCache = cacheBytes(now.addingTimeInterval(-3600), "fresh", 3);
    const auto staleCache = cacheBytes(now.addingTimeInterval(-7 * 86400), "stale", 2);
    auto missingGuid = nlohmann::json::parse(freshCache);
    missingGuid["tips"][1].erase("guid");

    std::vector<FileReplacer> files{
        {QuillbrookPaths::readingListURL(),
         {{"A", readingA},
          {"broken A", cut(readingA, 0.5)},
          {"B", readingB},
          {"broken B", cut(readingB, 0.7)}}},
        {QuillbrookPaths::favoritesURL(),
         {{"A", favoritesA},
          {"broken A", cut(favoritesA, 0.6)},
          {"B", favoritesB},
          {"broken B", cut(favoritesB, 0.4)}}},
        {QuillbrookPaths::workspacesURL(),
         {{"A", workspacesA},
          {"broken A", cut(workspacesA, 0.5)},
          {"B", workspacesB},
          {"broken B", "garbage"}}},
        {TipStore::shared().cacheURL(),
         {{"fresh", freshCache},
          {"broken", cut(freshCache, 0.5)},
          {"stale", staleCache},
          {"no guid", missingGuid.dump()}}},
    };
    ASSERT_EQ(files[3].path(), world.cacheFolder / "tips_cache.json");
    for (auto& file : files) file.put(file.versions().front().bytes);
    files[1].put(lists.at("everyGroup"));  // so that every group can be chosen

    // ---- Every instance, and its answer for each version -----------------------------------------------
    std::vector<Subject> subjects;
    std::map<std::string, std::size_t> fileOfKind{
        {"ReadingListWidget", 0}, {"FavoritesWidget", 1}, {"WorkspacesWidget", 2}, {"TipsWidget", 3}};
    std::set<std::string> kinds;
    for (const auto& widget : QuillbrookWidgetBundle{}.body()) {
        kinds.insert(widget.kind());
        for (auto& subject : subjectsOf(widget)) subjects.push_back(std::move(subject));
    }
    ASSERT_EQ(kinds, (std::set<std::string>{"ReadingListWidget", "FavoritesWidget", "WorkspacesWidget",
                                            "TipsWidget"}));
    ASSERT_EQ(subjects.size(), 9u);  // filter: 2, group: all and 3 groups, workspaces: 1, mode: 2

    for (auto& subject : subjects) {
        if (subject.kind == "TipsWidget") continue;
        auto& file = files[fileOfKind.at(subject.kind)];
        for (const auto& version : file.versions()) {
            file.put(version.bytes);
            expect(subject, version.label);
        }
    }
    // The tips: the feed (downloaded when the cache is unusable), the fresh cache, the stale cache (when
    // the download fails), and nothing (no usable cache and no download).
    auto& cache = files[3];
    for (auto& subject : subjects) {
        if (subject.kind != "TipsWidget") continue;
        world.server->always(FlakyFeedServer::Behaviour::prompt);
        cache.put(cache.versions()[1].bytes);
        expect(subject, "feed");
        cache.put(freshCache);
        expect(subject, "fresh cache");
        world.server->always(FlakyFeedServer::Behaviour::serverError);
        cache.put(staleCache);
        expect(subject, "stale cache");
        cache.put(cache.versions()[1].bytes);
        expect(subject, "nothing");
    }
    world.server->always(std::nullopt);
    for (auto& file : files) file.put(file.versions().front().bytes);
    for (const auto& subject : subjects) {
        EXPECT_GE(subject.expected.size(), 2u)
            << subject.name << ": the versions must give different answers";
    }
    const auto feedTips = RSSParser::parseTips(world.feed);
    ASSERT_EQ(feedTips.size(), 4u);

    // ---- The run ----------------------------------------------------------------------------------------
    std::atomic<std::size_t> nextRequest = 0;
    std::atomic<bool> stop = false;
    std::atomic<std::size_t> rounds = 0;
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t finishedThreads = 0;
    std::vector<std::map<std::string, std::size_t>> seen(subjects.size());
    std::vector<std::set<std::string>> distinctSeen(subjects.size());
    std::vector<std::string> mismatches;
    std::vector<std::string> unreadableCaches;
    std::map<std::string, std::size_t> cacheStates;

    const auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> requesters;
    for (std::size_t t = 0; t < requestThreads; ++t) {
        requesters.emplace_back([&] {
            for (std::size_t i; (i = nextRequest++) < requestCount;) {
                while (rounds < i / requestsPerRound) std::this_thread::sleep_for(100us);
                const auto& subject = subjects[i % subjects.size()];
                const auto family = families[(i / subjects.size()) % std::size(families)];
                const auto timeline = subject.instance.timeline(TimelineContext{family});
                const auto content = contentOf(timeline);
                const auto* label = matchingLabel(subject, content);
                const auto drawn = timeline.entries.empty()
                                       ? std::string()
                                       : ui::dump(timeline.entries.front().view(ui::Environment{family}));
                std::lock_guard lock(mutex);
                if (!label) {
                    mismatches.push_back(subject.name + ": " + content.dump());
                    continue;
                }
                ++seen[i % subjects.size()][*label];
                distinctSeen[i % subjects.size()].insert(content.dump());
                EXPECT_FALSE(drawn.empty()) << subject.name;
            }
            std::lock_guard lock(mutex);
            ++finishedThreads;
            finished.notify_all();
        });
    }
    std::thread replacer([&] {
        while (!stop) {
            for (auto& file : files) file.replace();
            ++rounds;
            std::this_thread::sleep_for(replacePause);
        }
    });
    // The tips cache on disk is always one the test wrote, one the store wrote from the feed, or (while
    // the test rewrites it in place) the start of one the test wrote.
    std::thread cacheReader([&] {
        while (!stop) {
            auto bytes = readFile(cache.path()).value_or("(unreadable)");
            std::string state;
            for (const auto& version : cache.versions())
                if (bytes == version.bytes) state = "the test's " + version.label;
            if (state.empty()) {
                if (auto decoded = decodeCachedTips(bytes); decoded && decoded->tips == feedTips) {
                    state = "the store's";
                } else {
                    for (const auto& version : cache.versions())
                        if (version.bytes.starts_with(bytes)) state = "being rewritten";
                }
            }
            std::lock_guard lock(mutex);
            if (state.empty()) unreadableCaches.push_back(bytes);
            ++cacheStates[state.empty() ? "unreadable" : state];
        }
    });

    {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, hangLimit, [&] { return finishedThreads == requestThreads; })) {
            std::fprintf(stderr, "the requests did not finish within %lld s: a deadlock or a hang\n",
                         static_cast<long long>(hangLimit.count()));
            std::abort();
        }
    }
    const auto duration = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stop = true;
    for (auto& thread : requesters) thread.join();
    replacer.join();
    cacheReader.join();

    // ---- What was seen -----------------------------------------------------------------------------------
    std::size_t renames = 0, inPlace = 0;
    for (const auto& file : files) renames += file.renameCount(), inPlace += file.inPlaceCount();
    const auto served = world.server->counts();
    std::printf(
        "%zu requests on %zu threads in %.2f s; %zu replacements (%zu renamed over, %zu in place); feed "
        "requests: %zu prompt, %zu slow, %zu failed, %zu cut off\n",
        requestCount, requestThreads, duration, renames + inPlace, renames, inPlace, served[0], served[1],
        served[2], served[3]);
    for (std::size_t s = 0; s < subjects.size(); ++s) {
        std::string line;
        for (const auto& [label, count] : seen[s]) line += fmt::format(" {}: {};", label, count);
        std::printf("  %s:%s\n", subjects[s].name.c_str(), line.c_str());
    }
    std::string states;
    for (const auto& [state, count] : cacheStates) states += fmt::format(" {}: {};", state, count);
    std::printf("  tips cache on disk:%s\n", states.c_str());

    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " answers match no version, the first: "
                                    << (mismatches.empty() ? "" : mismatches.front());
    EXPECT_TRUE(unreadableCaches.empty())
        << unreadableCaches.size()
        << " unreadable caches, the first: " << (unreadableCaches.empty() ? "" : unreadableCaches.front());
    for (std::size_t s = 0; s < subjects.size(); ++s)
        EXPECT_GE(distinctSeen[s].size(), 2u) << subjects[s].name << " always saw the same version";
    EXPECT_GT(served[0] + served[1], 0u);
    EXPECT_GT(served[2] + served[3], 0u);
    for (const auto& folder : {world.cacheFolder, world.support})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with("."))
                << "left behind: " << entry.path();
}

}  // namespace
}  // namespace qb

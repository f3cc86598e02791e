// Many timeline requests at once, over every widget and every choice of its parameters, while the three
// property lists and the tips cache are replaced every few milliseconds (renamed over and rewritten in
// place, whole and broken versions in turn) and the feed server answers slowly, fails or hangs up. Every
// answer must be the answer for one whole version of each file, every tips cache on disk must read back,
// and nothing may crash or hang.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "concurrency/file_replacer.hpp"
#include "core/widget_services.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "tips/cached_tips.hpp"
#include "tips/feed_server.hpp"
#include "tips/rss_parser.hpp"
#include "tips/tip_store.hpp"
#include "ui/view.hpp"

namespace qb {
namespace {

using namespace std::chrono_literals;
using namespace tips;
using test::FeedResponse;
using test::FileReplacer;

constexpr std::size_t requestCount = 2000, requestThreads = 8;
// A request waits until the files were replaced at least once per this many requests before it, so
// that requests and replacements interleave however the threads are scheduled.
constexpr std::size_t requestsPerRound = 16;
constexpr auto hangLimit = 50s;  // longer than this and the run counts as hung
constexpr WidgetFamily families[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                     WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

std::string cacheBytes(Date timestamp, const std::string& prefix, int count) {
    CachedTips cache{timestamp, {}};
    for (int i = 0; i < count; ++i)
        cache.tips.push_back(TipItem{fmt::format("{} tip {}", prefix, i), "About it",
                                     fmt::format("https://www.quillbrook.example/{}/{}", prefix, i),
                                     Date{757'000'000.0 - i * 86400}, fmt::format("{}-{}", prefix, i)});
    return encodeCachedTips(cache).bytes;
}

// The versions of the three property lists, binary (A) and XML (B), as Python's plistlib writes them.
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
print(json.dumps({name: list(plistlib.dumps(value, fmt=form)) for name, (value, form) in lists.items()}))
)");
    std::map<std::string, std::string> lists;
    const auto parsed = nlohmann::json::parse(output);
    for (const auto& [name, bytes] : parsed.items())
        for (int byte : bytes) lists[name] += static_cast<char>(byte);
    return lists;
}

// The home and cache folders and the feed server, made before any store is first used.
struct StressEnvironment : ::testing::Environment {
    std::unique_ptr<test::TempDir> root = std::make_unique<test::TempDir>();
    std::filesystem::path support = root->path() / "home" / "Library" / "Application Support" / "Quillbrook";
    std::filesystem::path cacheFolder = root->path() / "cache" / "quillbrook-widgets";
    std::string feed = test::tipsFeed({"Feed tip 1", "Feed tip 2", "Feed tip 3", "Feed tip 4"});
    std::unique_ptr<test::FeedServer> server;

    void SetUp() override {
        std::filesystem::create_directories(support);
        std::filesystem::create_directories(cacheFolder);
        server = std::make_unique<test::FeedServer>();
    }
    // The user's services on these folders and this feed server.
    WidgetServices services() const {
        auto services = WidgetServices::system();
        services.home = root->path() / "home";
        services.cacheFolder = cacheFolder;
        services.feedBase = server->base();
        return services;
    }
    void TearDown() override {
        server.reset();
        root.reset();
    }
};
StressEnvironment* const environment =
    static_cast<StressEnvironment*>(::testing::AddGlobalTestEnvironment(new StressEnvironment));

// One configured widget instance and the answers it may give: one per version of what it reads, versions
// that give the same answer sharing one ("B or broken").
struct Subject {
    std::string name;
    DataSources reads;
    WidgetInstance instance;
    std::vector<std::pair<std::string, nlohmann::json>> expected;

    // The entry of a one-entry timeline without its date, which is the time of the request.
    static nlohmann::json contentOf(const ErasedTimeline& timeline) {
        if (timeline.entries.size() != 1) return "timeline of " + std::to_string(timeline.entries.size());
        auto json = timeline.entries.front().json;
        json.erase("date");
        return json;
    }
    const std::string* labelOf(const nlohmann::json& content) const {
        for (const auto& [label, json] : expected)
            if (json == content) return &label;
        return nullptr;
    }
    void expect(const std::string& label) {
        auto content = contentOf(instance.timeline(TimelineContext{}));
        for (auto& [known, json] : expected)
            if (json == content) return void(known += " or " + label);
        expected.emplace_back(label, std::move(content));
    }
};

// An instance for every combination of the widget's parameter choices.
std::vector<Subject> subjectsOf(const AnyWidget& widget) {
    std::vector<Subject> subjects{{widget.kind(), widget.sources(), widget.makeInstance(), {}}};
    for (const auto& parameter : widget.parameters()) {
        std::vector<Subject> combined;
        for (const auto& option : widget.options(parameter.name).value_or(std::vector<ParameterOption>{})) {
            for (auto next : subjects) {
                next.name += " " + parameter.name + "=" + option.id;
                EXPECT_TRUE(next.instance.set(parameter.name, option.id)) << next.name;
                combined.push_back(std::move(next));
            }
        }
        subjects = std::move(combined);
    }
    return subjects;
}

// The three property lists and the tips cache, each with its versions; the tips cache comes last.
std::vector<FileReplacer> replacedFiles(const WidgetServices& services) {
    auto lists = propertyLists();
    auto versionsOf = [&](const std::string& name, double cutA, double cutB) {
        const auto &a = lists.at(name + "A"), &b = lists.at(name + "B");
        auto cut = [](const std::string& bytes, double share) {
            return bytes.substr(0, static_cast<std::size_t>(static_cast<double>(bytes.size()) * share));
        };
        return std::vector<std::pair<std::string, std::string>>{
            {"A", a}, {"broken A", cut(a, cutA)}, {"B", b}, {"broken B", cut(b, cutB)}};
    };
    const Date now = Date::now();
    const auto freshCache = cacheBytes(now.addingTimeInterval(-3600), "fresh", 3);
    auto missingGuid = nlohmann::json::parse(freshCache);
    missingGuid["tips"][1].erase("guid");

    const auto paths = services.paths();
    std::vector<FileReplacer> files{
        {paths.readingListURL(), versionsOf("reading", 0.5, 0.7)},
        {paths.favoritesURL(), versionsOf("favorites", 0.6, 0.4)},
        {paths.workspacesURL(), versionsOf("workspaces", 0.5, 0)},
        {TipStore::forServices(services).cacheURL(),
         {{"fresh", freshCache},
          {"broken", freshCache.substr(0, freshCache.size() / 2)},
          {"stale", cacheBytes(now.addingTimeInterval(-7 * 86400), "stale", 2)},
          {"no guid", missingGuid.dump()}}},
    };
    files[2].versions[3].second = "garbage";
    files[1].put(lists.at("everyGroup"));  // so that every group can be chosen
    return files;
}

// Every instance of the bundle's widgets, with its answer for each version of what it reads: a file of
// the test, or the feed and the tips cache.
std::vector<Subject> subjectsWithAnswers(StressEnvironment& world, std::vector<FileReplacer>& files) {
    std::vector<Subject> subjects;
    for (const auto& widget : QuillbrookWidgetBundle{world.services()}.body())
        for (auto& subject : subjectsOf(widget)) subjects.push_back(std::move(subject));
    auto& cache = files.back();
    const auto cacheVersion = [&cache](std::string_view label) {
        return std::find_if(cache.versions.begin(), cache.versions.end(),
                            [&](const auto& version) { return version.first == label; })
            ->second;
    };
    for (auto& subject : subjects) {
        if (subject.reads.usesNetwork) {
            // The feed (when the cache is unusable), the fresh cache, the stale cache (when the download
            // fails), and nothing (no usable cache and no download).
            const FeedResponse feed{200, world.feed},
                failure{500, "<html>Internal Server Error</html>", "text/html"};
            for (const auto& [label, version, response] : {std::tuple{"feed", "broken", feed},
                                                           {"fresh cache", "fresh", feed},
                                                           {"stale cache", "stale", failure},
                                                           {"nothing", "broken", failure}}) {
                world.server->respond(response);
                cache.put(cacheVersion(version));
                subject.expect(label);
            }
            continue;
        }
        const auto file = std::find_if(files.begin(), files.end(), [&](const FileReplacer& replacer) {
            return subject.reads.files == std::vector{replacer.path};
        });
        if (file == files.end()) {
            ADD_FAILURE() << subject.name << " reads no file of the test";
            continue;
        }
        for (const auto& [label, bytes] : file->versions) {
            file->put(bytes);
            subject.expect(label);
        }
    }
    return subjects;
}

// What the requests of a run saw: each subject's answers by version, the answers that match no version,
// and the states in which the tips cache was found on disk.
struct Observations {
    std::vector<std::map<std::string, std::size_t>> answers;
    std::vector<std::string> mismatches, unreadableCaches;
    std::map<std::string, std::size_t> cacheStates;
    std::chrono::duration<double> duration{};
};

// The tips cache on disk is always one the test wrote, one the store wrote from the feed, or (while the
// test rewrites it in place) the start of one the test wrote.
void watchCache(const FileReplacer& cache, const std::vector<TipItem>& feedTips, std::mutex& mutex,
                Observations& seen) {
    auto bytes = readFile(cache.path).value_or("(unreadable)");
    std::string state;
    for (const auto& [label, version] : cache.versions)
        if (bytes == version) state = "the test's " + label;
    if (auto decoded = decodeCachedTips(bytes); state.empty() && decoded && decoded->tips == feedTips)
        state = "the store's";
    for (const auto& [label, version] : cache.versions)
        if (state.empty() && version.starts_with(bytes)) state = "being rewritten";
    std::lock_guard lock(mutex);
    if (state.empty()) seen.unreadableCaches.push_back(bytes);
    ++seen.cacheStates[state.empty() ? "unreadable" : state];
}

// The requests on their threads while the files are replaced and the tips cache is watched; aborts the
// test program when they hang.
Observations runRequests(const std::vector<Subject>& subjects, std::vector<FileReplacer>& files,
                         const std::vector<TipItem>& feedTips) {
    std::atomic<std::size_t> nextRequest = 0, rounds = 0, finishedThreads = 0;
    std::atomic<bool> stop = false;
    std::mutex mutex;
    Observations seen;
    seen.answers.resize(subjects.size());

    const auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < requestThreads; ++t) {
        threads.emplace_back([&] {
            for (std::size_t i; (i = nextRequest++) < requestCount;) {
                while (rounds < i / requestsPerRound) std::this_thread::sleep_for(100us);
                const auto& subject = subjects[i % subjects.size()];
                const auto family = families[(i / subjects.size()) % std::size(families)];
                const auto timeline = subject.instance.timeline(TimelineContext{family});
                const auto content = Subject::contentOf(timeline);
                const auto* label = subject.labelOf(content);
                const bool drawn = !timeline.entries.empty() &&
                                   !ui::dump(timeline.entries.front().view(ui::Environment{family})).empty();
                std::lock_guard lock(mutex);
                EXPECT_TRUE(drawn) << subject.name;
                if (label)
                    ++seen.answers[i % subjects.size()][*label];
                else
                    seen.mismatches.push_back(subject.name + ": " + content.dump());
            }
            ++finishedThreads;
        });
    }
    threads.emplace_back([&] {
        for (; !stop; ++rounds, std::this_thread::sleep_for(2ms))
            for (auto& file : files) file.replace();
    });
    threads.emplace_back([&] {
        while (!stop) watchCache(files.back(), feedTips, mutex, seen);
    });

    while (finishedThreads < requestThreads) {
        if (std::chrono::steady_clock::now() - started > hangLimit) {
            std::fprintf(stderr, "the requests did not finish within %lld s: a deadlock or a hang\n",
                         static_cast<long long>(hangLimit.count()));
            std::abort();
        }
        std::this_thread::sleep_for(10ms);
    }
    seen.duration = std::chrono::steady_clock::now() - started;
    stop = true;
    for (auto& thread : threads) thread.join();
    return seen;
}

TEST(StressTest, ConcurrentRequestsWhileFilesAreReplacedSeeWholeVersions) {
    auto& world = *environment;
    LogCapture quiet;  // thousands of "Could not parse" messages are expected here

    auto files = replacedFiles(world.services());
    ASSERT_EQ(files.back().path, world.cacheFolder / "tips_cache.json");
    const auto subjects = subjectsWithAnswers(world, files);
    ASSERT_EQ(subjects.size(), 9u);  // filter: 2, group: all and 3 groups, workspaces: 1, mode: 2
    for (const auto& subject : subjects)
        EXPECT_GE(subject.expected.size(), 2u)
            << subject.name << ": the versions must give different answers";
    world.server->rotate({{200, world.feed},
                          {200, world.feed, "application/rss+xml", 40ms},
                          {500, "<html>Internal Server Error</html>", "text/html"},
                          {200, world.feed, "application/rss+xml", 0ms, true}});
    for (auto& file : files) file.put(file.versions.front().second);
    const auto feedTips = RSSParser::parseTips(world.feed);
    ASSERT_EQ(feedTips.size(), 4u);

    const auto run = runRequests(subjects, files, feedTips);

    std::size_t replacements = 0, served = 0, failed = 0;
    for (const auto& file : files) replacements += file.steps;
    for (const auto& answer : world.server->answers())
        ++(answer.status == 200 && !answer.hangUp ? served : failed);
    fmt::print(
        "{} requests on {} threads in {:.2f} s; {} replacements; feed: {} served, {} failed or cut off\n",
        requestCount, requestThreads, run.duration.count(), replacements, served, failed);
    for (std::size_t s = 0; s < subjects.size(); ++s) {
        fmt::print("  {}:", subjects[s].name);
        for (const auto& [label, count] : run.answers[s]) fmt::print(" {}: {};", label, count);
        fmt::print("\n");
        EXPECT_GE(run.answers[s].size(), 2u) << subjects[s].name << " always saw the same version";
    }
    fmt::print("  tips cache on disk:");
    for (const auto& [state, count] : run.cacheStates) fmt::print(" {}: {};", state, count);
    fmt::print("\n");

    EXPECT_TRUE(run.mismatches.empty())
        << run.mismatches.size()
        << " answers match no version, the first: " << (run.mismatches.empty() ? "" : run.mismatches.front());
    EXPECT_TRUE(run.unreadableCaches.empty())
        << run.unreadableCaches.size() << " unreadable caches, the first: "
        << (run.unreadableCaches.empty() ? "" : run.unreadableCaches.front());
    EXPECT_GT(served, 0u);
    EXPECT_GT(failed, 0u);
    for (const auto& folder : {world.cacheFolder, world.support})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with("."))
                << "left behind: " << entry.path();
}

}  // namespace
}  // namespace qb

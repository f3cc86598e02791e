#include "tips/tip_store.hpp"

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.hpp"
#include "platform/log.hpp"
#include "tips/feed_server.hpp"

namespace qb::tips {
namespace {

using test::FeedServer;
using test::tipsFeed;
using Titles = std::vector<std::string>;

const std::string feedPath =
    "/2/apps/supportmaterials.xml.php?product=Quillbrook&edition=Pro&version=4&lang=";

// A store on a temporary cache folder, at a fixed moment, in the given languages.
struct StoreFixture {
    test::TempDir folder;
    Date now{786000000.5};
    std::vector<std::string> languages = {"en-US"};

    TipStore store(const std::string& base, HttpOptions options = {}) {
        return TipStore::forServices(WidgetServices{.clock = [now = now] { return now; },
                                                    .http = std::make_shared<CurlHttpClient>(options),
                                                    .cacheFolder = folder.path(),
                                                    .feedBase = base},
                                     [languages = languages] { return languages; });
    }
    // A cache written `age` seconds before now, holding one tip with the given title.
    void writeCache(double age, const std::string& title) {
        folder.write("tips_cache.json",
                     fmt::format(R"({{"timestamp":{},"tips":[{{"title":"{}","description":"d",)"
                                 R"("link":"https://h/{}","pubDate":700000000,"guid":"{}"}}]}})",
                                 now.sinceReferenceDate - age, title, title, title));
    }
    std::string cacheBytes() const {
        return readFile(folder.path() / "tips_cache.json").value_or("(missing)");
    }
};

Titles titles(const std::vector<TipItem>& tips) {
    Titles result;
    for (const auto& tip : tips) result.push_back(tip.title);
    return result;
}

TEST(TipStoreTest, AsksForTheFeedInTheUsersLanguage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"de-AT", "en"}, "de"}, {{"fr-FR", "de-DE"}, "en"}, {{}, "en"}, {{"de"}, "de"}, {{"en-DE"}, "en"}};
    for (const auto& [languages, lang] : cases) {
        FeedServer server;
        server.respond({200, tipsFeed({"Rules"})});
        StoreFixture fixture;
        fixture.languages = languages;
        EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), Titles{"Rules"});
        EXPECT_EQ(server.requests(), Titles{feedPath + lang}) << testing::PrintToString(languages);
    }
    EXPECT_EQ(TipStore::requestURL("https://api.example:8443/", "de"),
              "https://api.example:8443" + feedPath + "de");
}

TEST(TipStoreTest, ServesTheCacheForSixHours) {
    const std::vector<std::tuple<std::string, double, bool>> cases = {
        {"5 h 59 min old", 21540, true},
        {"exactly 6 h old", 21600, false},
        {"1 h in the future", -3600, true},
        {"6 h 1 s in the future", -21601, true}};
    for (const auto& [name, age, fresh] : cases) {
        FeedServer server;
        server.respond({200, tipsFeed({"Downloaded"})});
        StoreFixture fixture;
        fixture.writeCache(age, "Cached");
        EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), Titles{fresh ? "Cached" : "Downloaded"})
            << name;
        EXPECT_EQ(server.requests().size(), fresh ? 0u : 1u) << name;
    }
}

TEST(TipStoreTest, FallsBackToTheCacheOfAnyAgeWhenTheDownloadFails) {
    StoreFixture fixture;
    fixture.writeCache(604800, "Week old");
    LogCapture log;
    auto base = test::closedBase;
    EXPECT_EQ(titles(fixture.store(base).fetchTips()), Titles{"Week old"});
    auto records = log.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, LogLevel::error);
    EXPECT_EQ(records[0].category, "TipStore");
    EXPECT_EQ(records[0].subsystem, logSubsystem);
    EXPECT_THAT(records[0].message,
                testing::StartsWith("Failed to fetch tips feed: Could not connect to " + base.substr(7)));

    StoreFixture empty;
    EXPECT_TRUE(empty.store(base).fetchTips().empty());
    EXPECT_EQ(empty.cacheBytes(), "(missing)");
}

// A download given up by its deadline, or cancelled, while the server holds it serves the stale cache.
TEST(TipStoreTest, ServesTheStaleCacheWhenADownloadIsGivenUpOrCancelled) {
    for (bool cancelled : {false, true}) {
        test::RawServer server(cancelled ? test::RawServer::Serve{} : test::RawServer::drip);
        StoreFixture fixture;
        fixture.writeCache(86400, "Stale");
        HttpOptions options;
        options.deadline = std::chrono::seconds(2);
        auto store = fixture.store(server.base(), cancelled ? HttpOptions{} : options);
        LogCapture log;
        std::thread canceller([&, cancelled = cancelled] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (cancelled) store.cancelDownloads();
        });
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(titles(store.fetchTips()), Titles{"Stale"});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
        canceller.join();
        ASSERT_EQ(log.records().size(), 1u);
        EXPECT_EQ(log.records()[0].message,
                  "Failed to fetch tips feed: " +
                      std::string(cancelled ? "The download was cancelled because the program is stopping"
                                            : "The server took longer than 2 seconds to send everything; the "
                                              "download was abandoned"));
    }
}

// Whatever keeps a download from yielding tips, the stale cache is served as it is, and why is logged.
TEST(TipStoreTest, ServesTheStaleCacheWhenADownloadYieldsNoTips) {
    const std::string prefix = "Failed to fetch tips feed: ";
    const std::vector<std::tuple<std::string, test::FeedResponse, std::string>> cases = {
        {"server error",
         {500, "<html><body><h1>Internal Server Error</h1></body></html>", "text/html"},
         "The server answered with HTTP status 500; try again later"},
        {"sign-in page",
         {200, "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Sign in</title></head></html>",
          "text/html"},
         "The server's answer (HTTP status 200) is no tips feed: it is not well-formed XML: mismatched tag "
         "at line 2"},
        {"empty body", {200, ""}, "The server sent no feed (HTTP status 200); try again later"},
        {"no content", {204, ""}, "The server sent no feed (HTTP status 204); try again later"},
        {"XML that is no feed",
         {200, "<?xml version=\"1.0\"?><status>maintenance</status>", "application/xml"},
         "The server's answer (HTTP status 200) is no tips feed: its root element is <status>, not <rss>"},
        {"feed without tips", {200, tipsFeed({})}, "The feed held no tips"},
    };
    for (const auto& [name, response, message] : cases) {
        FeedServer server;
        server.respond(response);
        StoreFixture fixture;
        fixture.writeCache(86400, "Stale");
        const std::string before = fixture.cacheBytes();
        LogCapture log;
        EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), Titles{"Stale"}) << name;
        EXPECT_EQ(fixture.cacheBytes(), before) << name;
        ASSERT_EQ(log.records().size(), 1u) << name;
        EXPECT_EQ(log.records()[0].level, LogLevel::error) << name;
        EXPECT_EQ(log.records()[0].message, prefix + message) << name;
    }
}

// Requests that come while the feed downloads share that download instead of starting their own.
TEST(TipStoreTest, DownloadsTheFeedOnceForRequestsAtTheSameTime) {
    struct SlowFeed final : HttpClient {
        mutable std::atomic<int> downloads = 0;
        HttpResult get(const std::string&) const override {
            ++downloads;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return {200, tipsFeed({"One", "Two"}), std::nullopt};
        }
    };
    auto http = std::make_shared<SlowFeed>();
    StoreFixture fixture;
    const auto store = TipStore::forServices(WidgetServices{.clock = [now = fixture.now] { return now; },
                                                            .http = http,
                                                            .cacheFolder = fixture.folder.path(),
                                                            .feedBase = "https://feed.test"},
                                             [] { return std::vector<std::string>{}; });
    std::vector<Titles> results(8);
    std::vector<std::thread> requests;
    for (auto& result : results) requests.emplace_back([&] { result = titles(store.fetchTips()); });
    for (auto& request : requests) request.join();
    EXPECT_EQ(http->downloads, 1);
    EXPECT_EQ(results, std::vector<Titles>(8, Titles{"One", "Two"}));
}

TEST(TipStoreTest, UsesOnlyACacheWithEveryKeyOfTheRightType) {
    const std::string tip = R"("title":"T","description":"d","link":"l","pubDate":1,"guid":"g")";
    auto cache = [&](const std::string& tips) { return R"({"timestamp":786000000,"tips":[)" + tips + "]}"; };
    auto changed = [&](const std::string& from, const std::string& to) {
        return "{" + std::string(tip).replace(tip.find(from), from.size(), to) + "}";
    };
    const Titles downloaded{"Downloaded"};
    const std::vector<std::tuple<std::string, std::string, Titles>> cases = {
        {"complete", cache("{" + tip + "}"), {"T"}},
        {"no tips, fresh", cache(""), {}},
        {"keys in another order, unknown keys",
         R"({"extra":1,"tips":[{"guid":"g","pubDate":1.5,"link":"l","description":"d","title":"T","id":"x"}],)"
         R"("timestamp":786000000})",
         {"T"}},
        {"one tip without guid", cache("{" + tip + "}," + changed(R"(,"guid":"g")", "")), downloaded},
        {"pubDate as text", cache(changed(R"("pubDate":1)", R"("pubDate":"1")")), downloaded},
        {"title as null", cache(changed(R"("title":"T")", R"("title":null)")), downloaded},
        {"no timestamp", R"({"tips":[{)" + tip + "}]}", downloaded},
        {"tips not a list", R"({"timestamp":786000000,"tips":{}})", downloaded},
        {"cut short", cache("{" + tip), downloaded},
        // Written by a version that kept longer fields: cut as a feed's would be.
        {"a long title",
         cache(changed(R"("title":"T")", R"("title":")" + std::string(1500, 'T') + "\"")),
         {std::string(1024, 'T')}},
    };
    for (const auto& [name, json, expected] : cases) {
        FeedServer server;
        server.respond({200, tipsFeed({"Downloaded"})});
        StoreFixture fixture;
        fixture.folder.write("tips_cache.json", json);
        EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), expected) << name;
    }
}

TEST(TipStoreTest, WritesTheCacheAsCompactJSONInAPrivateFolder) {
    FeedServer server;
    server.respond({200, tipsFeed({"Rules", "Search"})});
    test::TempDir root;
    auto folder = root.path() / "cache" / "quillbrook-widgets";
    auto store = TipStore::forServices(WidgetServices{.clock = [] { return Date{786000000.25}; },
                                                      .http = std::make_shared<CurlHttpClient>(),
                                                      .cacheFolder = folder,
                                                      .feedBase = server.base()},
                                       [] { return std::vector<std::string>{}; });
    ASSERT_EQ(store.fetchTips().size(), 2u);
    // 28 November 2024 09:00 UTC is 754477200 s after 1 January 2001.
    EXPECT_EQ(
        readFile(folder / "tips_cache.json").value_or(""),
        R"({"timestamp":786000000.25,"tips":[)"
        R"({"title":"Rules","description":"About Rules","link":"https://www.quillbrook.example/tips/Rules",)"
        R"("pubDate":754477200.0,"guid":"Rules"},)"
        R"({"title":"Search","description":"About Search","link":"https://www.quillbrook.example/tips/Search",)"
        R"("pubDate":754390800.0,"guid":"Search"}]})");
    for (const auto& created : {folder, folder.parent_path()}) {
        struct stat status {};
        ASSERT_EQ(::stat(created.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << created;
    }
}

TEST(TipStoreTest, DownloadsOverVerifiedTLS) {
    test::TempDir keys;
    auto certificate = test::TestCertificate::make(keys);
    FeedServer server(certificate);
    server.respond({200, tipsFeed({"Secure"})});
    HttpOptions trusting;
    trusting.caFile = certificate.certificate;
    StoreFixture fixture;
    EXPECT_EQ(titles(fixture.store(server.base(), trusting).fetchTips()), Titles{"Secure"});
    EXPECT_EQ(server.requests(), Titles{feedPath + "en"});

    // Without trust in the test's certificate the download fails like any other.
    StoreFixture untrusting;
    LogCapture log;
    EXPECT_TRUE(untrusting.store(server.base()).fetchTips().empty());
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_THAT(log.records()[0].message, testing::StartsWith("Failed to fetch tips feed: "));
}

}  // namespace
}  // namespace qb::tips

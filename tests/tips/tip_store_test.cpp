#include "tips/tip_store.hpp"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.hpp"
#include "platform/log.hpp"
#include "tips/feed_server.hpp"

namespace qb {
namespace {

using test::FeedResponse;
using test::FeedServer;
using test::TempDir;
using test::tipsFeed;

constexpr std::string_view feedPath =
    "/2/apps/supportmaterials.xml.php?product=Quillbrook&edition=Pro&version=4&lang=";

// A store on a temporary cache folder with a clock the test sets.
struct StoreFixture {
    TempDir folder;
    std::shared_ptr<Date> now = std::make_shared<Date>(Date{786000000.5});
    std::vector<std::string> languages = {"en-US"};

    TipStore store(const std::string& base, HttpOptions options = {}) {
        return TipStore::make(
            std::make_shared<CurlHttpClient>(options), [now = now] { return *now; }, folder.path(), base,
            [this] { return languages; });
    }
    std::filesystem::path cacheFile() const { return folder.path() / "tips_cache.json"; }

    // A cache written `age` seconds before now, holding one tip with the given title.
    void writeCache(double age, const std::string& title) {
        folder.write("tips_cache.json", R"({"timestamp":)" + std::to_string(now->sinceReferenceDate - age) +
                                            R"(,"tips":[{"title":")" + title +
                                            R"(","description":"d","link":"https://h/)" + title +
                                            R"(","pubDate":700000000,"guid":")" + title + R"("}]})");
    }
    std::string cacheBytes() const { return readFile(cacheFile()).value_or("(missing)"); }
};

std::vector<std::string> titles(const std::vector<TipItem>& tips) {
    std::vector<std::string> result;
    for (const auto& tip : tips) result.push_back(tip.title);
    return result;
}

TEST(TipStoreTest, AsksForTheFeedInTheUsersLanguage) {
    struct Case {
        std::vector<std::string> languages;
        std::string lang;
    };
    for (const auto& c : std::vector<Case>{{{"de-AT", "en"}, "de"},
                                           {{"fr-FR", "de-DE"}, "en"},
                                           {{}, "en"},
                                           {{"de"}, "de"},
                                           {{"en-DE"}, "en"}}) {
        FeedServer server;
        server.respond({200, tipsFeed({"Rules"})});
        StoreFixture fixture;
        fixture.languages = c.languages;
        EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), std::vector<std::string>{"Rules"});
        EXPECT_EQ(server.requests(), std::vector<std::string>{std::string(feedPath) + c.lang})
            << testing::PrintToString(c.languages);
    }
}

TEST(TipStoreTest, ServesTheCacheForSixHours) {
    struct Case {
        std::string name;
        double age;
        bool fresh;
    };
    for (const auto& c : std::vector<Case>{{"5 h 59 min old", 21540, true},
                                           {"exactly 6 h old", 21600, false},
                                           {"a week old", 604800, false},
                                           {"1 h in the future", -3600, true},
                                           {"6 h 1 s in the future", -21601, true}}) {
        FeedServer server;
        server.respond({200, tipsFeed({"Downloaded"})});
        StoreFixture fixture;
        fixture.writeCache(c.age, "Cached");
        auto tips = fixture.store(server.base()).fetchTips();
        EXPECT_EQ(titles(tips), std::vector<std::string>{c.fresh ? "Cached" : "Downloaded"}) << c.name;
        EXPECT_EQ(server.requests().size(), c.fresh ? 0u : 1u) << c.name;
    }
}

TEST(TipStoreTest, FallsBackToTheCacheOfAnyAgeWhenTheDownloadFails) {
    StoreFixture fixture;
    fixture.writeCache(604800, "Week old");
    LogCapture log;
    auto base = test::closedBase();
    EXPECT_EQ(titles(fixture.store(base).fetchTips()), std::vector<std::string>{"Week old"});
    auto records = log.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, LogLevel::error);
    EXPECT_EQ(records[0].category, "TipStore");
    EXPECT_EQ(records[0].subsystem, logSubsystem);
    EXPECT_THAT(
        records[0].message,
        testing::StartsWith("Failed to fetch tips feed: Could not connect to 127.0.0.1:" + base.substr(17)));

    StoreFixture empty;
    EXPECT_TRUE(empty.store(base).fetchTips().empty());
    EXPECT_FALSE(std::filesystem::exists(empty.cacheFile()));
}

TEST(TipStoreTest, TreatsAnErrorStatusAsAFailedDownload) {
    FeedServer server;
    server.respond({500, "<html><body><h1>Internal Server Error</h1></body></html>", "text/html"});
    StoreFixture fixture;
    fixture.writeCache(86400, "Stale");
    std::string before = fixture.cacheBytes();
    LogCapture log;
    EXPECT_EQ(titles(fixture.store(server.base()).fetchTips()), std::vector<std::string>{"Stale"});
    EXPECT_EQ(fixture.cacheBytes(), before);
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].message,
              "Failed to fetch tips feed: The server answered with HTTP status 500; try again later");
}

TEST(TipStoreTest, LeavesTheCacheAloneWhenTheFeedHasNoTips) {
    FeedServer server;
    server.respond({200, tipsFeed({}), "application/rss+xml"});
    StoreFixture fixture;
    fixture.writeCache(86400, "Stale");
    std::string before = fixture.cacheBytes();
    LogCapture log;
    EXPECT_TRUE(fixture.store(server.base()).fetchTips().empty());
    EXPECT_EQ(fixture.cacheBytes(), before);
    EXPECT_TRUE(log.records().empty());

    // A fresh cache with no tips holds the download off.
    fixture.folder.write("tips_cache.json", R"({"timestamp":786000000,"tips":[]})");
    EXPECT_TRUE(fixture.store(server.base()).fetchTips().empty());
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(TipStoreTest, RejectsACacheWithAMissingOrMistypedKey) {
    const std::string tip = R"("title":"T","description":"d","link":"l","pubDate":1,"guid":"g")";
    struct Case {
        std::string name;
        std::string json;
        bool usable;
    };
    std::vector<Case> cases = {
        {"complete", R"({"timestamp":786000000,"tips":[{)" + tip + "}]}", true},
        {"keys in another order, unknown keys",
         R"({"extra":1,"tips":[{"guid":"g","pubDate":1.5,"link":"l","description":"d","title":"T","id":"x"}],"timestamp":786000000})",
         true},
        {"one tip without guid",
         R"({"timestamp":786000000,"tips":[{)" + tip +
             R"(},{"title":"T","description":"d","link":"l","pubDate":1}]})",
         false},
        {"pubDate as text",
         R"({"timestamp":786000000,"tips":[{"title":"T","description":"d","link":"l","pubDate":"1","guid":"g"}]})",
         false},
        {"title as null",
         R"({"timestamp":786000000,"tips":[{"title":null,"description":"d","link":"l","pubDate":1,"guid":"g"}]})",
         false},
        {"no timestamp", R"({"tips":[{)" + tip + "}]}", false},
        {"tips not a list", R"({"timestamp":786000000,"tips":{}})", false},
        {"not JSON", "tips", false},
        {"cut short", R"({"timestamp":786000000,"tips":[{)" + tip, false},
    };
    for (const auto& c : cases) {
        FeedServer server;
        server.respond({200, tipsFeed({"Downloaded"})});
        StoreFixture fixture;
        fixture.folder.write("tips_cache.json", c.json);
        auto tips = fixture.store(server.base()).fetchTips();
        EXPECT_EQ(titles(tips), std::vector<std::string>{c.usable ? "T" : "Downloaded"}) << c.name;
    }
}

TEST(TipStoreTest, WritesTheCacheAsCompactJSONInAPrivateFolder) {
    FeedServer server;
    server.respond({200, tipsFeed({"Rules", "Search"})});
    StoreFixture fixture;
    auto folder = fixture.folder.path() / "cache" / "quillbrook-widgets";
    auto store = TipStore::make(
        std::make_shared<CurlHttpClient>(), [] { return Date{786000000.25}; }, folder, server.base(),
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
    TempDir keys;
    auto certificate = test::TestCertificate::make(keys);
    FeedServer server(certificate);
    server.respond({200, tipsFeed({"Secure"})});

    HttpOptions trusting;
    trusting.caFile = certificate.certificate;
    StoreFixture fixture;
    EXPECT_EQ(titles(fixture.store(server.base(), trusting).fetchTips()), std::vector<std::string>{"Secure"});
    EXPECT_EQ(server.requests(), std::vector<std::string>{std::string(feedPath) + "en"});

    // Without trust in the test's certificate the download fails like any other.
    StoreFixture untrusting;
    LogCapture log;
    EXPECT_TRUE(untrusting.store(server.base()).fetchTips().empty());
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_THAT(log.records()[0].message, testing::StartsWith("Failed to fetch tips feed: "));
}

TEST(TipStoreTest, BuildsTheRequestFromTheFeedBase) {
    EXPECT_EQ(TipStore::requestURL("https://api.example:8443/", "de"),
              "https://api.example:8443" + std::string(feedPath) + "de");
    EXPECT_EQ(TipStore::defaultFeedBase(), std::string("https://") + "api.quillbrook.example");
}

}  // namespace
}  // namespace qb

// The desktop host's downloads through its helper program: what the server answered arrives whole, a
// failure says what happened, cancelling ends the helpers at once, and a helper that cannot run,
// hangs or answers nonsense is a failed download, not a stuck or crashed host.

#include "host/desktop/download/helper_client.hpp"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_support.hpp"
#include "tips/feed_server.hpp"

namespace qb::desktop {
namespace {

using namespace std::chrono_literals;
using testing::StartsWith;

const std::string feedTarget = "/2/apps/supportmaterials.xml.php";

TEST(HelperHttpClientTest, BringsTheServersAnswerOrItsFailureWhole) {
    test::FeedServer server;
    const HelperHttpClient client(QB_DOWNLOAD_HELPER);
    const std::string bytes("line one\nline two\r\n\0\xff end", 25);
    server.respond({200, bytes, "application/octet-stream"});
    const HttpResult fetched = client.get(server.base() + feedTarget);
    EXPECT_FALSE(fetched.error);
    EXPECT_EQ(fetched.status, 200);
    EXPECT_EQ(fetched.body, bytes);

    server.respond({404, "not here", "text/plain"});
    EXPECT_EQ(client.get(server.base() + feedTarget), (HttpResult{404, "not here", std::nullopt}));
    // The helper's words are the in-process client's.
    EXPECT_EQ(client.get(test::closedBase + "/feed"), CurlHttpClient().get(test::closedBase + "/feed"));
}

// A server that never answers would hold the helper for its idle timeout (a minute).
TEST(HelperHttpClientTest, CancellingEndsRunningAndLaterDownloadsAtOnce) {
    test::RawServer silent;
    const HelperHttpClient client(QB_DOWNLOAD_HELPER);
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        client.cancelAll();
    });
    const auto started = std::chrono::steady_clock::now();
    const HttpResult hung = client.get(silent.base() + feedTarget);
    const auto waited = std::chrono::steady_clock::now() - started;
    canceller.join();
    const std::string cancelled = "The download was cancelled because the program is stopping";
    EXPECT_EQ(hung.error, cancelled);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(client.get(silent.base() + feedTarget).error, cancelled);
}

TEST(HelperHttpClientTest, AHelperThatFailsIsAFailedDownload) {
    const test::TempDir folder;
    const auto killed = folder.write("killed", "#!/bin/sh\nkill -KILL $$\n");
    std::filesystem::permissions(killed, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    // /bin/sleep takes the address as its number of seconds.
    const std::vector<std::pair<HelperHttpClient, std::string>> cases = {
        {HelperHttpClient("/nonexistent/quillbrook-widgets-download"),
         "Could not start the download helper /nonexistent/quillbrook-widgets-download: No such file or "
         "directory; reinstall quillbrook-widgets"},
        {HelperHttpClient("/bin/true"),
         "The download helper gave no answer that could be read; the download was abandoned"},
        {HelperHttpClient("/bin/false"),
         "The download helper failed (exit status 1); the download was abandoned"},
        {HelperHttpClient(killed),
         "The download helper was stopped by signal 9 (Killed); the download was abandoned"},
        {HelperHttpClient("/bin/sleep", 1s),
         "The download helper did not finish within 1 second; the download was abandoned"},
    };
    for (const auto& [client, error] : cases) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(client.get("30").error, error);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << error;
    }
}

TEST(DownloadAnswerTest, ReadsBackWhatTheHelperWritesAndNothingElse) {
    for (const HttpResult& result :
         {HttpResult{200, "body\nwith lines", std::nullopt}, HttpResult{0, "", "Could not connect: refused"},
          HttpResult{302, "", std::nullopt}})
        EXPECT_EQ(decodeDownloadAnswer(encodeDownloadAnswer(result)), result);
    // An error is one line, and never empty.
    EXPECT_EQ(decodeDownloadAnswer(encodeDownloadAnswer({0, "", "two\nlines"}))->error, "two lines");
    EXPECT_EQ(decodeDownloadAnswer(encodeDownloadAnswer({0, "", ""}))->error, "The download failed");
    for (const std::string_view broken :
         {"", "200", "200\n", "\n\n", "2x0\n\n", "-1\n\n", "1000\n\n", " 200\n\n"})
        EXPECT_FALSE(decodeDownloadAnswer(broken)) << broken;
}

}  // namespace
}  // namespace qb::desktop

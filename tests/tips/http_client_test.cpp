#include "platform/http.hpp"

#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tips/feed_server.hpp"

namespace qb {
namespace {

using test::FeedServer;
using testing::HasSubstr;
using testing::StartsWith;
using namespace std::chrono_literals;

const std::string feedTarget = "/2/apps/supportmaterials.xml.php";

TEST(CurlHttpClientTest, ReturnsStatusAndBodyWithinItsLimits) {
    FeedServer server;
    server.respond({404, "not here", "text/plain"});
    auto notFound = CurlHttpClient().get(server.base() + feedTarget);
    EXPECT_TRUE(notFound.succeeded());
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.body, "not here");

    HttpOptions small;
    small.maxBodyBytes = 1000;
    small.idleTimeout = std::chrono::seconds(1);
    server.respond({200, std::string(1000, 'x')});
    EXPECT_TRUE(CurlHttpClient(small).get(server.base() + feedTarget).succeeded());
    server.respond({200, std::string(5000, 'x')});
    auto tooLarge = CurlHttpClient(small).get(server.base() + feedTarget);
    EXPECT_EQ(tooLarge.error, "The server sent more than 1000 bytes; the download was abandoned");
    EXPECT_TRUE(tooLarge.body.empty());
    server.respond({200, "late", "text/plain", std::chrono::milliseconds(2500)});
    EXPECT_EQ(CurlHttpClient(small).get(server.base() + feedTarget).error,
              "The server sent nothing for 1 seconds; the download was abandoned");
}

TEST(CurlHttpClientTest, FollowsRedirectsButNotFromHttpsToHttp) {
    FeedServer plain;
    plain.respond({200, "feed"});
    auto redirect = [&](FeedServer& server, const std::string& from, const std::string& to) {
        server.server().Get(from, [to](const auto&, auto& response) { response.set_redirect(to); });
    };
    redirect(plain, "/moved", plain.base() + feedTarget);
    redirect(plain, "/loop", plain.base() + "/loop");
    EXPECT_EQ(CurlHttpClient().get(plain.base() + "/moved").body, "feed");
    auto loop = CurlHttpClient().get(plain.base() + "/loop");
    EXPECT_FALSE(loop.succeeded());
    EXPECT_THAT(*loop.error, HasSubstr("redirect"));

    test::TempDir keys;
    auto certificate = test::TestCertificate::make(keys);
    FeedServer secure(certificate);
    redirect(secure, "/downgrade", plain.base() + feedTarget);
    HttpOptions trusting;
    trusting.caFile = certificate.certificate;
    auto downgraded = CurlHttpClient(trusting).get(secure.base() + "/downgrade");
    EXPECT_FALSE(downgraded.succeeded());
    EXPECT_THAT(*downgraded.error, StartsWith("Refused to follow a redirect"));
    EXPECT_EQ(plain.requests().size(), 1u);  // only the plain redirect above reached it
}

// A server that never answers would hold the download for its idle timeout (a minute); cancelling ends
// it at once, and every download after it.
TEST(CurlHttpClientTest, CancellingEndsRunningAndLaterDownloadsAtOnce) {
    test::RawServer silent;
    CurlHttpClient client;
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        client.cancelAll();
    });
    const auto started = std::chrono::steady_clock::now();
    auto hung = client.get(silent.base() + feedTarget);
    const auto waited = std::chrono::steady_clock::now() - started;
    canceller.join();
    const std::string cancelled = "The download was cancelled because the program is stopping";
    EXPECT_EQ(hung.error, cancelled);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(client.get(silent.base() + feedTarget).error, cancelled);
}

TEST(CurlHttpClientTest, DescribesFailuresForAPerson) {
    auto base = test::closedBase;
    EXPECT_EQ(CurlHttpClient().get(base + "/feed").error,
              "Could not connect to " + base.substr(7) + ": Connection refused");
    EXPECT_EQ(CurlHttpClient().get("ftp://127.0.0.1/feed").error,
              "\"ftp://127.0.0.1/feed\" is not an http or https address");
    EXPECT_EQ(CurlHttpClient().get("not a url").error, "\"not a url\" is not a valid web address");
}

}  // namespace
}  // namespace qb

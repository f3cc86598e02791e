#include "platform/http.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tips/feed_server.hpp"

namespace qb {
namespace {

using test::FeedServer;

const std::string feedTarget = "/2/apps/supportmaterials.xml.php";

TEST(CurlHttpClientTest, ReturnsStatusAndBody) {
    FeedServer server;
    server.respond({404, "not here", "text/plain"});
    auto result = CurlHttpClient().get(server.base() + feedTarget);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, "not here");
}

TEST(CurlHttpClientTest, FailsADownloadPastItsLimits) {
    FeedServer server;
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
    auto idle = CurlHttpClient(small).get(server.base() + feedTarget);
    EXPECT_EQ(idle.error, "The server sent nothing for 1 seconds; the download was abandoned");
}

TEST(CurlHttpClientTest, FollowsRedirectsButNotFromHttpsToHttp) {
    FeedServer plain;
    plain.respond({200, "feed"});
    plain.server().Get("/moved", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(plain.base() + feedTarget);
    });
    plain.server().Get("/loop", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(plain.base() + "/loop");
    });
    EXPECT_EQ(CurlHttpClient().get(plain.base() + "/moved").body, "feed");
    auto loop = CurlHttpClient().get(plain.base() + "/loop");
    EXPECT_FALSE(loop.succeeded());
    EXPECT_THAT(*loop.error, testing::HasSubstr("redirect"));

    test::TempDir keys;
    auto certificate = test::TestCertificate::make(keys);
    FeedServer secure(certificate);
    secure.server().Get("/downgrade", [&](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(plain.base() + feedTarget);
    });
    HttpOptions trusting;
    trusting.caFile = certificate.certificate;
    auto downgraded = CurlHttpClient(trusting).get(secure.base() + "/downgrade");
    EXPECT_FALSE(downgraded.succeeded());
    EXPECT_THAT(*downgraded.error, testing::StartsWith("Refused to follow a redirect"));
    EXPECT_EQ(plain.requests().size(), 1u);  // only the plain redirect above reached it
}

TEST(CurlHttpClientTest, DescribesFailuresForAPerson) {
    auto base = test::closedBase();
    auto refused = CurlHttpClient().get(base + "/feed");
    EXPECT_EQ(refused.error, "Could not connect to " + base.substr(7) + ": Connection refused");
    EXPECT_EQ(CurlHttpClient().get("ftp://127.0.0.1/feed").error,
              "\"ftp://127.0.0.1/feed\" is not an http or https address");
    EXPECT_EQ(CurlHttpClient().get("not a url").error, "\"not a url\" is not a valid web address");
}

}  // namespace
}  // namespace qb

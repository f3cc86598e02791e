#include "host/server/host_check.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

using namespace std::string_view_literals;

TEST(HostCheck, AcceptsOnlyTheDashboardsOwnLoopbackAddress) {
    for (std::string_view host : {"localhost:8642", "LOCALHOST:8642", "127.0.0.1:8642", "[::1]:8642"})
        EXPECT_TRUE(isDashboardHost(host, 8642)) << host;
    EXPECT_TRUE(isDashboardHost("localhost", 80));
    for (std::string_view host :
         {""sv, "localhost"sv, "localhost:8643"sv, "evil.example:8642"sv, "localhost.evil.example:8642"sv,
          "127.0.0.1.nip.io:8642"sv, "127.0.0.2:8642"sv, "0.0.0.0:8642"sv, "localhost:"sv, "localhost:86a2"sv,
          "localhost:8642:1"sv, "[::1]x"sv, "[::1"sv, "localhost@evil.example:8642"sv,
          "localhost%00.evil:8642"sv, "localhost%2eevil:8642"sv, "localhost\0.evil:8642"sv,
          "localhost:08642%20"sv})
        EXPECT_FALSE(isDashboardHost(host, 8642)) << host;

    for (std::string_view origin : {"http://127.0.0.1:8642", "http://localhost:8642", "http://[::1]:8642"})
        EXPECT_TRUE(isDashboardOrigin(origin, 8642)) << origin;
    for (std::string_view origin :
         {""sv, "null"sv, "https://evil.example"sv, "http://evil.example:8642"sv, "http://127.0.0.1:8643"sv,
          "http://localhost"sv, "https://localhost:8642"sv, "http://localhost%2e:8642"sv,
          "http://localhost\0:8642"sv})
        EXPECT_FALSE(isDashboardOrigin(origin, 8642)) << origin;
}

}  // namespace
}  // namespace qb::host

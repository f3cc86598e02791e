#include "host/server/host_check.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

TEST(HostCheck, AcceptsOnlyLoopbackHostsAndOrigins) {
    for (std::string_view host :
         {"localhost", "LOCALHOST:8642", "127.0.0.1", "127.0.0.1:8642", "[::1]", "[::1]:8642"})
        EXPECT_TRUE(isLoopbackHost(host)) << host;
    for (std::string_view host : {"", "evil.example:8642", "localhost.evil.example", "127.0.0.1.nip.io:8642",
                                  "127.0.0.2", "0.0.0.0:8642", "localhost:", "localhost:86a2",
                                  "localhost:8642:1", "[::1]x", "[::1", "localhost@evil.example"})
        EXPECT_FALSE(isLoopbackHost(host)) << host;
    EXPECT_TRUE(isLoopbackOrigin("http://127.0.0.1:8642"));
    EXPECT_TRUE(isLoopbackOrigin("http://localhost:8642"));
    for (std::string_view origin : {"https://evil.example", "http://evil.example:8642", "null", ""})
        EXPECT_FALSE(isLoopbackOrigin(origin)) << origin;
}

}  // namespace
}  // namespace qb::host

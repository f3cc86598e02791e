#include "host/server/host_check.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

TEST(HostCheck, AcceptsOnlyLoopbackNames) {
    struct Case {
        std::string_view host;
        bool loopback;
    };
    for (const auto& [host, loopback] : std::initializer_list<Case>{
             {"localhost", true},
             {"LOCALHOST:8642", true},
             {"127.0.0.1", true},
             {"127.0.0.1:8642", true},
             {"[::1]", true},
             {"[::1]:8642", true},
             {"", false},
             {"evil.example", false},
             {"evil.example:8642", false},
             {"localhost.evil.example", false},
             {"127.0.0.1.nip.io:8642", false},
             {"127.0.0.2", false},
             {"0.0.0.0:8642", false},
             {"localhost:", false},
             {"localhost:86a2", false},
             {"localhost:8642:1", false},
             {"[::1]x", false},
             {"[::1", false},
             {"localhost@evil.example", false},
         })
        EXPECT_EQ(isLoopbackHost(host), loopback) << host;
}

TEST(HostCheck, AcceptsOnlyLoopbackOrigins) {
    EXPECT_TRUE(isLoopbackOrigin("http://127.0.0.1:8642"));
    EXPECT_TRUE(isLoopbackOrigin("http://localhost:8642"));
    EXPECT_FALSE(isLoopbackOrigin("https://evil.example"));
    EXPECT_FALSE(isLoopbackOrigin("http://evil.example:8642"));
    EXPECT_FALSE(isLoopbackOrigin("null"));
    EXPECT_FALSE(isLoopbackOrigin(""));
}

}  // namespace
}  // namespace qb::host

#include "platform/date.hpp"

#include <limits>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(Date, Iso8601WithMillisecondsInUtc) {
    struct Case {
        Date date;
        const char* text;
    };
    const Case cases[] = {
        {Date{0}, "2001-01-01T00:00:00.000Z"},
        {Date{-0.25}, "2000-12-31T23:59:59.750Z"},
        {Date{817215123.4567}, "2026-11-24T12:12:03.456Z"},
        {Date::fromUnixSeconds(0), "1970-01-01T00:00:00.000Z"},
        {Date{1e300}, "9999-12-31T23:59:59.999Z"},
        {Date{-1e300}, "0001-01-01T00:00:00.000Z"},
        {Date{std::numeric_limits<double>::quiet_NaN()}, "0001-01-01T00:00:00.000Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(iso8601(c.date), c.text) << c.date.sinceReferenceDate;
}

}  // namespace
}  // namespace qb

// The value model: typed access, equality, and values that outlive the tree they came from.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/plist/plist.hpp"
#include "plist_test_helpers.hpp"
#include "support/test_support.hpp"

namespace qb::plist {
namespace {

using namespace std::string_literals;

TEST(PlistValue, TypedAccessAnswersOnlyForItsType) {
    const Value values[] = {Value(),
                            Value::boolean(true),
                            Value::integer(-3),
                            Value::unsignedInteger(UINT64_MAX),
                            Value::real(2.5),
                            Value::date(Date{10}),
                            Value::data(Bytes("ab"s)),
                            Value::string("s"),
                            Value::uid(4),
                            Value::array({}),
                            Value::dictionary({})};
    for (const Value& value : values) {
        SCOPED_TRACE(static_cast<int>(value.type()));
        const Type type = value.type();
        EXPECT_EQ(value.asBoolean().has_value(), type == Type::boolean);
        EXPECT_EQ(value.asInteger().has_value(), type == Type::integer);
        EXPECT_EQ(value.asUnsignedInteger().has_value(), type == Type::unsignedInteger);
        EXPECT_EQ(value.asReal().has_value(), type == Type::real);
        EXPECT_EQ(value.asNumber().has_value(),
                  type == Type::integer || type == Type::unsignedInteger || type == Type::real);
        EXPECT_EQ(value.asDate().has_value(), type == Type::date);
        EXPECT_EQ(value.asData().has_value(), type == Type::data);
        EXPECT_EQ(value.asString().has_value(), type == Type::string);
        EXPECT_EQ(value.asUid().has_value(), type == Type::uid);
        EXPECT_EQ(value.asArray().has_value(), type == Type::array);
        EXPECT_EQ(value.asDictionary().has_value(), type == Type::dictionary);
        EXPECT_FALSE(value["key"]);
    }
    EXPECT_EQ(Value::unsignedInteger(5).type(), Type::integer);  // small unsigned values are integers
    EXPECT_EQ(Value::unsignedInteger(UINT64_MAX).asNumber(), 18446744073709551615.0);
}

TEST(PlistValue, EqualityIsStructural) {
    EXPECT_EQ(Value::real(std::nan("")), Value::real(std::nan("")));
    EXPECT_NE(Value::real(1), Value::integer(1));
    EXPECT_NE(Value::date(Date{1}), Value::real(1));
    EXPECT_EQ(Value::dictionary({{"a", Value::integer(1)}, {"b", Value::string("x")}}),
              Value::dictionary({{"b", Value::string("x")}, {"a", Value::integer(1)}}));
    EXPECT_NE(Value::array({Value::integer(1), Value::integer(2)}),
              Value::array({Value::integer(2), Value::integer(1)}));
    EXPECT_EQ(Value::dictionary({{"k", Value()}, {"k", Value::integer(2)}}),
              Value::dictionary({{"k", Value::integer(2)}}));
}

TEST(PlistValue, CopiesAndDataOutliveTheParsedTree) {
    for (auto format : {test::PlistFormat::binary, test::PlistFormat::xml}) {
        std::optional<Value> title;
        std::optional<Value> list;
        std::optional<Bytes> icon;
        std::string_view titleView;
        {
            std::string bytes;
            for (int i = 0; i < 200; ++i) bytes += static_cast<char>(i);
            auto result = parse(
                test::makePlist(test::PlistJson::array({{{"title", "A title longer than a short string"},
                                                         {"icon", test::plistData(bytes)},
                                                         {"l", {1, 2}}}}),
                                format));
            ASSERT_TRUE(result) << result.error;
            const Value& entry = (*result.value->asArray())[0];
            title = entry["title"]->retained();
            list = entry["l"]->retained();
            icon = entry["icon"]->asData();
            titleView = *title->asString();
        }
        // The root is gone; the copies keep what they need (ASan reports any use after free).
        EXPECT_EQ(titleView, "A title longer than a short string");
        EXPECT_EQ(*list, Value::array({Value::integer(1), Value::integer(2)}));
        std::string expected;
        for (int i = 0; i < 200; ++i) expected += static_cast<char>(i);
        EXPECT_EQ(icon->view(), expected);
    }
}

}  // namespace
}  // namespace qb::plist

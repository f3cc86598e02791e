#include "host/render/display_text.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

TEST(DisplayTextTest, MeasuresCellsNotBytes) {
    EXPECT_EQ(displayWidth("abc"), 3);
    EXPECT_EQ(displayWidth("東京"), 4);
    EXPECT_EQ(displayWidth("e\u0301"), 1);  // e with a combining acute
    EXPECT_EQ(displayWidth("👍"), 2);
    EXPECT_EQ(displayWidth("👩\u200D💻"), 2);  // one glyph joined from two emoji
    EXPECT_EQ(glyphsOf("e\u0301x").size(), 2u);
}

TEST(DisplayTextTest, TruncatesWithoutSplittingACharacter) {
    EXPECT_EQ(truncateToWidth("abcdef", 6), "abcdef");
    EXPECT_EQ(truncateToWidth("abcdef", 4), "abc…");
    EXPECT_EQ(truncateToWidth("東京タワー", 5), "東京…");
    EXPECT_EQ(truncateToWidth("東京タワー", 4), "東…");  // the half cell left stays empty
    EXPECT_EQ(truncateToWidth("e\u0301e\u0301e\u0301", 2), "e\u0301…");
    EXPECT_EQ(truncateToWidth("abc", 0), "");
}

TEST(DisplayTextTest, WrapsAtWordsAndMarksWhatTheLineLimitLeavesOut) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(wrapToWidth("the quick brown fox", 9, std::nullopt), (Lines{"the quick", "brown fox"}));
    EXPECT_EQ(wrapToWidth("the quick brown fox", 9, 1), (Lines{"the quic…"}));
    EXPECT_EQ(wrapToWidth("the quick brown fox", 12, 1), (Lines{"the quick…"}));
    EXPECT_EQ(wrapToWidth("abcdefghij", 4, std::nullopt), (Lines{"abcd", "efgh", "ij"}));
    EXPECT_EQ(wrapToWidth("東京タワー", 3, std::nullopt), (Lines{"東", "京", "タ", "ワ", "ー"}));
    EXPECT_EQ(wrapToWidth("a\n\nb", 5, std::nullopt), (Lines{"a", "", "b"}));
    EXPECT_EQ(wrapToWidth("", 5, std::nullopt), (Lines{""}));  // an empty text still takes its line
    EXPECT_TRUE(wrapToWidth("anything", 0, std::nullopt).empty());
    EXPECT_TRUE(wrapToWidth("anything", 5, 0).empty());
}

TEST(DisplayTextTest, MeasuredExtentsMatchTheWrappedLines) {
    // Marks, joiners, wide glyphs, empty lines and blanks: each measured as wrapping them would.
    const std::string texts[] = {"a  double  blank and a trailing one ",
                                 "antidisestablishmentarianism is long",
                                 "mixed 東京 words and 👍 emoji",
                                 "first paragraph\n\nthird one after an empty one\nx",
                                 "",
                                 " ",
                                 "e\u0301te\u0301 with marks",
                                 "\u0301leading mark",
                                 "joined 👩\u200D💻 glyph",
                                 "ends with a joiner\u200D next"};
    const std::optional<int> limits[] = {std::nullopt, 0, 1, 2, 3, 5};
    for (const auto& text : texts) {
        const TextMeasure measure(text);
        for (int width = -1; width <= 14; ++width) {
            for (const auto& limit : limits) {
                TextExtent expected;
                for (const auto& line : wrapToWidth(text, width, limit)) {
                    expected.width = std::max(expected.width, displayWidth(line));
                    ++expected.lines;
                }
                const TextExtent extent = measure.extent(width, limit);
                EXPECT_TRUE(extent.width == expected.width && extent.lines == expected.lines)
                    << text << " width " << width << " limit " << limit.value_or(-1) << ": " << extent.width
                    << "x" << extent.lines << " instead of " << expected.width << "x" << expected.lines;
            }
        }
    }
}

}  // namespace
}  // namespace qb::host

#include "ui/symbols.hpp"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace qb::ui {
namespace {

// Every symbol name the widgets and the document type catalogue use.
std::vector<std::string> usedSymbols() {
    std::istringstream names(
        "star folder folder.badge.gearshape doc doc.text doc.richtext doc.plaintext terminal globe "
        "archivebox chevron.left.forwardslash.chevron.right list.bullet.rectangle photo play.rectangle "
        "bookmark dot.radiowaves.left.and.right tablecells tag video waveform envelope newspaper "
        "cylinder.split.1x2 gearshape.2 rectangle.stack macwindow text.book.closed checkmark.circle "
        "lightbulb lightbulb.slash");
    return {std::istream_iterator<std::string>(names), std::istream_iterator<std::string>()};
}

// The number of code points of a UTF-8 text.
std::size_t codePoints(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

TEST(Symbols, EveryUsedNameHasIconNamesAndOneNarrowGlyph) {
    for (const auto& name : usedSymbols()) {
        SCOPED_TRACE(name);
        const SymbolInfo& info = symbolInfo(name);
        EXPECT_EQ(info.name, name);
        ASSERT_FALSE(info.iconNames.empty());
        EXPECT_EQ(codePoints(info.glyph), 1u);
        EXPECT_LT(info.glyph.size(), 4u);  // astral-plane pictographs are emoji, two cells wide
    }
    EXPECT_EQ(symbolTable().size(), usedSymbols().size());
    // An unknown name gets the generic document entry.
    EXPECT_TRUE(symbolInfo("no.such.symbol").name.empty());
    EXPECT_EQ(symbolInfo("no.such.symbol").iconNames.front(), "text-x-generic-symbolic");
}

TEST(Symbols, IconFileTakesTheFirstNameAnyThemeHolds) {
    test::TempDir root;
    root.write("first/16x16/places/folder.png", "png");
    root.write("first/scalable/places/folder.svg", "svg");
    root.write("second/48x48/status/folder-symbolic.png", "png");
    const auto first = root.path() / "first", second = root.path() / "second";
    // "folder-symbolic" comes before "folder" in the table, so the second theme's file wins.
    EXPECT_EQ(iconFile(symbolInfo("folder"), {first, second}), second / "48x48/status/folder-symbolic.png");
    // Without it, the scalable drawing comes before the fixed size.
    EXPECT_EQ(iconFile(symbolInfo("folder"), {first}), first / "scalable/places/folder.svg");
    EXPECT_EQ(iconFile(symbolInfo("tag"), {first, second}), std::nullopt);
}

}  // namespace
}  // namespace qb::ui

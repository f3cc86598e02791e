#include "ui/symbols.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace qb::ui {
namespace {

// Every symbol name the widgets and the document type catalogue use.
const char* const usedSymbols[] = {
    "star",
    "folder",
    "folder.badge.gearshape",
    "doc",
    "doc.text",
    "doc.richtext",
    "doc.plaintext",
    "terminal",
    "globe",
    "archivebox",
    "chevron.left.forwardslash.chevron.right",
    "list.bullet.rectangle",
    "photo",
    "play.rectangle",
    "bookmark",
    "dot.radiowaves.left.and.right",
    "tablecells",
    "tag",
    "video",
    "waveform",
    "envelope",
    "newspaper",
    "cylinder.split.1x2",
    "gearshape.2",
    "rectangle.stack",
    "macwindow",
    "text.book.closed",
    "checkmark.circle",
    "lightbulb",
    "lightbulb.slash",
};

// The number of code points of a UTF-8 text.
std::size_t codePoints(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

TEST(Symbols, EveryUsedNameHasIconNamesAndOneNarrowGlyph) {
    for (const char* name : usedSymbols) {
        SCOPED_TRACE(name);
        const SymbolInfo& info = symbolInfo(name);
        EXPECT_EQ(info.name, name);
        ASSERT_FALSE(info.iconNames.empty());
        EXPECT_EQ(codePoints(info.glyph), 1u);
        // Astral-plane pictographs are emoji, drawn two cells wide.
        EXPECT_LT(info.glyph.size(), 4u);
    }
    EXPECT_EQ(symbolTable().size(), std::size(usedSymbols));
}

TEST(Symbols, UnknownNameGetsTheGenericDocumentEntry) {
    const SymbolInfo& info = symbolInfo("no.such.symbol");
    EXPECT_TRUE(info.name.empty());
    EXPECT_EQ(info.glyph, "•");
    EXPECT_EQ(info.iconNames.front(), "text-x-generic-symbolic");
}

TEST(Symbols, IconFileTakesTheFirstNameAnyThemeHolds) {
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "qb_symbols_test_theme";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "first/16x16/places");
    std::filesystem::create_directories(root / "first/scalable/places");
    std::filesystem::create_directories(root / "second/48x48/status");
    std::ofstream(root / "first/16x16/places/folder.png") << "png";
    std::ofstream(root / "first/scalable/places/folder.svg") << "svg";
    std::ofstream(root / "second/48x48/status/folder-symbolic.png") << "png";

    // "folder-symbolic" comes before "folder" in the table, so the second theme's file wins.
    EXPECT_EQ(iconFile(symbolInfo("folder"), {root / "first", root / "second"}),
              root / "second/48x48/status/folder-symbolic.png");
    // Without it, the scalable drawing comes before the fixed size.
    EXPECT_EQ(iconFile(symbolInfo("folder"), {root / "first"}), root / "first/scalable/places/folder.svg");
    EXPECT_EQ(iconFile(symbolInfo("tag"), {root / "first", root / "second"}), std::nullopt);
    std::filesystem::remove_all(root);
}

TEST(Symbols, InstalledAdwaitaHasTheStar) {
    if (!std::filesystem::exists("/usr/share/icons/Adwaita")) GTEST_SKIP() << "Adwaita is not installed";
    const auto file = iconFile(symbolInfo("star"));
    ASSERT_TRUE(file);
    EXPECT_NE(file->string().find("starred-symbolic"), std::string::npos);
}

}  // namespace
}  // namespace qb::ui

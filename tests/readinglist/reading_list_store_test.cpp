#include "readinglist/reading_list_store.hpp"

#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/item_fields.hpp"
#include "support/test_support.hpp"

namespace qb::readinglist {
namespace {

using test::PlistFormat;

class ReadingListStoreTest : public ::testing::TestWithParam<PlistFormat> {
  protected:
    std::vector<ReadingListItem> readPython(std::string_view expression) {
        auto file = dir.write("ReadingList.plist", test::plistlibDump(expression, GetParam()));
        return ReadingListStore::forFile(file).readFromPlist();
    }
    test::TempDir dir;
};

TEST_P(ReadingListStoreTest, KeepsUsableEntriesInFileOrderWithDefaults) {
    LogCapture log;
    const auto items = readPython(R"([
        {'title': 'Article', 'URL': 'https://www.example.com/a', 'unread': False,
         'date': datetime.datetime(2024, 3, 1, 12, 0, 0), 'type': 7, 'icon': b'\x89PNG', 'extra': 1},
        {'URL': 'https://example.com/untitled'},
        {'title': 'Bare', 'URL': 'x-quillbrook-item://B'},
        {'title': 'No address'},
        {'title': 'Numbered', 'URL': 42, 'unread': False},
        {'title': 'Odd types', 'URL': 'file:///tmp/d.pdf', 'unread': 'no', 'date': 700000000.0,
         'type': 'PDF', 'icon': 'not data'},
        {'title': 'Real type', 'URL': 'x-quillbrook-item://B', 'unread': True, 'type': 12.0,
         'date': 1234},
        {'title': '', 'URL': ''},
    ])");
    EXPECT_TRUE(log.records().empty()) << "skipped entries are not logged";
    // Missing and wrongly typed optional keys take their defaults: unread, distant past, type 0, no icon.
    // Empty strings are taken as they are.
    const Date past = Date::distantPast();
    const std::vector<ReadingListItem> expected = {
        {"https://www.example.com/a", "Article", false, Date::fromUnixSeconds(1709294400), 7,
         Bytes("\x89PNG")},
        {"x-quillbrook-item://B", "Bare", true, past, 0, std::nullopt},
        {"file:///tmp/d.pdf", "Odd types", true, past, 0, std::nullopt},
        {"x-quillbrook-item://B", "Real type", true, past, 0, std::nullopt},
        {"", "", true, past, 0, std::nullopt},
    };
    EXPECT_TRUE(test::sameItems(items, expected));
    // Two entries of one address both appear and are the same item; an empty address is no link.
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[1], items[3]);
    EXPECT_NE(items[1], items[2]);
    EXPECT_FALSE(items[4].url());
}

INSTANTIATE_TEST_SUITE_P(BothEncodings, ReadingListStoreTest,
                         ::testing::Values(PlistFormat::binary, PlistFormat::xml),
                         [](const ::testing::TestParamInfo<PlistFormat>& format) {
                             return format.param == PlistFormat::binary ? "binary" : "xml";
                         });

TEST(ReadingListStoreFileTest, LogsUnreadableAndUnparseableFilesAndReadsNothing) {
    struct Case {
        std::string name;
        std::optional<std::string> contents;  // none: no file at all
        std::optional<LogRecord> expected;
    };
    const LogRecord couldNotRead{LogLevel::debug, std::string(logSubsystem), "ReadingListStore",
                                 "Could not read ReadingList.plist"};
    const LogRecord couldNotParse{LogLevel::error, std::string(logSubsystem), "ReadingListStore",
                                  "Could not parse ReadingList.plist"};
    const std::string entry = "{'title': 'A', 'URL': 'https://example.com/a'}";
    const Case cases[] = {
        {"missing", std::nullopt, couldNotRead},
        {"dictionary root", test::plistlibDump("{'items': [" + entry + "]}", PlistFormat::xml),
         couldNotParse},
        {"one string among dictionaries",
         test::plistlibDump("[" + entry + ", 'stray', " + entry + "]", PlistFormat::binary), couldNotParse},
        {"empty array", test::plistlibDump("[]", PlistFormat::binary), std::nullopt},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const auto file = dir.path() / "ReadingList.plist";
        if (c.contents) dir.write("ReadingList.plist", *c.contents);
        LogCapture log;
        EXPECT_TRUE(ReadingListStore::forFile(file).readFromPlist().empty()) << c.name;
        const auto records = log.records();
        if (c.expected) {
            // A file that cannot be read is followed by the reason.
            const bool unreadable = c.expected == couldNotRead;
            ASSERT_EQ(records.size(), unreadable ? 2u : 1u) << c.name;
            EXPECT_EQ(records[0], *c.expected) << c.name;
            if (unreadable) {
                EXPECT_EQ(records[1].message, file.string() + ": No such file or directory");
            }
        } else {
            EXPECT_TRUE(records.empty()) << c.name;
        }
    }
}

}  // namespace
}  // namespace qb::readinglist

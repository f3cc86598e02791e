// Files written by Python's plistlib, in both encodings, read back value for value.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <sstream>

#include "platform/files.hpp"
#include "platform/plist/plist.hpp"
#include "plist_test_helpers.hpp"
#include "support/test_support.hpp"

namespace qb::plist {
namespace {

struct Case {
    const char* name;
    // An expression; `functools`, `random`, `datetime` and `plistlib` are imported. Its file is
    // compared with what plistlib itself reads back from it.
    const char* python;
    bool xml = true;  // XML cannot hold NUL characters or UIDs
};

const Case cases[] = {
    {"every type",
     "{'s': 'text', 'i': 42, 'f': 0.5, 't': True, 'fa': False, 'd': datetime.datetime(2020, 1, 2, 3, 4, 5),"
     " 'b': b'\\x00\\x01', 'a': [1, 'two', [3.0]], 'e': {}}"},
    {"integers",
     "[0, -1, -2**63, 2**63 - 1, 2**63, 2**64 - 1, 127, 128, 255, 256, 65535, 65536, 2**32 - 1, 2**32, -255,"
     " -2**31, -2**32]"},
    {"reals",
     "[1e300, -0.0, 0.0, 1.5, -2.25, 0.1, 1e-300, 5e-324, 2.2250738585072014e-308, float('inf'),"
     " float('-inf'), float('nan'), 123456789.125]"},
    {"dates",
     "[datetime.datetime(1900, 1, 1), datetime.datetime(1, 1, 1), datetime.datetime(2001, 1, 1),"
     " datetime.datetime(2020, 1, 2, 3, 4, 5, 123456), datetime.datetime(1999, 12, 31, 23, 59, 59, 500000),"
     " datetime.datetime(9999, 12, 31, 23, 59, 59), datetime.datetime(2024, 2, 29, 12)]"},
    {"data", "[b'', bytes(range(256)), random.Random(7).randbytes(100 * 1024)]"},
    {"strings",
     "['', 'ascii', 'Grüße', '日本語', '😀👍🏽 emoji', 'a' * 100, 'é' * 300, "
     "'tab\\tand\\nnewline', "
     "'<&>\"',"
     " '\\u00ff', '\\ufffd', '𝄞' * 20]"},
    {"strings XML cannot hold", "['nul\\x00inside', {'key\\x00with nul': 1}, '\\uffff', '\\x01']", false},
    {"empty containers", "[[], {}, [[]], {'k': {}}, {'k': []}]"},
    {"deep legal nesting", "functools.reduce(lambda inner, _: [inner], range(512), 'bottom')"},
    {"shared containers", "(lambda x: [x, x, {'k': x}])([1, 'two'])", false},
    {"uids", "[plistlib.UID(0), plistlib.UID(255), plistlib.UID(65536), plistlib.UID(2**64 - 1)]", false},
    {"many objects and long containers",
     "{**{f'key{i}': i for i in range(300)}, 'list': [{'n': i, 's': str(i)} for i in range(40000)]}"},
};

TEST(PlistDifferential, MatchesPlistlibValueForValue) {
    test::TempDir dir;
    std::string program = std::string(test::canonicalPython) +
                          "import functools, random, sys\n"
                          "sys.setrecursionlimit(10000)\n"
                          "folder = '" +
                          dir.path().string() + "'\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        program += fmt::format(
            "value = {}\n"
            "open(f'{{folder}}/{}.bin', 'wb').write(plistlib.dumps(value, fmt=plistlib.FMT_BINARY, "
            "sort_keys=False))\n"
            "print(canon(plistlib.loads(open(f'{{folder}}/{}.bin', 'rb').read()), False))\n",
            c.python, i, i);
        if (c.xml)
            program += fmt::format(
                "open(f'{{folder}}/{}.xml', 'wb').write(plistlib.dumps(value, fmt=plistlib.FMT_XML, "
                "sort_keys=False))\n"
                "print(canon(plistlib.loads(open(f'{{folder}}/{}.xml', 'rb').read()), True))\n",
                i, i);
    }
    std::istringstream expected(test::runPython(program));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        for (const char* extension : {"bin", "xml"}) {
            if (std::string_view(extension) == "xml" && !cases[i].xml) continue;
            SCOPED_TRACE(fmt::format("{} ({})", cases[i].name, extension));
            std::string line;
            ASSERT_TRUE(std::getline(expected, line));
            auto result = parse(*readFile(dir.path() / fmt::format("{}.{}", i, extension)));
            ASSERT_TRUE(result) << result.error;
            EXPECT_EQ(test::canonical(*result.value), line);
        }
    }
}

TEST(PlistDifferential, KeepsIntegerKindsAndSharesRepeatedContainers) {
    for (auto format : {test::PlistFormat::binary, test::PlistFormat::xml}) {
        auto result = parse(test::plistlibDump("[2**63 - 1, 2**63, -1, True, 1.0]", format));
        ASSERT_TRUE(result) << result.error;
        const Array items = *result.value->asArray();
        EXPECT_EQ(items[0].type(), Type::integer);
        EXPECT_EQ(items[1].type(), Type::unsignedInteger);
        EXPECT_EQ(items[1].asInteger(), std::nullopt);
        EXPECT_EQ(items[1].asUnsignedInteger(), 9223372036854775808u);
        EXPECT_EQ(items[2].asInteger(), -1);
        EXPECT_EQ(items[3].asInteger(), std::nullopt);  // a boolean is no integer
        EXPECT_EQ(items[4].asInteger(), std::nullopt);
        EXPECT_EQ(items[4].asNumber(), 1.0);
    }
    // plistlib writes one object for a list referenced twice; the reader keeps it one.
    auto shared = parse(test::plistlibDump("(lambda x: [x, x])(list(range(10)))", test::PlistFormat::binary));
    ASSERT_TRUE(shared);
    const Array items = *shared.value->asArray();
    EXPECT_EQ(items[0].identity(), items[1].identity());
}

}  // namespace
}  // namespace qb::plist

#include "platform/localization.hpp"

#include <cstdlib>
#include <map>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/message_catalog.hpp"
#include "support/test_support.hpp"

namespace qb {
namespace {

using Variables = std::map<std::string, std::optional<std::string>>;

// Sets the locale variables for one test and puts the old values back at the end.
class LocaleEnvironment {
  public:
    explicit LocaleEnvironment(const Variables& values) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            auto found = values.find(name);
            set(name, found == values.end() ? std::nullopt : found->second);
        }
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : saved_) set(name, value);
    }

  private:
    static void set(const std::string& name, const std::optional<std::string>& value) {
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

// Languages come from LANGUAGE, then the messages locale; the first with a table is shown. No de_DE locale
// needs to be generated on the machine for any of these.
TEST(LocalizationTest, ShowsTheFirstPreferredLanguageThatHasATable) {
    struct Case {
        Variables environment;
        std::vector<std::string> languages;
        bool german;
    };
    const Case cases[] = {
        {{{"LANGUAGE", ""}, {"LC_ALL", "C.UTF-8"}}, {}, false},
        {{{"LANGUAGE", "de:fr_FR::de"}, {"LANG", "en_US.UTF-8"}}, {"de", "fr-FR", "en-US"}, true},
        {{{"LC_MESSAGES", "de_DE.UTF-8"}, {"LANG", "fr_FR"}}, {"de-DE"}, true},
        {{{"LC_ALL", ""}, {"LANG", "de_AT@euro"}}, {"de-AT"}, true},
        {{{"LC_ALL", "POSIX"}, {"LANG", "de_DE.UTF-8"}}, {}, false},
        {{}, {}, false},
        {{{"LANGUAGE", "fr:de_CH"}, {"LC_ALL", "C.UTF-8"}}, {"fr", "de-CH"}, true},
        {{{"LANGUAGE", "en:de"}}, {"en", "de"}, false},
    };
    for (const auto& c : cases) {
        LocaleEnvironment environment(c.environment);
        SCOPED_TRACE(testing::PrintToString(c.environment));
        EXPECT_EQ(preferredLanguages(), c.languages);
        EXPECT_EQ(localized("Reading List"), c.german ? "Leseliste" : "Reading List");
        EXPECT_EQ(localized("%lld items", 12), c.german ? "12 Einträge" : "12 items");
        EXPECT_EQ(localized("A key without translation"), "A key without translation");
    }
}

TEST(LocalizationTest, CountsReplaceTheFormatInEitherLanguage) {
    LocaleEnvironment environment(Variables{{"LANGUAGE", "de"}});
    EXPECT_EQ(localized("+%lld more", 4), "+4 weitere");
    EXPECT_EQ(localized("%lld unread", -9223372036854775807LL - 1), "-9223372036854775808 ungelesen");
    EXPECT_EQ(localized("no format %d", 3), "no format %d");
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i)
                EXPECT_EQ(localized("%lld windows", i), std::to_string(i) + " Fenster");
        });
    }
}

// A table as msgfmt writes it: header, originals' and translations' descriptors, then the strings.
std::string messageTable(const std::vector<std::pair<std::string, std::string>>& entries, bool bigEndian) {
    std::string out;
    auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out += static_cast<char>((value >> shift) & 0xFF);
        }
    };
    auto count = static_cast<std::uint32_t>(entries.size());
    std::uint32_t stringsAt = 20 + 16 * count;
    word(0x950412de);
    word(0);
    word(count);
    word(20);
    word(20 + 8 * count);
    std::string strings;
    for (bool translations : {false, true}) {
        for (const auto& [original, translation] : entries) {
            const auto& text = translations ? translation : original;
            word(static_cast<std::uint32_t>(text.size()));
            word(stringsAt + static_cast<std::uint32_t>(strings.size()));
            strings += text;
            strings += '\0';
        }
    }
    return out + strings;
}

TEST(LocalizationTest, LocaleFolderFromTheEnvironmentWins) {
    test::TempDir dir;
    dir.write("de/LC_MESSAGES/quillbrook-widgets.mo", messageTable({{"Favorites", "Favoriten"}}, false));
    dir.write("fr/LC_MESSAGES/quillbrook-widgets.mo", messageTable({{"Tips", "Astuces"}}, false));
    setenv("QUILLBROOK_LOCALEDIR", dir.path().c_str(), 1);
    {
        LocaleEnvironment environment(Variables{{"LANGUAGE", "fr_FR:de"}});
        EXPECT_EQ(localized("Tips"), "Astuces");
        EXPECT_EQ(localized("Favorites"), "Favorites");  // not in the French table; no fallback to German
    }
    unsetenv("QUILLBROOK_LOCALEDIR");
}

TEST(LocalizationTest, MessageTableReadsBothByteOrdersAndRejectsDamage) {
    for (bool bigEndian : {false, true}) {
        auto bytes = messageTable({{"", "Language: de\n"}, {"Tips", "Tipps"}, {"Empty", ""}}, bigEndian);
        auto catalog = MessageCatalog::fromBytes(bytes);
        ASSERT_TRUE(catalog) << bigEndian;
        EXPECT_EQ(catalog->lookup("Tips"), "Tipps");
        EXPECT_EQ(catalog->lookup("Empty"), std::nullopt);
        EXPECT_EQ(catalog->lookup(""), std::nullopt);
        EXPECT_EQ(catalog->size(), 1u);
        // Cut anywhere inside the strings, a table points past its end and is refused, never read beyond.
        for (std::size_t length = 0; length < bytes.size() - 1; ++length)
            EXPECT_FALSE(MessageCatalog::fromBytes(std::string_view(bytes).substr(0, length))) << length;
    }
}

}  // namespace
}  // namespace qb

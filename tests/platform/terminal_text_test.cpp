#include "platform/terminal_text.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace qb {
namespace {

// Each row: a text, what is shown of it, and how a message echoes it.
struct Case {
    std::string text, inert, quoted;
};

TEST(TerminalTextTest, DropsOrEscapesEverythingATerminalWouldActOn) {
    const Case cases[] = {
        {"tim\x1b]0;PWNED\a", "tim]0;PWNED", R"("tim\e]0;PWNED\a")"},  // sets the window title
        {std::string("nul\0!", 5), "nul!", R"("nul\x00!")"},
        {"c1 csi \u009b"
         "31m",
         "c1 csi 31m", R"("c1 csi \u009b31m")"},  // U+009B, the one-byte CSI
        {"del\x7f", "del", R"("del\x7f")"},
        {"x\u202Ey\u2066z\u200Fw\u061C", "xyzw", R"("x\u202ey\u2066z\u200fw\u061c")"},  // bidirectional
        {"tab\there", "tab here", R"("tab\there")"},
        {"bad \xff\xc3 bytes", "bad \uFFFD\uFFFD bytes", R"("bad \xff\xc3 bytes")"},
        {"line\nbreak\r", "line break", R"("line\nbreak\r")"},
        {"say \"hi\" \\ é 東京 👍", "say \"hi\" \\ é 東京 👍", R"("say \"hi\" \\ é 東京 👍")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(inertText(c.text), c.inert) << c.quoted;
        EXPECT_EQ(quotedForMessage(c.text), c.quoted);
    }
    EXPECT_EQ(inertText("line\nbreak\r\n\u2028end", true), "line\nbreak\n\nend");
    EXPECT_EQ(escapedText("a \"b\"\x1b[2J"), R"(a "b"\e[2J)");
}

TEST(TerminalTextTest, JsonKeepsItsValueWithoutRawControls) {
    const nlohmann::json value = {{"title", "csi \u009b2J \u202Eevil é"}, {"n", 1}};
    const std::string safe = terminalSafeJson(value.dump());
    EXPECT_EQ(safe, R"({"n":1,"title":"csi \u009b2J \u202eevil é"})");
    EXPECT_EQ(nlohmann::json::parse(safe), value);
}

}  // namespace
}  // namespace qb

// The program's drawn widgets as a person meets them in a terminal and a script in a pipe: boxes that
// fit the width they are given, styles only where the terminal takes them, in the colours it announces.

#include <algorithm>
#include <climits>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "host/render/display_text.hpp"
#include "program_runner.hpp"

namespace qb::test {
namespace {

const std::string examples = std::string(QB_EXAMPLES_DIR) + "/home";
// The widgets that need no feed, in every family: small (22 columns), medium and large (48) and extra
// large (98) boxes.
const std::vector<std::string> render{"render", "favorites", "readinglist", "--home", examples};

std::vector<std::string> with(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

std::size_t occurrences(std::string_view text, std::string_view piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

// The SGR parameter lists of the output, in order.
std::vector<std::vector<int>> sgrParameters(const std::string& text) {
    static const std::regex sgr(R"(\x1b\[([0-9;]*)m)");
    std::vector<std::vector<int>> all;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), sgr); it != std::sregex_iterator(); ++it) {
        std::vector<int> parameters;
        std::stringstream list((*it)[1].str());
        for (std::string parameter; std::getline(list, parameter, ';');)
            parameters.push_back(parameter.empty() ? 0 : std::stoi(parameter));
        all.push_back(std::move(parameters));
    }
    return all;
}

// How the output writes colours: "24-bit" (38;2;R;G;B), "256" (38;5;N), "16" (30-37, 90-97 and their
// backgrounds).
std::set<std::string> colourForms(const std::string& text) {
    std::set<std::string> forms;
    for (const auto& parameters : sgrParameters(text)) {
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const int p = parameters[i];
            if ((p == 38 || p == 48) && i + 1 < parameters.size()) {
                forms.insert(parameters[i + 1] == 2 ? "24-bit" : "256");
                i += parameters[i + 1] == 2 ? 4 : 2;
            } else if ((p >= 30 && p <= 37) || (p >= 40 && p <= 47) || (p >= 90 && p <= 97) ||
                       (p >= 100 && p <= 107)) {
                forms.insert("16");
            }
        }
    }
    return forms;
}

TEST(TerminalOutput, BoxesFitTheWidthGivenAndWhatIsCutIsSaidOnce) {
    struct Case {
        std::optional<int> columns;  // COLUMNS, none when unset
        bool sideBySide;
    };
    for (const auto& [columns, sideBySide] :
         {Case{40, false}, Case{120, true}, Case{200, true}, Case{std::nullopt, false}}) {
        SCOPED_TRACE(columns.value_or(0));
        const auto result = runProgram(with(render, {"--format", "ansi"}),
                                       {{"COLUMNS", columns ? std::to_string(*columns) : ""}});
        ASSERT_EQ(result.status, 0) << result.err;
        bool anySideBySide = false;
        std::size_t cutLines = 0;
        for (const auto& line : linesOf(result.out)) {
            const std::string shown = withoutEscapes(line);
            EXPECT_LE(host::displayWidth(shown), columns.value_or(INT_MAX)) << shown;
            anySideBySide = anySideBySide || shown.find("╮  ╭") != std::string::npos;
            if (shown.ends_with("›")) ++cutLines;
            // Every line closes what it opens, also where it was cut.
            const auto sgr = sgrParameters(line);
            EXPECT_TRUE(sgr.empty() || sgr.back() == std::vector<int>{0}) << line;
            EXPECT_EQ(occurrences(line, "\x1b]8;"), 2 * hyperlinkTargets(line).size()) << line;
        }
        EXPECT_EQ(anySideBySide, sideBySide);
        const bool cut = columns && *columns < 98;
        // Six cut boxes of 11 and 26 lines, their titles not cut.
        EXPECT_EQ(cutLines, cut ? 2u * (11 + 26 + 26) : 0u);
        EXPECT_EQ(result.err,
                  cut ? "quillbrook-widgets: the medium, large and extra large boxes are cut to 40 "
                        "columns (›); they need 98\n"
                      : "");
    }
}

// A terminal that is dumb, or a person who set NO_COLOR, gets plain text; otherwise the colours take the
// depth the terminal announces. Output that is not a terminal gets styles only when asked for.
TEST(TerminalOutput, StylesAndColoursFollowWhatTheTerminalAnnounces) {
    struct Case {
        std::string term, colorTerm, noColor;
        bool terminal;  // on a pseudo-terminal; else into a file with --format ansi
        std::set<std::string> forms;
        bool escapes = true;
    };
    for (const auto& c : std::initializer_list<Case>{
             {"dumb", "truecolor", "", true, {}, false},
             {"xterm-256color", "", "1", true, {}, false},
             {"xterm-256color", "truecolor", "", true, {"24-bit"}},
             {"xterm-256color", "", "", true, {"256"}},
             {"linux", "", "", true, {"16"}},
             {"linux", "", "", false, {"16"}},
             {"", "", "", false, {"24-bit"}},
         }) {
        SCOPED_TRACE(c.term + " " + c.colorTerm + (c.terminal ? " on a terminal" : " into a file"));
        const std::vector<std::pair<std::string, std::string>> environment{
            {"TERM", c.term}, {"COLORTERM", c.colorTerm}, {"NO_COLOR", c.noColor}, {"COLUMNS", ""}};
        const auto result = c.terminal ? runProgramInTerminal(render, environment, 200)
                                       : runProgram(with(render, {"--format", "ansi"}), environment);
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(result.out.find('\x1b') != std::string::npos, c.escapes);
        EXPECT_EQ(colourForms(result.out), c.forms);
        // The terminal's own width lays the boxes out side by side.
        EXPECT_TRUE(!c.terminal || withoutEscapes(result.out).find("╮  ╭") != std::string::npos);
    }
}

}  // namespace
}  // namespace qb::test

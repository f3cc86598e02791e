#include "host/cli.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

CommandLine parsed(const std::vector<std::string>& arguments) {
    auto result = parseCommandLine(arguments);
    if (auto* error = std::get_if<UsageError>(&result)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<CommandLine>(result);
}

std::string failure(const std::vector<std::string>& arguments) {
    auto result = parseCommandLine(arguments);
    auto* error = std::get_if<UsageError>(&result);
    return error ? error->message : "(accepted)";
}

TEST(CommandLineTest, ReadsOptionsInEitherSpellingAndAnywhere) {
    auto line = parsed({"--verbose", "render", "favorites", "--family", "small", "--family=systemExtraLarge",
                        "tips", "--set", "filter=unreadOnly", "--set=group=a=b", "--format=ansi",
                        "--rendering-mode", "accented", "--feed-base", "http://127.0.0.1:8080"});
    EXPECT_EQ(line.command, Command::render);
    EXPECT_EQ(line.arguments, (std::vector<std::string>{"favorites", "tips"}));
    EXPECT_EQ(line.families, (std::vector{WidgetFamily::systemSmall, WidgetFamily::systemExtraLarge}));
    EXPECT_EQ(line.settings, (std::vector<Setting>{{"filter", "unreadOnly"}, {"group", "a=b"}}));
    EXPECT_EQ(line.format, OutputFormat::ansi);
    EXPECT_EQ(line.renderingMode, WidgetRenderingMode::accented);
    EXPECT_EQ(line.feedBase, "http://127.0.0.1:8080");
    EXPECT_TRUE(line.verbose);

    EXPECT_EQ(parsed({"serve", "--port", "9000", "--demo"}).port, 9000);
    EXPECT_EQ(parsed({"desktop", "--config", "w.ini", "--home", "/"}).config, std::filesystem::path("w.ini"));
    // Help wins over anything else on the line, so that it is always reachable.
    EXPECT_TRUE(parsed({"render", "--family", "nonsense", "--help"}).help);
    EXPECT_FALSE(parsed({"-h"}).command.has_value());
    // `help COMMAND` is `COMMAND --help`; `help` alone is the program's help.
    EXPECT_EQ(parsed({"help", "timeline"}), parsed({"timeline", "--help"}));
    EXPECT_EQ(parsed({"help"}), parsed({"--help"}));
    EXPECT_TRUE(parsed({"--version"}).version);
    EXPECT_EQ(parsed({"completions", "zsh"}).arguments, std::vector<std::string>{"zsh"});
}

TEST(CommandLineTest, NamesWhatIsWrongAndWhatIsAllowed) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"render", "--format", "yaml"}, "use text, ansi, json, tree, html or waybar"},
        {{"watch", "tips", "--format", "html"}, "watch cannot print --format html; use json, waybar or text"},
        {{"open", "tips", "--row", "first"}, "--row \"first\" is not a row number"},
        {{"watch"}, "watch takes one widget"},
        {{"list", "--format", "tree"}, "list cannot print --format tree; use text or json"},
        {{"render", "--rendering-mode", "sepia"}, "use fullColor, accented or vibrant"},
        // Never an example value: another widget would refuse it.
        {{"render", "--set", "group"},
         "\"group\" is not NAME=VALUE; write --set group=VALUE with a VALUE that list shows"},
        {{"render", "--set"}, "--set needs a value"},
        {{"list", "--search", "x"}, "list does not take --search"},
        {{"list", "--bogus"}, "unknown option \"--bogus\""},
        {{"list", "extra"}, "list takes no arguments"},
        {{"options", "favorites"}, "options takes a widget and a parameter"},
        {{"timeline"}, "timeline takes one widget"},
        {{"snapshot", "tips", "--family", "small", "--family", "large"}, "at most one --family"},
        {{"serve", "--port", "70000"}, "give a number from 1 to 65535"},
        {{"list", "--verbose=yes"}, "--verbose takes no value"},
        {{"desktop", "--config="}, "--config needs a file name"},
        {{"render", "--config", "w.ini"}, "render does not take --config"},
        {{"help", "timeline", "tips"}, "help takes at most one command"},
        {{"help", "nosuch"}, "unknown command \"nosuch\"; use list, options"},
        {{"list", "--version"}, "--version takes no command"},
        {{"completions", "csh"}, "completions takes a shell: completions bash"},
    };
    for (const auto& [arguments, mentions] : cases)
        EXPECT_NE(failure(arguments).find(mentions), std::string::npos) << failure(arguments);
}

TEST(CommandLineTest, FeedBaseIsSchemeHostAndPortOnly) {
    for (const char* good : {"http://127.0.0.1:8642", "HTTPS://example.org/", "http://[::1]:8080"})
        EXPECT_TRUE(isValidFeedBase(good)) << good;
    for (const char* bad : {"", "example.org", "https://", "https://example.org/path",
                            "https://example.org:99999", "https://exa mple.org", "https://example.org?q=1",
                            "javascript:alert(1)", "https://user@example.org"})
        EXPECT_FALSE(isValidFeedBase(bad)) << bad;
}

}  // namespace
}  // namespace qb::host

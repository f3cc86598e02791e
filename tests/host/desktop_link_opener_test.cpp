// A click on a desktop widget: only allowed links are opened, by the stand-in opener when one is set,
// else by the desktop's application for the scheme, and a missing application is named.

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "host/desktop_session/link_opener.hpp"
#include "platform/files.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

using namespace std::chrono_literals;

TEST(DesktopLinkOpenerTest, OpensAllowedLinksWithTheOpenerOrSaysWhyNot) {
    TempDir dir;
    const auto record = dir.path() / "opened";
    const auto opener = dir.write("opener", "#!/bin/sh\nprintf '%s' \"$1\" > " + record.string() + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const auto link = *Url::parse("x-quillbrook-item://A1B2?widget=readinglist");

    const auto refused = host::openDesktopLink(*Url::parse("javascript:alert(1)"));
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("opens only"), std::string::npos) << *refused;

    ::setenv("QUILLBROOK_WIDGETS_OPENER", opener.c_str(), 1);
    EXPECT_EQ(host::openDesktopLink(link), std::nullopt);
    for (int i = 0; i < 200 && !readFile(record); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(readFile(record).value_or(""), link.string());

    // Without the stand-in, and with no application for the scheme in the folders GIO reads.
    ::unsetenv("QUILLBROOK_WIDGETS_OPENER");
    ::setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (dir.path() / "none").c_str(), 1);
    EXPECT_EQ(host::openDesktopLink(link), "no application opens x-quillbrook-item links");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
}

}  // namespace
}  // namespace qb::test

#include "core/widget_services.hpp"

#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

namespace qb {
namespace {

// Sets an environment variable (none: unsets it) for the life of the value, then puts it back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(WidgetServicesTest, TheCacheFolderFollowsTheXdgRule) {
    struct Case {
        std::optional<std::string> xdgCacheHome, home;
        std::string_view expected;
    };
    const Case cases[] = {
        {"/x/cache", "/h", "/x/cache/quillbrook-widgets"},
        {"relative/cache", "/h", "/h/.cache/quillbrook-widgets"},
        {"", "/h", "/h/.cache/quillbrook-widgets"},
        {std::nullopt, std::nullopt, "/real/.cache/quillbrook-widgets"},
    };
    for (const auto& c : cases) {
        ScopedVariable xdg("XDG_CACHE_HOME", c.xdgCacheHome), home("HOME", c.home);
        EXPECT_EQ(WidgetServices::userCacheFolder("/real"), c.expected) << c.xdgCacheHome.value_or("(unset)");
    }
}

}  // namespace
}  // namespace qb

#include "platform/log.hpp"

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(LogTest, CaptureTakesEveryLevelWithSubsystemCategoryAndArgumentFromAnyThread) {
    LogCapture capture;
    Logger logger(logSubsystem, "TipStore");
    logger.debug("Could not read Favorites.plist");
    logger.info("Fetched");
    logger.error("Could not fetch tips: %{public}s", "timeout after 10 s (%d)");
    logger.error("no argument token", "ignored");
    std::vector<LogRecord> expected = {
        {LogLevel::debug, std::string(logSubsystem), "TipStore", "Could not read Favorites.plist"},
        {LogLevel::info, std::string(logSubsystem), "TipStore", "Fetched"},
        {LogLevel::error, std::string(logSubsystem), "TipStore",
         "Could not fetch tips: timeout after 10 s (%d)"},
        {LogLevel::error, std::string(logSubsystem), "TipStore", "no argument token"},
    };
    EXPECT_EQ(capture.records(), expected);
    capture.clear();

    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            Logger threadLogger(logSubsystem, "Thread" + std::to_string(t));
            for (int i = 0; i < 100; ++i) threadLogger.error("message");
        });
    }
    threads.clear();
    EXPECT_EQ(capture.records().size(), 400u);  // none of the four above: they were cleared
}

TEST(LogTest, WithoutJournalErrorsGoToStderrAndDebugOnlyWhenEchoed) {
    if (std::filesystem::exists("/run/systemd/journal/socket")) GTEST_SKIP() << "a journal runs here";
    Logger logger(logSubsystem, "ReadingListStore");
    testing::internal::CaptureStderr();
    logger.debug("hidden");
    logger.error("Could not parse Reading\u202EList.plist\x1B[31m\u009b\n");
    setLogEcho(true, LogLevel::debug);
    logger.debug("shown");
    setLogEcho(false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quillbrook-widgets[ReadingListStore] error: Could not parse Reading\\u202eList.plist"
              "\\e[31m\\u009b\\n\n"
              "quillbrook-widgets[ReadingListStore] debug: shown\n");
}

}  // namespace
}  // namespace qb

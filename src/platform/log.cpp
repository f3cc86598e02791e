#include "platform/log.hpp"

#include <cstdio>
#include <filesystem>
#include <mutex>

#include <fmt/format.h>
#include <systemd/sd-journal.h>

#include "platform/terminal_text.hpp"

namespace qb {
namespace {

constexpr std::string_view identifier = "quillbrook-widgets";

// What every logger of the process shares.
struct LogState {
    std::mutex mutex;
    int captures = 0;
    std::vector<LogRecord> captured;
    bool echo = false;
    LogLevel echoMinimum = LogLevel::debug;
};

LogState& state() {
    static LogState instance;
    return instance;
}

bool journalRuns() {
    static const bool runs = [] {
        std::error_code ignored;
        return std::filesystem::exists("/run/systemd/journal/socket", ignored);
    }();
    return runs;
}

int priority(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return 7;
        case LogLevel::info:
            return 6;
        case LogLevel::error:
            return 3;
    }
    return 6;
}

std::string_view levelName(LogLevel level) {
    switch (level) {
        case LogLevel::debug:
            return "debug";
        case LogLevel::info:
            return "info";
        case LogLevel::error:
            return "error";
    }
    return "info";
}

void writeToStderr(LogLevel level, std::string_view category, std::string_view message) {
    // Messages may carry text from files, the network and the environment: shown with visible escapes,
    // each stays one inert line.
    auto line = fmt::format("{}[{}] {}: {}\n", identifier, escapedText(category), levelName(level),
                            escapedText(message));
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// The journal keeps any bytes, but journalctl prints them on a terminal: the fields are escaped too.
void writeToJournal(LogLevel level, const std::string& subsystem, const std::string& category,
                    const std::string& message) {
    const std::string safeMessage = escapedText(message), safeCategory = escapedText(category);
    sd_journal_send("MESSAGE=%s", safeMessage.c_str(), "PRIORITY=%i", priority(level), "SUBSYSTEM=%s",
                    subsystem.c_str(), "CATEGORY=%s", safeCategory.c_str(), "SYSLOG_IDENTIFIER=%.*s",
                    static_cast<int>(identifier.size()), identifier.data(), nullptr);
}

// Without a journal, debug messages go to stderr only when echoed (a journal keeps them out of sight
// too); information and errors always do.
void writeToSystem(LogRecord record) {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    if (shared.captures > 0) {
        shared.captured.push_back(std::move(record));
        return;
    }
    bool echoed = shared.echo && record.level >= shared.echoMinimum;
    if (journalRuns()) {
        writeToJournal(record.level, record.subsystem, record.category, record.message);
        if (echoed) writeToStderr(record.level, record.category, record.message);
    } else if (echoed || record.level != LogLevel::debug) {
        writeToStderr(record.level, record.category, record.message);
    }
}

}  // namespace

LogSink systemLogSink() {
    return &writeToSystem;
}

Logger::Logger(std::string_view subsystem, std::string_view category, LogSink sink)
    : subsystem_(subsystem), category_(category), sink_(sink ? std::move(sink) : systemLogSink()) {}

void Logger::debug(std::string_view message) const {
    write(LogLevel::debug, std::string(message));
}
void Logger::info(std::string_view message) const {
    write(LogLevel::info, std::string(message));
}
void Logger::error(std::string_view message) const {
    write(LogLevel::error, std::string(message));
}

void Logger::error(std::string_view format, std::string_view publicArgument) const {
    std::string message(format);
    constexpr std::string_view token = "%{public}s";
    if (auto at = message.find(token); at != std::string::npos)
        message.replace(at, token.size(), publicArgument);
    write(LogLevel::error, std::move(message));
}

void Logger::write(LogLevel level, std::string message) const {
    sink_(LogRecord{level, subsystem_, category_, std::move(message)});
}

LogCapture::LogCapture() {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    if (shared.captures++ == 0) shared.captured.clear();
}

LogCapture::~LogCapture() {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    if (--shared.captures == 0) shared.captured.clear();
}

std::vector<LogRecord> LogCapture::records() const {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    return shared.captured;
}

void LogCapture::clear() {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    shared.captured.clear();
}

void setLogEcho(bool echo, LogLevel minimum) {
    auto& shared = state();
    std::lock_guard lock(shared.mutex);
    shared.echo = echo;
    shared.echoMinimum = minimum;
}

}  // namespace qb

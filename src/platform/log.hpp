#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The subsystem under which every logger of the widgets writes.
inline constexpr std::string_view logSubsystem = "com.fernhollow.quillbrook.widgets";

enum class LogLevel { debug, info, error };

struct LogRecord {
    LogLevel level;
    std::string subsystem;
    std::string category;
    std::string message;
    friend bool operator==(const LogRecord&, const LogRecord&) = default;
};

// Where log records go. The system's sink writes to the journal (fields MESSAGE, PRIORITY, SUBSYSTEM,
// CATEGORY and SYSLOG_IDENTIFIER=quillbrook-widgets), or where no journal runs to stderr as
// "quillbrook-widgets[category] error: message" (debug messages there only when echoed); while a
// LogCapture lives, it keeps the records instead. A sink is called from any thread.
using LogSink = std::function<void(LogRecord)>;
LogSink systemLogSink();

// A log channel of one category. Cheap to copy; safe to use from any thread.
class Logger {
  public:
    // Writes to `sink`, or to the system's sink when none is given.
    Logger(std::string_view subsystem, std::string_view category, LogSink sink = {});

    void debug(std::string_view message) const;
    void info(std::string_view message) const;
    void error(std::string_view message) const;
    // A message with one public argument in place of "%{public}s".
    void error(std::string_view format, std::string_view publicArgument) const;

  private:
    void write(LogLevel level, std::string message) const;
    std::string subsystem_;
    std::string category_;
    LogSink sink_;
};

// While it lives, every message of the process goes to this capture instead of the journal (for tests).
// Captures that live at the same time share what they caught.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogRecord> records() const;
    void clear();
};

// Whether messages of the given level and above also go to stderr (the program's --verbose).
void setLogEcho(bool echo, LogLevel minimum = LogLevel::debug);

}  // namespace qb

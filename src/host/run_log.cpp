#include "host/run_log.hpp"

#include <memory>
#include <mutex>
#include <set>
#include <tuple>

#include <fmt/format.h>

#include "platform/files.hpp"
#include "platform/plist/plist.hpp"
#include "tips/tip_store.hpp"

namespace qb::host {
namespace {

// "a list of 3 entries" for a property list whose root is a list; its size otherwise.
std::string contentsOf(Bytes bytes) {
    const auto size = bytes.size();
    auto parsed = plist::parse(std::move(bytes));
    if (auto list = parsed ? parsed.value->asArray() : std::nullopt)
        return list->size() == 0 ? std::string("an empty list")
                                 : fmt::format("a list of {} entries", list->size());
    return fmt::format("{} bytes", size);
}

void logFile(const Logger& logger, const std::filesystem::path& path, bool isList) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        logger.debug(fmt::format("no file at {}", path.string()));
        return;
    }
    auto bytes = readFileBytes(path);
    if (!bytes) {
        logger.debug(fmt::format("cannot read {}", bytes.error));
        return;
    }
    logger.debug(
        fmt::format("read {}: {}", path.string(),
                    isList ? contentsOf(std::move(*bytes)) : fmt::format("{} bytes", bytes->size())));
}

}  // namespace

LogSink eachOnce(LogSink next) {
    struct Seen {
        std::mutex mutex;
        std::set<std::tuple<LogLevel, std::string, std::string>> records;
    };
    return [next = std::move(next), seen = std::make_shared<Seen>()](LogRecord record) {
        {
            std::lock_guard lock(seen->mutex);
            if (!seen->records.emplace(record.level, record.category, record.message).second) return;
        }
        next(std::move(record));
    };
}

void logDataFiles(const WidgetServices& services) {
    const Logger logger(logSubsystem, "Files", services.log);
    const auto paths = services.paths();
    for (const auto* path : {&paths.readingListURL(), &paths.favoritesURL(), &paths.workspacesURL()})
        logFile(logger, *path, true);
    logFile(logger, tips::TipStore::forServices(services).cacheURL(), false);
}

}  // namespace qb::host

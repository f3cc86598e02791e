#include "core/plist_file_store.hpp"

#include "platform/files.hpp"

namespace qb {

bool visitDictionaryListFile(const std::filesystem::path& file, const Logger& logger,
                             const std::function<void(const plist::Dictionary&)>& visit) {
    const auto name = file.filename().string();
    auto bytes = readFileBytes(file);
    if (!bytes) {
        logger.debug("Could not read " + name);
        logger.debug(bytes.error);
        return false;
    }
    auto parsed = plist::parse(std::move(*bytes));
    auto elements = parsed ? parsed.value->asArray() : std::nullopt;
    if (!elements) {
        logger.error("Could not parse " + name);
        return false;
    }
    for (const auto& element : *elements) {
        auto dictionary = element.asDictionary();
        if (!dictionary) {
            logger.error("Could not parse " + name);
            return false;
        }
        visit(*dictionary);
    }
    return true;
}

}  // namespace qb

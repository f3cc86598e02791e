#include "core/dictionary_list_file.hpp"

#include "platform/files.hpp"

namespace qb {

std::optional<DictionaryListFile> loadDictionaryListFile(const std::filesystem::path& file,
                                                         const Logger& logger) {
    const auto name = file.filename().string();
    auto bytes = readFileBytes(file);
    if (!bytes) {
        logger.debug("Could not read " + name);
        logger.debug(bytes.error);
        return std::nullopt;
    }
    auto parsed = plist::parse(std::move(*bytes));
    auto elements = parsed ? parsed.value->asArray() : std::nullopt;
    if (!elements) {
        logger.error("Could not parse " + name);
        return std::nullopt;
    }
    DictionaryListFile result{*parsed.value, {}};
    result.dictionaries.reserve(elements->size());
    for (const auto& element : *elements) {
        auto dictionary = element.asDictionary();
        if (!dictionary) {
            logger.error("Could not parse " + name);
            return std::nullopt;
        }
        result.dictionaries.push_back(*dictionary);
    }
    return result;
}

}  // namespace qb

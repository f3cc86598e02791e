#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qb {

// A compiled gettext string table (a .mo file as msgfmt writes it), read whole into memory.
class MessageCatalog {
  public:
    // Nothing when the file is missing or is no well-formed table.
    static std::shared_ptr<const MessageCatalog> load(const std::filesystem::path& path);
    static std::shared_ptr<const MessageCatalog> fromBytes(std::string_view bytes);

    // The translation of `key`, or nothing when the table has none.
    std::optional<std::string_view> lookup(std::string_view key) const;
    std::size_t size() const { return translations_.size(); }

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> translations_;
};

}  // namespace qb

#include "platform/json.hpp"

namespace qb {

nlohmann::json toJson(Date date) {
    return iso8601(date);
}

nlohmann::json toJson(const Url& url) {
    return url.string();
}

nlohmann::json toJson(const std::optional<Url>& url) {
    return url ? toJson(*url) : nlohmann::json(nullptr);
}

nlohmann::json toJson(const std::optional<Bytes>& bytes) {
    return bytes ? nlohmann::json(base64Encode(bytes->view())) : nlohmann::json(nullptr);
}

std::string base64Encode(std::string_view bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    auto byte = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at]));
    };
    for (; i + 3 <= bytes.size(); i += 3) {
        std::uint32_t group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        for (int shift : {18, 12, 6, 0}) out += alphabet[(group >> shift) & 0x3F];
    }
    if (std::size_t rest = bytes.size() - i; rest > 0) {
        std::uint32_t group = byte(i) << 16 | (rest == 2 ? byte(i + 1) << 8 : 0);
        out += alphabet[(group >> 18) & 0x3F];
        out += alphabet[(group >> 12) & 0x3F];
        out += rest == 2 ? alphabet[(group >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

}  // namespace qb

#include "platform/url.hpp"

#include <exception>

#include <boost/url.hpp>

namespace qb {
namespace {

namespace urls = boost::urls;

constexpr urls::grammar::lut_chars unreserved =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";
constexpr urls::grammar::lut_chars subDelims = "!$&'()*+,;=";
constexpr auto pathChars = unreserved + subDelims + ":@/";
constexpr auto queryChars = pathChars + '?';  // also the fragment's
constexpr auto authorityChars = unreserved + subDelims + ":@[]";
// What a query item's name or value keeps raw: the query's characters minus the item delimiters and "+".
constexpr auto queryItemChars = unreserved + "!$'()*,;:@/?";

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Percent-encodes every byte of `part` that may not stand raw in its component, keeping escapes that
// are already there. A "%" that starts no escape is encoded too.
template <class CharSet>
void appendEncoded(std::string& out, std::string_view part, const CharSet& allowed) {
    static constexpr char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < part.size(); ++i) {
        char c = part[i];
        bool escape = c == '%' && i + 2 < part.size() && isHexDigit(part[i + 1]) && isHexDigit(part[i + 2]);
        if (escape || (c != '%' && allowed(c))) {
            out += c;
        } else {
            auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
}

// The length of the scheme and its colon at the start of `text`, or 0 when it starts with none.
std::size_t schemeLength(std::string_view text) {
    if (text.empty() || !urls::grammar::alpha_chars(text[0])) return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':') return i + 1;
        if (!urls::grammar::alnum_chars(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

// Link text with the characters that may not stand raw percent-encoded, component by component, so
// that no delimiter changes its meaning.
std::string encodeInvalidCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t scheme = schemeLength(text);
    out.append(text.substr(0, scheme));
    text.remove_prefix(scheme);
    if (text.starts_with("//")) {
        out += "//";
        text.remove_prefix(2);
        std::size_t end = std::min(text.find_first_of("/?#"), text.size());
        appendEncoded(out, text.substr(0, end), authorityChars);
        text.remove_prefix(end);
    }
    std::size_t pathEnd = std::min(text.find_first_of("?#"), text.size());
    appendEncoded(out, text.substr(0, pathEnd), pathChars);
    text.remove_prefix(pathEnd);
    if (text.starts_with('?')) {
        out += '?';
        text.remove_prefix(1);
        std::size_t queryEnd = std::min(text.find('#'), text.size());
        appendEncoded(out, text.substr(0, queryEnd), queryChars);
        text.remove_prefix(queryEnd);
    }
    if (text.starts_with('#')) {
        out += '#';
        appendEncoded(out, text.substr(1), queryChars);
    }
    return out;
}

std::string encodedQuery(const std::vector<QueryItem>& items, bool encode) {
    std::string query;
    bool first = true;
    for (const auto& item : items) {
        if (!first) query += '&';
        first = false;
        query += encode ? percentEncodeQueryItem(item.name) : item.name;
        if (item.value) {
            query += '=';
            query += encode ? percentEncodeQueryItem(*item.value) : *item.value;
        }
    }
    return query;
}

// Boost.URL throws on invalid input; nothing of that leaves this file.
template <class F>
auto catching(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return catching([&]() -> std::optional<Url> {
        std::string encoded = encodeInvalidCharacters(text);
        auto view = urls::parse_uri_reference(encoded);
        if (!view) return std::nullopt;
        // Boost.URL 1.81 reads "http://h:port/" as an empty port followed by the path ":port/"; after an
        // authority a path must be empty or start with "/".
        if (view->has_authority() && !view->encoded_path().empty() &&
            !view->encoded_path().starts_with('/')) {
            return std::nullopt;
        }
        return Url(std::move(encoded));
    });
}

std::optional<Url> Url::compose(std::string_view scheme, std::string_view host,
                                const std::vector<QueryItem>& items) {
    std::vector<QueryItem> encoded;
    encoded.reserve(items.size());
    for (const auto& item : items) {
        encoded.push_back({percentEncodeQueryItem(item.name),
                           item.value ? std::optional(percentEncodeQueryItem(*item.value)) : std::nullopt});
    }
    return composeEncoded(scheme, host, encoded);
}

std::optional<Url> Url::composeEncoded(std::string_view scheme, std::string_view host,
                                       const std::vector<QueryItem>& encodedItems) {
    return catching([&]() -> std::optional<Url> {
        urls::url url;
        url.set_scheme(scheme);
        url.set_host(host);
        if (!encodedItems.empty()) url.set_encoded_query(encodedQuery(encodedItems, false));
        return Url(std::string(url.buffer()));
    });
}

std::optional<std::string> Url::scheme() const {
    auto view = urls::parse_uri_reference(text_);
    if (!view || !view->has_scheme()) return std::nullopt;
    return std::string(view->scheme());
}

std::optional<std::string> Url::host() const {
    auto view = urls::parse_uri_reference(text_);
    if (!view || !view->has_authority()) return std::nullopt;
    return view->host();
}

std::optional<std::vector<QueryItem>> Url::queryItems() const {
    auto view = urls::parse_uri_reference(text_);
    if (!view || !view->has_query()) return std::nullopt;
    std::vector<QueryItem> items;
    if (view->encoded_query().empty()) return items;
    urls::encoding_opts options;
    options.space_as_plus = false;  // "+" is a plus, never a blank
    for (const urls::param& param : view->params(options)) {
        items.push_back({param.key, param.has_value ? std::optional(param.value) : std::nullopt});
    }
    return items;
}

std::optional<Url> Url::settingQueryItems(const std::vector<QueryItem>& items) const {
    return catching([&]() -> std::optional<Url> {
        auto view = urls::parse_uri_reference(text_);
        if (!view) return std::nullopt;
        urls::url url(*view);
        if (items.empty()) {
            url.remove_query();
        } else {
            url.set_encoded_query(encodedQuery(items, true));
        }
        return Url(std::string(url.buffer()));
    });
}

std::string percentEncodeQueryItem(std::string_view text) {
    return urls::encode(text, queryItemChars);  // upper-case hex by default
}

}  // namespace qb

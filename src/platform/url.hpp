#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// One query item, decoded. An item without a value is written as its name alone.
struct QueryItem {
    std::string name;
    std::optional<std::string> value;
    friend bool operator==(const QueryItem&, const QueryItem&) = default;
};

// A URL reference (RFC 3986), kept as its text. Scheme case is kept as written.
class Url {
  public:
    // Link text as a URL: characters that may not stand raw (the blank, non-ASCII, controls,
    // `"<>\^`{|}`) are percent-encoded first, component by component; the empty string does not parse.
    static std::optional<Url> parse(std::string_view text);

    // A URL made of a scheme, a host, no path and the given query items, each name and value
    // percent-encoded as a query item requires (see percentEncodeQueryItem).
    static std::optional<Url> compose(std::string_view scheme, std::string_view host,
                                      const std::vector<QueryItem>& items);
    // The same with names and values already percent-encoded; they are put in as they are.
    static std::optional<Url> composeEncoded(std::string_view scheme, std::string_view host,
                                             const std::vector<QueryItem>& encodedItems);

    const std::string& string() const { return text_; }
    std::optional<std::string> scheme() const;                 // as written
    std::optional<std::string> host() const;                   // percent-decoded, case as written
    std::optional<std::vector<QueryItem>> queryItems() const;  // decoded; none without a query
    // This URL with its query replaced by the given items (encoded as compose does); none if the
    // result is no URL.
    std::optional<Url> settingQueryItems(const std::vector<QueryItem>& items) const;

    friend bool operator==(const Url&, const Url&) = default;

  private:
    explicit Url(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

// Percent-encodes with the characters a query allows (RFC 3986) minus "&", "=" and "+": "/", "?", ":"
// stay; the blank, "%", "#", "&", "=", "+", controls and non-ASCII (each UTF-8 byte, upper-case hex) do
// not.
std::string percentEncodeQueryItem(std::string_view text);

}  // namespace qb

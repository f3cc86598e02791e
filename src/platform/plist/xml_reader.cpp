// The XML format, read with expat's event API and a stack of open containers. Anything that is not a
// property-list element, misplaced text, entity declarations and undefined entities stop the parse.
//
// Most of a property list with images is the base64 text of its <data> elements. The fast path finds
// those texts by a scan of the input (scanDataTexts), checks them there, and feeds expat the document
// without them: expat still reads every bit of markup, but not the bulk of the bytes. Each <data>
// element expat reports empty where a text was cut is paired with that text.

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>

#include "platform/plist/base64.hpp"
#include "platform/plist/document.hpp"
#include "platform/plist/readers.hpp"
#include "platform/plist/xml_data_scan.hpp"
#include "platform/plist/xml_values.hpp"

namespace qb::plist {
namespace {

using Node = Value::Node;

enum class Element { plist, array, dict, key, string, integer, real, date, data, trueValue, falseValue };

std::optional<Element> elementNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Element> names[] = {
        {"key", Element::key},   {"string", Element::string},  {"integer", Element::integer},
        {"dict", Element::dict}, {"array", Element::array},    {"date", Element::date},
        {"data", Element::data}, {"true", Element::trueValue}, {"false", Element::falseValue},
        {"real", Element::real}, {"plist", Element::plist},
    };
    for (const auto& [text, element] : names)
        if (text == name) return element;
    return std::nullopt;
}

// Input is handed to expat in pieces so that its own buffer stays small.
constexpr std::size_t feedSize = 1 << 20;

class XmlReader {
  public:
    explicit XmlReader(Document& document) : document_(document), parser_(XML_ParserCreate(nullptr)) {}
    ~XmlReader() {
        if (parser_) XML_ParserFree(parser_);
    }
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    ParseResult read(XmlPath path) {
        if (!parser_) throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XmlReader::onStart, &XmlReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &XmlReader::onText);
        XML_SetEntityDeclHandler(parser_, &XmlReader::onEntityDeclaration);
        XML_SetSkippedEntityHandler(parser_, &XmlReader::onSkippedEntity);
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);

        const std::string_view input = document_.input.view();
        if (path == XmlPath::fast) {
            if (auto texts = scanDataTexts(input)) cuts_ = std::move(*texts);
        }
        // The pieces between the cut texts, straight from the input.
        std::size_t from = 0;
        for (const DataText& cut : cuts_) {
            if (!feed(input.substr(from, cut.offset - from), false)) return failure();
            from = cut.offset + cut.length;
        }
        if (!feed(input.substr(from), true)) return failure();
        if (failed_) return {std::nullopt, error_};
        // Every cut text is paired with the element it came from by construction; a text left over
        // would be data lost.
        if (nextCut_ != cuts_.size()) return {std::nullopt, "malformed XML"};
        if (!root_) return {std::nullopt, "the document holds no value"};
        return {document_.root(root_), {}};
    }

  private:
    // Hands `piece` to expat in parts of feedSize; false when expat or a handler stopped the parse.
    bool feed(std::string_view piece, bool last) {
        do {
            const std::size_t length = std::min(feedSize, piece.size());
            const bool final = last && length == piece.size();
            if (XML_Parse(parser_, piece.data(), static_cast<int>(length), final) != XML_STATUS_OK)
                return false;
            piece.remove_prefix(length);
        } while (!piece.empty());
        return true;
    }

    ParseResult failure() {
        if (!failed_) error_ = XML_ErrorString(XML_GetErrorCode(parser_));
        if (exception_) std::rethrow_exception(exception_);
        return {std::nullopt, error_.empty() ? "malformed XML" : error_};
    }

    struct Frame {
        Frame(Element element, std::size_t start) : kind(element), base(start) {}
        Element kind;
        std::size_t base;      // where this container's items or entries start on the shared stacks
        std::string_view key;  // in the arena
        bool hasKey = false;
        const Node* value = nullptr;  // of <plist>
        std::uint16_t height = 0;
    };

    static XmlReader& self(void* data) { return *static_cast<XmlReader*>(data); }

    // Handlers run inside expat's C code: nothing may be thrown through it.
    template <class Action>
    void guarded(Action&& action) {
        if (failed_) return;
        try {
            action();
        } catch (...) {
            exception_ = std::current_exception();
            fail("out of memory");
        }
    }

    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char**) {
        self(data).guarded([&] { self(data).start(name); });
    }
    static void XMLCALL onEnd(void* data, const XML_Char*) {
        self(data).guarded([&] { self(data).end(); });
    }
    static void XMLCALL onText(void* data, const XML_Char* text, int length) {
        self(data).guarded(
            [&] { self(data).text(std::string_view(text, static_cast<std::size_t>(length))); });
    }
    static void XMLCALL onEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int,
                                            const XML_Char*, const XML_Char*, const XML_Char*,
                                            const XML_Char*) {
        self(data).fail("entity declarations are not allowed");
    }
    static void XMLCALL onSkippedEntity(void* data, const XML_Char*, int) {
        self(data).fail("undefined entity");
    }

    void fail(const char* reason) {
        if (failed_) return;
        failed_ = true;
        error_ = reason;
        XML_StopParser(parser_, XML_FALSE);
    }

    void start(std::string_view name) {
        if (textElement_) return fail("element inside a text element");
        auto element = elementNamed(name);
        if (!element) return fail("unknown element");
        if (*element == Element::plist) {
            if (!stack_.empty() || root_) return fail("misplaced <plist>");
            stack_.emplace_back(Element::plist, 0);
            return;
        }
        if (!stack_.empty()) {
            const Frame& top = stack_.back();
            if (top.kind == Element::dict) {
                if ((*element == Element::key) == top.hasKey)
                    return fail(top.hasKey ? "key without a value" : "value without a key");
            } else if (*element == Element::key) {
                return fail("key outside a dictionary");
            } else if (top.kind == Element::plist && top.value) {
                return fail("more than one value in <plist>");
            }
        } else if (*element == Element::key) {
            return fail("key outside a dictionary");
        }
        if (*element == Element::array || *element == Element::dict) {
            if (depth_ == maxDepth) return fail("nesting deeper than 512 levels");
            ++depth_;
            stack_.emplace_back(*element, *element == Element::array ? items_.size() : entries_.size());
            return;
        }
        textElement_ = element;
        text_.clear();
        if (*element == Element::data)
            dataStart_ = XML_GetCurrentByteIndex(parser_) + XML_GetCurrentByteCount(parser_);
    }

    void text(std::string_view text) {
        if (textElement_) {
            text_.append(text);
        } else if (!std::all_of(text.begin(), text.end(), isXmlSpace)) {
            fail("text outside a value");
        }
    }

    void end() {
        if (textElement_) {
            const Element element = *textElement_;
            textElement_.reset();
            if (element == Element::key) {
                stack_.back().key = internedKey(text_);
                stack_.back().hasKey = true;
                return;
            }
            if (const Node* node = scalar(element)) add(node);
            return;
        }
        Frame frame = std::move(stack_.back());
        stack_.pop_back();
        if (frame.kind == Element::plist) {
            if (!frame.value) return fail("empty <plist>");
            root_ = frame.value;
            return;
        }
        --depth_;
        Node& node = document_.newNode(frame.kind == Element::array ? Type::array : Type::dictionary);
        node.height = static_cast<std::uint16_t>(frame.height + 1);
        // Arrays get one allocation of their exact size, dictionaries' entries go into the arena; the
        // stacks keep their capacity.
        if (frame.kind == Element::array) {
            const auto first = items_.begin() + static_cast<std::ptrdiff_t>(frame.base);
            node.array = &document_.arrays.emplace_back(std::make_move_iterator(first),
                                                        std::make_move_iterator(items_.end()));
            items_.erase(first, items_.end());
        } else {
            if (frame.hasKey) return fail("key without a value");
            const std::size_t count = entries_.size() - frame.base;
            auto* entries = document_.arena.allocate<Dictionary::Entry>(count);
            for (std::size_t i = 0; i < count; ++i)
                new (entries + i) Dictionary::Entry(std::move(entries_[frame.base + i]));
            node.dictionary =
                document_.newDictionary(entries, Dictionary::removeRepeatedKeys(entries, count));
            entries_.resize(frame.base);
        }
        add(&node);
    }

    const Node* scalar(Element element) {
        switch (element) {
            case Element::string: {
                Node& node = document_.newNode(Type::string);
                std::string_view stored = document_.arena.store(text_);
                node.text = stored.data();
                node.length = stored.size();
                return &node;
            }
            case Element::integer: {
                auto value = parseXmlInteger(text_);
                if (!value) return failed("invalid integer");
                if (const auto* small = std::get_if<std::int64_t>(&*value)) {
                    Node& node = document_.newNode(Type::integer);
                    node.integer = *small;
                    return &node;
                }
                Node& node = document_.newNode(Type::unsignedInteger);
                node.unsignedInteger = std::get<std::uint64_t>(*value);
                return &node;
            }
            case Element::real: {
                auto value = parseXmlReal(text_);
                if (!value) return failed("invalid real");
                Node& node = document_.newNode(Type::real);
                node.real = *value;
                return &node;
            }
            case Element::date: {
                auto value = parseXmlDate(text_);
                if (!value) return failed("invalid date");
                Node& node = document_.newNode(Type::date);
                node.real = *value;
                return &node;
            }
            case Element::data:
                return data();
            case Element::trueValue:
            case Element::falseValue:
                if (!trimXmlSpace(text_).empty()) return failed("text inside <true/> or <false/>");
                return booleanNode(element == Element::trueValue);
            default:
                return failed("unexpected element");
        }
    }

    // Base64 that lies in the input as it is was checked and is decoded when asked for; anything else
    // is decoded now. With texts cut out, expat's indices no longer match the input: an element the
    // scan left in place (attributes, references, invalid text) is decoded from its character data.
    const Node* data() {
        const std::string_view input = document_.input.view();
        const auto end = XML_GetCurrentByteIndex(parser_);
        if (nextCut_ < cuts_.size()) {
            // Expat's byte indices count the bytes it was fed, which lack the texts cut before.
            const DataText& cut = cuts_[nextCut_];
            const auto at = static_cast<XML_Index>(cut.offset - cutBytes_);
            if (dataStart_ == at && end == at) {
                ++nextCut_;
                cutBytes_ += cut.length;
                return base64Node(input.substr(cut.offset, cut.length));
            }
            if (end > at) return failed("malformed XML");  // a cut text without its element
        }
        if (cuts_.empty() && dataStart_ >= 0 && end >= dataStart_ &&
            static_cast<std::size_t>(end) <= input.size()) {
            std::string_view raw = input.substr(static_cast<std::size_t>(dataStart_),
                                                static_cast<std::size_t>(end - dataStart_));
            // An ASCII-compatible encoding without entities, sections or comments in the element: those
            // hold characters outside base64 and fail this check, as does UTF-16 with its zero bytes. Raw
            // text that passes holds no markup, so its character data is the same base64.
            if (base64DecodedSize(raw)) return base64Node(raw);
        }
        auto size = base64DecodedSize(text_);
        if (!size) return failed("invalid base64 data");
        Node& node = document_.newNode(Type::data);
        char* out = document_.arena.reserve(*size);
        base64DecodeInto(text_, out);
        document_.arena.commit(*size);
        node.text = out;
        node.length = *size;
        return &node;
    }

    // A data node over checked base64 in the input.
    const Node* base64Node(std::string_view text) {
        Node& node = document_.newNode(Type::data);
        node.base64 = true;
        node.text = text.data();
        node.length = text.size();
        return &node;
    }

    const Node* failed(const char* reason) {
        fail(reason);
        return nullptr;
    }

    // Keys repeat from one dictionary to the next: short ones are stored once.
    std::string_view internedKey(std::string_view text) {
        constexpr std::size_t shortKey = 64;
        constexpr std::size_t mostKeys = 4096;
        if (text.size() > shortKey) return document_.arena.store(text);
        if (auto found = keys_.find(text); found != keys_.end()) return *found;
        std::string_view stored = document_.arena.store(text);
        if (keys_.size() < mostKeys) keys_.insert(stored);
        return stored;
    }

    void add(const Node* node) {
        if (stack_.empty()) {
            root_ = node;
            return;
        }
        Frame& top = stack_.back();
        top.height = std::max(top.height, node->height);
        switch (top.kind) {
            case Element::plist:
                top.value = node;
                break;
            case Element::array:
                items_.push_back(Document::inner(node));
                break;
            default:
                entries_.emplace_back(top.key, Document::inner(node));
                top.hasKey = false;
                break;
        }
    }

    Document& document_;
    XML_Parser parser_;
    std::vector<Frame> stack_;
    Values items_;
    std::vector<Dictionary::Entry> entries_;
    int depth_ = 0;
    std::optional<Element> textElement_;
    std::string text_;  // the open text element's characters; keeps its capacity
    std::unordered_set<std::string_view> keys_;
    XML_Index dataStart_ = -1;    // where the open <data> element's content starts among the bytes fed
    std::vector<DataText> cuts_;  // texts left out of what expat is fed, in document order
    std::size_t nextCut_ = 0;     // the first not yet paired with its element
    std::size_t cutBytes_ = 0;    // the length of those paired
    const Node* root_ = nullptr;
    bool failed_ = false;
    std::string error_;
    std::exception_ptr exception_;
};

}  // namespace

ParseResult parseXml(Bytes bytes, XmlPath path) {
    auto document = std::make_shared<Document>(std::move(bytes));
    return XmlReader(*document).read(path);
}

}  // namespace qb::plist

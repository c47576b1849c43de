#include <toolkit/xml/XDoc.hpp>

#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace toolkit::xml {

namespace {

constexpr char CDataOpen[] = "<![CDATA[";
constexpr std::size_t CDataOpenLength = sizeof(CDataOpen) - 1;
constexpr char CDataClose[] = "]]>";
constexpr std::size_t CDataCloseLength = sizeof(CDataClose) - 1;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The first byte in [from, end) equal to one of Bytes, or end. Reads eight bytes at a
// time: a byte of word ^ pattern is zero where it matches, and the lowest flagged
// byte of (x - 0x01..) & ~x & 0x80.. is always a true zero (a borrow only flags bytes
// above one), so the lowest flag over all patterns is the first match.
template<char... Bytes> char* findFirstOf(char* from, char const* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ones = 0x0101010101010101ull;
        constexpr std::uint64_t highs = 0x8080808080808080ull;
        while (end - from >= 8) {
            std::uint64_t word;
            std::memcpy(&word, from, sizeof word);
            std::uint64_t flags = 0;
            ((flags |= ((word ^ (ones * std::uint8_t(Bytes))) - ones)
                     & ~(word ^ (ones * std::uint8_t(Bytes))) & highs),
                ...);
            if (flags)
                return from + std::countr_zero(flags) / 8;
            from += 8;
        }
    }
    while (from < end && ((*from != Bytes) && ...))
        ++from;
    return from;
}

bool startsWith(char const* at, char const* end, char const* literal, std::size_t length) {
    return std::size_t(end - at) >= length && std::memcmp(at, literal, length) == 0;
}

bool beginsCData(char const* at, char const* end) {
    return startsWith(at, end, CDataOpen, CDataOpenLength);
}

// The first occurrence of the literal in [from, end), or null.
char* find(char* from, char const* end, char const* literal, std::size_t length) {
    while (from < end) {
        auto first = static_cast<char*>(std::memchr(from, literal[0], std::size_t(end - from)));
        if (!first)
            return nullptr;
        if (startsWith(first, end, literal, length))
            return first;
        from = first + 1;
    }
    return nullptr;
}

char* findByte(char* from, char const* end, char byte) {
    if (from >= end)
        return nullptr;
    return static_cast<char*>(std::memchr(from, byte, std::size_t(end - from)));
}

// The first "<" at or after from that does not begin a CDATA section, stepping over
// every section that does; end when there is none.
char* nextTagStart(char* from, char* end) {
    for (;;) {
        char* lt = findByte(from, end, '<');
        if (!lt)
            return end;
        if (!beginsCData(lt, end))
            return lt;
        char* close = find(lt + CDataOpenLength, end, CDataClose, CDataCloseLength);
        if (!close)
            return end;
        from = close + CDataCloseLength;
    }
}

// The end of the tag that starts at lt: the first "<" or ">" after it outside a CDATA
// section; null when the tag or a section inside it has no end.
char* tagEnd(char* lt, char* end) {
    for (char* at = lt + 1; at < end; ++at) {
        at = findFirstOf<'>', '<'>(at, end);
        if (at == end)
            return nullptr;
        if (*at == '>')
            return at;
        if (!beginsCData(at, end))
            return at;
        char* close = find(at + CDataOpenLength, end, CDataClose, CDataCloseLength);
        if (!close)
            return nullptr;
        at = close + CDataCloseLength - 1;
    }
    return nullptr;
}

// Removes every CDATA marker from the NUL-terminated value, shifting the rest left.
void removeCDataMarkers(char* value) {
    // Most values hold no marker: find the first byte that could start one.
    char* in = value;
    while (*in && *in != '<' && *in != ']')
        ++in;
    char* out = in;
    while (*in) {
        if (*in == '<' && std::strncmp(in, CDataOpen, CDataOpenLength) == 0) {
            in += CDataOpenLength;
        } else if (*in == ']' && std::strncmp(in, CDataClose, CDataCloseLength) == 0) {
            in += CDataCloseLength;
        } else {
            *out++ = *in++;
        }
    }
    *out = '\0';
}

// Trims the element's text, which ends at textEnd (a NUL the parse wrote).
void trimText(XDocElement* element, char* textEnd) {
    char* text = element->text;
    if (!text)
        return;
    while (isSpace(*text))
        ++text;
    char* last = textEnd < text ? text : textEnd;
    while (last > text && isSpace(last[-1]))
        *--last = '\0';
    element->text = text;
}

bool sameName(char const* stored, std::string_view name) {
    if (!stored)
        return false;
    // Compared byte by byte up to the stored name's NUL, without measuring it first.
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (stored[i] != name[i] || stored[i] == '\0')
            return false;
    }
    return stored[name.size()] == '\0';
}

// Where the name of the tag at lt ends: the first blank or "/" in (lt, gt).
char* nameEndOf(char* lt, char* gt) {
    char* nameEnd = lt + 1;
    while (nameEnd < gt && *nameEnd != ' ' && *nameEnd != '/')
        ++nameEnd;
    return nameEnd;
}

// The attributes of a tag, from just after its name up to gt: names run to a blank
// or "=", values are quoted with " or ' and may hold CDATA sections, inside which
// the quote does not end the value. An attribute cut off by gt is dropped.
template<typename Add> void readAttributes(char* at, char* gt, Add&& add) {
    while (at < gt) {
        while (at < gt && isSpace(*at))
            ++at;
        if (at >= gt)
            return;
        char* name = at++;
        while (at < gt && !isSpace(*at) && *at != '=')
            ++at;
        if (at >= gt)
            return;
        *at++ = '\0';
        while (at < gt && *at != '"' && *at != '\'')
            ++at;
        if (at >= gt)
            return;
        char const quote = *at++;
        char* value = at;
        // Whether the value holds a byte that may start a CDATA marker.
        bool mayHoldMarker = false;
        for (;;) {
            at = quote == '"' ? findFirstOf<'"', '<', ']'>(at, gt)
                              : findFirstOf<'\'', '<', ']'>(at, gt);
            if (at >= gt)
                return;
            if (*at == quote)
                break;
            mayHoldMarker = true;
            if (*at == '<' && beginsCData(at, gt)) {
                // Inside the section up to its "]]>", whose first byte is read again
                // as part of the value.
                ++at;
                while (at < gt && !(*at == ']' && startsWith(at, gt, CDataClose, CDataCloseLength)))
                    ++at;
                if (at >= gt)
                    return;
            }
            ++at;
        }
        *at++ = '\0';
        if (mayHoldMarker)
            removeCDataMarkers(value);
        add(name, value);
    }
}

}

base::Ref<XDoc> XDoc::xdocWithXMLData(base::Bytes const& data) {
    return xdocWithXMLData(
        std::string_view(reinterpret_cast<char const*>(data.data()), data.size()));
}

base::Ref<XDoc> XDoc::xdocWithXMLData(std::string_view data) {
    auto doc = base::make<XDoc>();
    doc->parse(data.data(), data.size());
    return doc;
}

base::Ref<XDoc> XDoc::xdocWithXMLString(std::string_view text) {
    return xdocWithXMLData(text);
}

base::Ref<XDoc> XDoc::xdocWithURL(std::string const& url) {
    auto result = foundation::URLConnection::sendSynchronousRequest(foundation::URLRequest(url));
    if (result.error)
        return xdocWithXMLData(std::string_view());
    return xdocWithXMLData(result.data);
}

XDoc::~XDoc() {
    bytes.reset();
    while (!elementBuffers_.empty())
        elementBuffers_.pop_back();
    while (!attributeBuffers_.empty())
        attributeBuffers_.pop_back();
}

XDocElement* XDoc::nextElement() {
    ++currentElement;
    if (!currentElementBuffer || currentElement == XDocRecordsPerBuffer) {
        auto block = std::make_unique<XDocElementBuffer>();
        block->previous = currentElementBuffer;
        if (currentElementBuffer)
            currentElementBuffer->next = block.get();
        else
            rootXMLElement_ = &block->elements[0];
        currentElementBuffer = block.get();
        elementBuffers_.push_back(std::move(block));
        currentElement = 0;
    }
    return &currentElementBuffer->elements[currentElement];
}

XDocAttribute* XDoc::nextAttribute() {
    ++currentAttribute;
    if (!currentAttributeBuffer || currentAttribute == XDocRecordsPerBuffer) {
        auto block = std::make_unique<XDocAttributeBuffer>();
        block->previous = currentAttributeBuffer;
        if (currentAttributeBuffer)
            currentAttributeBuffer->next = block.get();
        currentAttributeBuffer = block.get();
        attributeBuffers_.push_back(std::move(block));
        currentAttribute = 0;
    }
    return &currentAttributeBuffer->attributes[currentAttribute];
}

void XDoc::parse(char const* data, std::size_t length) {
    bytesLength_ = length;
    bytes = std::make_unique_for_overwrite<char[]>(length + 1);
    if (length)
        std::memcpy(bytes.get(), data, length);
    bytes[length] = '\0';

    char* const buffer = bytes.get();
    // A NUL inside the document ends it there.
    char* const end = buffer + std::strlen(buffer);
    char* pos = buffer;
    XDocElement* current = nullptr;
    XDocElement* textOwner = nullptr;
    char* textEnd = nullptr;
    bool textAwaitingEnd = false;

    for (;;) {
        // Texts between tags are short: a word-wise scan beats a call to memchr.
        char* lt = findFirstOf<'<'>(pos, end);
        if (lt >= end)
            return;
        if (startsWith(lt, end, "<!--", 4)) {
            char* close = find(lt + 4, end, "-->", 3);
            if (!close)
                return;
            pos = close + 3;
            continue;
        }

        if (beginsCData(lt, end)) {
            char* close = find(lt + CDataOpenLength, end, CDataClose, CDataCloseLength);
            if (!close)
                return;
            char* next = nextTagStart(close + CDataCloseLength, end);
            // The content moves over the opening marker, what follows the section up to
            // the next tag moves over both markers, and the 12 freed bytes before that
            // tag become spaces, which the text's trimming removes.
            char* content = lt + CDataOpenLength;
            std::size_t contentLength = std::size_t(close - content);
            std::memmove(lt, content, contentLength);
            char* after = close + CDataCloseLength;
            std::memmove(
                after - (CDataOpenLength + CDataCloseLength), after, std::size_t(next - after));
            std::memset(next - (CDataOpenLength + CDataCloseLength), ' ',
                CDataOpenLength + CDataCloseLength);
            pos = lt + contentLength;
            continue;
        }

        char* gt = tagEnd(lt, end);
        if (!gt)
            return;
        // The text of the element opened last ends at the first tag after it.
        if (textAwaitingEnd) {
            textEnd = lt;
            textAwaitingEnd = false;
        }
        bool selfClosing = gt - 1 > lt && gt[-1] == '/';
        *gt = '\0';
        *lt = '\0';
        pos = gt + 1;
        char first = lt[1];

        if (first == '?' || first == '!')
            continue;

        if (first == '/') {
            if (!current)
                continue;
            if (current->text)
                trimText(current,
                    current == textOwner ? textEnd : current->text + std::strlen(current->text));
            current = current->parentElement;
            if (current)
                current->text = nullptr;
            continue;
        }

        XDocElement* element = nextElement();
        element->name = lt + 1;
        if (current) {
            if (!current->firstChild) {
                current->firstChild = element;
            } else {
                current->currentChild->nextSibling = element;
                element->previousSibling = current->currentChild;
            }
            current->currentChild = element;
            element->parentElement = current;
        }

        char* nameEnd = nameEndOf(lt, gt);
        if (nameEnd < gt) {
            *nameEnd = '\0';
            XDocAttribute* lastAttribute = nullptr;
            readAttributes(nameEnd + 1, gt, [&](char* attributeName, char* value) {
                XDocAttribute* attribute = nextAttribute();
                attribute->name = attributeName;
                attribute->value = value;
                if (!element->firstAttribute)
                    element->firstAttribute = attribute;
                else
                    lastAttribute->next = attribute;
                lastAttribute = attribute;
            });
        }

        if (!selfClosing) {
            current = element;
            if (*pos != '>') {
                element->text = pos;
                textOwner = element;
                textAwaitingEnd = true;
            }
        }
    }
}

std::string XDoc::elementName(XDocElement const* element) {
    return element && element->name ? std::string(element->name) : std::string();
}

std::string XDoc::textForElement(XDocElement const* element) {
    return element && element->text ? std::string(element->text) : std::string();
}

int XDoc::numberForElement(XDocElement const* element) {
    if (!element || !element->text)
        return 0;
    return base::Value(std::string_view(element->text)).intValue();
}

int XDoc::negativeNumberForUnknownElement(XDocElement const* element) {
    if (!element || !element->text)
        return -1;
    return numberForElement(element);
}

bool XDoc::boolForElement(XDocElement const* element) {
    if (!element || !element->text)
        return false;
    std::string text(element->text);
    std::transform(text.begin(), text.end(), text.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return text == "yes" || text == "true";
}

std::string XDoc::attributeName(XDocAttribute const* attribute) {
    return attribute && attribute->name ? std::string(attribute->name) : std::string();
}

std::string XDoc::attributeValue(XDocAttribute const* attribute) {
    return attribute && attribute->value ? std::string(attribute->value) : std::string();
}

std::optional<std::string> XDoc::valueOfAttributeNamed(
    std::string_view name, XDocElement const* element) {
    if (!element)
        return std::nullopt;
    for (auto attribute = element->firstAttribute; attribute; attribute = attribute->next) {
        if (sameName(attribute->name, name))
            return std::string(attribute->value ? attribute->value : "");
    }
    return std::nullopt;
}

XDocElement* XDoc::childElementNamed(std::string_view name, XDocElement const* parent) {
    if (!parent)
        return nullptr;
    for (auto child = parent->firstChild; child; child = child->nextSibling) {
        if (sameName(child->name, name))
            return child;
    }
    return nullptr;
}

XDocElement* XDoc::nextSiblingNamed(std::string_view name, XDocElement const* element) {
    if (!element)
        return nullptr;
    for (auto sibling = element->nextSibling; sibling; sibling = sibling->nextSibling) {
        if (sameName(sibling->name, name))
            return sibling;
    }
    return nullptr;
}

}

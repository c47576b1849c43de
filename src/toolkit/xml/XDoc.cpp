#include <toolkit/xml/XDoc.hpp>

#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>

#include <algorithm>
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
        if (*at == '>')
            return at;
        if (*at == '<') {
            if (!beginsCData(at, end))
                return at;
            char* close = find(at + CDataOpenLength, end, CDataClose, CDataCloseLength);
            if (!close)
                return nullptr;
            at = close + CDataCloseLength - 1;
        }
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

void trimText(XDocElement* element) {
    char* text = element->text;
    if (!text)
        return;
    while (isSpace(*text))
        ++text;
    char* last = text + std::strlen(text);
    while (last > text && isSpace(last[-1]))
        *--last = '\0';
    element->text = text;
}

bool sameName(char const* stored, std::string_view name) {
    if (!stored)
        return false;
    return std::strlen(stored) == name.size() && std::memcmp(stored, name.data(), name.size()) == 0;
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

    while (char* lt = findByte(pos, end, '<')) {
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
            trimText(current);
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

        char* nameEnd = lt + 1;
        while (nameEnd < gt && *nameEnd != ' ' && *nameEnd != '/')
            ++nameEnd;
        if (nameEnd < gt) {
            *nameEnd = '\0';
            // The attribute machine: 0 between attributes, 1 in a name, 2 before a
            // value, 3 in a quoted value, 4 in a CDATA section inside a value.
            int state = 0;
            char* attributeName = nullptr;
            char* value = nullptr;
            char quote = 0;
            XDocAttribute* lastAttribute = nullptr;
            for (char* at = nameEnd + 1; at < gt; ++at) {
                char c = *at;
                switch (state) {
                case 0:
                    if (!isSpace(c)) {
                        attributeName = at;
                        state = 1;
                    }
                    break;
                case 1:
                    if (isSpace(c) || c == '=') {
                        *at = '\0';
                        state = 2;
                    }
                    break;
                case 2:
                    if (c == '"' || c == '\'') {
                        quote = c;
                        value = at + 1;
                        state = 3;
                    }
                    break;
                case 3:
                    if (c == '<' && beginsCData(at, gt)) {
                        state = 4;
                    } else if (c == quote) {
                        *at = '\0';
                        removeCDataMarkers(value);
                        XDocAttribute* attribute = nextAttribute();
                        attribute->name = attributeName;
                        attribute->value = value;
                        if (!element->firstAttribute)
                            element->firstAttribute = attribute;
                        else
                            lastAttribute->next = attribute;
                        lastAttribute = attribute;
                        state = 0;
                    }
                    break;
                default:
                    if (c == ']' && startsWith(at, gt, CDataClose, CDataCloseLength))
                        state = 3;
                    break;
                }
            }
        }

        if (!selfClosing) {
            current = element;
            if (*pos != '>')
                element->text = pos;
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

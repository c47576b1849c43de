#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::xml {

struct XDocAttribute;

// One element of a parsed document. Every text refers into the document's buffer and
// ends at a NUL the parse wrote there; `text` is null for an element without text (a
// self-closing one, or one whose children were closed by end tags).
struct XDocElement {
    char* name;
    char* text;
    XDocAttribute* firstAttribute;
    XDocElement* parentElement;
    XDocElement* firstChild;
    XDocElement* currentChild;
    XDocElement* nextSibling;
    XDocElement* previousSibling;
};

// One attribute with a quoted value, in document order along `next`.
struct XDocAttribute {
    char* name;
    char* value;
    XDocAttribute* next;
};

inline constexpr int XDocRecordsPerBuffer = 100;

// Records are handed out from blocks of 100, chained newest to oldest.
struct XDocElementBuffer {
    XDocElement elements[XDocRecordsPerBuffer] {};
    XDocElementBuffer* next {nullptr};
    XDocElementBuffer* previous {nullptr};
};

struct XDocAttributeBuffer {
    XDocAttribute attributes[XDocRecordsPerBuffer] {};
    XDocAttributeBuffer* next {nullptr};
    XDocAttributeBuffer* previous {nullptr};
};

// A small, fast XML reader for the offer wall's replies. It copies the whole document
// into one NUL-terminated buffer and parses it in place, in one pass: NULs end names,
// texts and values, CDATA markers are shifted out, and the records point into the
// buffer. It neither validates nor decodes entities, does not match end tags against
// start tags, and skips comments, processing instructions and declarations. Every
// scan stays inside the buffer: a comment, CDATA section or tag without its end stops
// the parse, and the records made before it stay complete.
//
// The object owns the buffer and the record blocks; every record and text pointer is
// valid for as long as the object lives. It never changes after construction, so the
// class operations that read it may run on any thread.
class XDoc final : public base::Object {
public:
    static base::Ref<XDoc> xdocWithXMLData(base::Bytes const& data);
    static base::Ref<XDoc> xdocWithXMLData(std::string_view data);
    // The text's UTF-8 bytes.
    static base::Ref<XDoc> xdocWithXMLString(std::string_view text);
    // Fetches the address synchronously, on the calling thread; a failed fetch gives an
    // empty document. Not for the main thread.
    static base::Ref<XDoc> xdocWithURL(std::string const& url);

    XDocElement* rootXMLElement() const { return rootXMLElement_; }
    std::size_t bytesLength() const { return bytesLength_; }
    // The number of record blocks made; for tests of the allocation pattern.
    std::size_t elementBufferCount() const { return elementBuffers_.size(); }
    std::size_t attributeBufferCount() const { return attributeBuffers_.size(); }

    // "" when the element or its name is none.
    static std::string elementName(XDocElement const* element);
    // "" when the element or its text is none.
    static std::string textForElement(XDocElement const* element);
    // The leading integer of the text, as the platform's intValue; 0 without a text.
    static int numberForElement(XDocElement const* element);
    // As numberForElement, but -1 when the element or its text is none.
    static int negativeNumberForUnknownElement(XDocElement const* element);
    // True for "yes" and "true" in any case.
    static bool boolForElement(XDocElement const* element);
    static std::string attributeName(XDocAttribute const* attribute);
    static std::string attributeValue(XDocAttribute const* attribute);
    // The value of the element's first attribute of that name; none when absent.
    static std::optional<std::string> valueOfAttributeNamed(
        std::string_view name, XDocElement const* element);
    // The first child of that name, from firstChild along nextSibling.
    static XDocElement* childElementNamed(std::string_view name, XDocElement const* parent);
    // The first element after the given one along nextSibling with that name.
    static XDocElement* nextSiblingNamed(std::string_view name, XDocElement const* element);

    ~XDoc() override;

private:
    friend base::Factory;
    XDoc() = default;

    void parse(char const* data, std::size_t length);
    XDocElement* nextElement();
    XDocAttribute* nextAttribute();

    XDocElement* rootXMLElement_ {nullptr};
    XDocElementBuffer* currentElementBuffer {nullptr};
    XDocAttributeBuffer* currentAttributeBuffer {nullptr};
    int currentElement {-1};
    int currentAttribute {-1};
    std::unique_ptr<char[]> bytes;
    std::size_t bytesLength_ {0};

    std::vector<std::unique_ptr<XDocElementBuffer>> elementBuffers_;
    std::vector<std::unique_ptr<XDocAttributeBuffer>> attributeBuffers_;
};

}

// The offer wall's in-place XML reader over any bytes. The parse itself must stay
// inside its buffer (AddressSanitizer watches every shift and NUL it writes); the
// tree it leaves is then walked and checked: every record and text lies inside the
// document's buffer or the record blocks, links agree in both directions, every text
// ends before the buffer does, and the walk reaches each element once.
#include "FuzzSupport.hpp"

#include <toolkit/xml/XDoc.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

using toolkit::xml::XDoc;
using toolkit::xml::XDocElement;

namespace {

void checkText(char const* text) {
    if (text)
        (void)std::strlen(text);
}

// Iterative, so a deeply nested document does not exhaust the checker's own stack.
void walk(XDocElement const* root, std::unordered_set<XDocElement const*>& seen) {
    std::vector<XDocElement const*> pending {root};
    while (!pending.empty()) {
        auto element = pending.back();
        pending.pop_back();
        if (!element)
            continue;
        FUZZ_CHECK(seen.insert(element).second);
        FUZZ_CHECK(element->name);
        checkText(element->name);
        checkText(element->text);
        (void)XDoc::textForElement(element);
        (void)XDoc::numberForElement(element);
        (void)XDoc::boolForElement(element);
        for (auto attribute = element->firstAttribute; attribute; attribute = attribute->next) {
            checkText(attribute->name);
            checkText(attribute->value);
            FUZZ_CHECK(XDoc::valueOfAttributeNamed(XDoc::attributeName(attribute), element));
        }
        if (element->nextSibling)
            FUZZ_CHECK(element->nextSibling->previousSibling == element);
        for (auto child = element->firstChild; child; child = child->nextSibling)
            FUZZ_CHECK(child->parentElement == element);
        if (element->firstChild) {
            FUZZ_CHECK(element->currentChild);
            FUZZ_CHECK(XDoc::childElementNamed(XDoc::elementName(element->firstChild), element));
        }
        pending.push_back(element->nextSibling);
        pending.push_back(element->firstChild);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto doc = XDoc::xdocWithXMLData(std::string_view(reinterpret_cast<char const*>(data), size));
    FUZZ_CHECK(doc->bytesLength() == size);
    std::unordered_set<XDocElement const*> seen;
    walk(doc->rootXMLElement(), seen);
    FUZZ_CHECK(seen.size() <= doc->elementBufferCount() * toolkit::xml::XDocRecordsPerBuffer);
    return 0;
}

#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <optional>
#include <string>

namespace foundation {

// The XML property-list form behind PropertyList (Apple's PropertyList-1.0 DTD),
// read with expat under XMLParser's protections (so entity tricks and external DTDs
// are refused), without the SAX layer between, and
// written in Apple's layout: tab indentation, "<array/>" for an empty array,
// dates to the whole second in UTC, data as Base64 lines. Stateless and
// thread-safe; callers go through PropertyList.
class XMLPropertyList {
public:
    // Whether the bytes begin (after a byte-order mark and blanks) as an XML document.
    static bool looksLikeXML(ByteView bytes);

    // The top value, or null with the reason in error. The <plist> element is
    // optional around the top value.
    static base::Value read(ByteView bytes, std::string& error);

    // The document, or nullopt with the reason in error when the value holds what
    // XML cannot carry (see PropertyList::dataWithPropertyList).
    static std::optional<std::string> write(base::Value const& value, std::string& error);
};

}

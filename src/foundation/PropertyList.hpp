#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace foundation {

// Property lists: the files in which bundle data, downloaded lists, saves and
// archives are kept, read into and written from base::Value. Three forms:
// - Binary ("bplist00"): every value kind. Integers keep their full 64-bit range,
//   unsigned ones above the signed range included (read back as Unsigned; smaller
//   ones read back as Integer, as the form does not tell them apart). Dates keep
//   their fraction of a second.
// - XML (Apple's DTD): every value kind; dates to the whole second, as the form has it.
// - Old-style text ("OpenStep"): strings, arrays, dictionaries and data, and the
//   string tables of ".strings" files ("key" = "value"; with comments and escapes),
//   in UTF-8 or in UTF-16 with a byte-order mark. Read only.
//
// Reading is safe with any input: a malformed, truncated or hostile file gives a
// null Value and one log line, never a crash. Nesting deeper than maxDepth, binary
// lists whose objects refer to themselves, and binary lists that would expand far
// beyond their own size by sharing containers are refused.
//
// Stateless and thread-safe.
class PropertyList {
public:
    enum class Format { XML, Binary, OpenStep };
    enum class Atomically { No, Yes };

    static constexpr int maxDepth = 512;

    // Reads any of the three forms, telling which one it found. Null on failure.
    static base::Value propertyListWithData(ByteView bytes, Format* format = nullptr);
    // Null for a missing file (not logged) and for an unreadable or malformed one (logged).
    static base::Value propertyListWithContentsOfFile(
        std::string const& path, Format* format = nullptr);

    // The list in XML or binary form. nullopt, with a log line, when the value
    // cannot be written in that form: a null anywhere, text that is not UTF-8,
    // nesting deeper than maxDepth (a collection that contains itself), and for XML
    // also control characters in text (XML 1.0 has no way to write them) and dates
    // with no calendar day. The old-style form cannot be written.
    static std::optional<base::Bytes> dataWithPropertyList(base::Value const& value, Format format);
    // Whether dataWithPropertyList would succeed; why not in reason.
    static bool isValidPropertyList(
        base::Value const& value, Format format, std::string* reason = nullptr);

    // Writes the value as a file of the given form (XML unless told). Atomically
    // (the default) goes through a temporary file (AtomicFile); a failure then leaves
    // the old file whole. False, with a log line, on any failure.
    static bool writeToFile(base::Value const& value, std::string const& path,
        Atomically atomically = Atomically::Yes, Format format = Format::XML);

    // The contents of a property-list file when it holds a dictionary (an array),
    // or null: missing, malformed, or of the other kind.
    static base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string const& path);
    static base::Ref<base::Array> arrayWithContentsOfFile(std::string const& path);

    // A string table: a ".strings" file in any of the three forms whose top level
    // is a dictionary. Entries whose value is not a string are dropped; a file that
    // holds nothing but comments is an empty table. Null when missing or malformed.
    static base::Ref<base::Dictionary> stringsTableWithData(ByteView bytes);
    static base::Ref<base::Dictionary> stringsTableWithContentsOfFile(std::string const& path);
};

}

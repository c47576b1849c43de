#include <foundation/PropertyList.hpp>

#include <base/Log.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/BinaryPropertyList.hpp>
#include <foundation/OpenStepPropertyList.hpp>
#include <foundation/Strings.hpp>
#include <foundation/XMLPropertyList.hpp>

#include <algorithm>

namespace foundation {

namespace {

// A writer walks shared collections once per reference; past this many values a
// value made in memory (not read from a file) is refused as too large.
constexpr std::size_t maxValuesToWrite = std::size_t(1) << 24;

class Validator {
public:
    explicit Validator(std::string& reason)
        : reason_(reason) { }

    bool check(base::Value const& value, int depth) {
        if (depth > PropertyList::maxDepth)
            return fail("nested deeper than " + std::to_string(PropertyList::maxDepth)
                + " levels (a collection that contains itself?)");
        if (++count_ > maxValuesToWrite)
            return fail("too many values");
        switch (value.kind()) {
        case base::Value::Kind::Null:
            return fail("null value");
        case base::Value::Kind::String:
            return checkText(*value.string(), "string");
        case base::Value::Kind::Array:
            for (auto const& element : *value.array()) {
                if (!check(element, depth + 1))
                    return false;
            }
            return true;
        case base::Value::Kind::Dictionary:
            for (auto const& [key, element] : *value.dictionary()) {
                if (!checkText(key, "key") || !check(element, depth + 1))
                    return false;
            }
            return true;
        default:
            return true;
        }
    }

private:
    bool fail(std::string message) {
        reason_ = std::move(message);
        return false;
    }

    bool checkText(std::string const& text, char const* what) {
        if (!isValidUtf8(text))
            return fail(std::string(what) + " is not valid UTF-8");
        return true;
    }

    std::string& reason_;
    std::size_t count_ {0};
};

std::string const& formatName(PropertyList::Format format) {
    static std::string const names[] = {"XML", "binary", "old-style"};
    return names[int(format)];
}

// The list was just read, so nobody else holds it: when it has nothing but strings,
// as string tables do, it is the table itself and needs no copy.
base::Ref<base::Dictionary> onlyStrings(base::Value const& value) {
    auto dictionary = value.dictionaryRef();
    if (!dictionary)
        return nullptr;
    bool allStrings = std::all_of(dictionary->begin(), dictionary->end(),
        [](auto const& entry) { return entry.second.isString(); });
    if (allStrings)
        return dictionary;
    auto table = base::Dictionary::create();
    for (auto const& [key, element] : *dictionary) {
        if (element.isString())
            table->setObject(key, element);
    }
    return table;
}

}

base::Value PropertyList::propertyListWithData(ByteView bytes, Format* format) {
    std::string error;
    Format found;
    base::Value value;
    if (BinaryPropertyList::hasSignature(bytes)) {
        found = Format::Binary;
        value = BinaryPropertyList::read(bytes, error);
    } else if (bytes.text().starts_with("bplist")) {
        found = Format::Binary;
        error = "unsupported binary property-list version";
    } else if (XMLPropertyList::looksLikeXML(bytes)) {
        found = Format::XML;
        value = XMLPropertyList::read(bytes, error);
    } else if (bytes.empty()) {
        // An empty file is what an interrupted non-atomic write leaves: no list.
        found = Format::OpenStep;
        error = "no data";
    } else {
        found = Format::OpenStep;
        value = OpenStepPropertyList::read(bytes, error);
    }
    if (value.isNull()) {
        base::logLine(
            "PropertyList: cannot read " + formatName(found) + " property list: " + error);
        return {};
    }
    if (format)
        *format = found;
    return value;
}

base::Value PropertyList::propertyListWithContentsOfFile(std::string const& path, Format* format) {
    auto bytes = AtomicFile::read(path);
    if (!bytes)
        return {};
    auto value = propertyListWithData(*bytes, format);
    if (value.isNull())
        base::logLine("PropertyList: the file " + path + " is not a readable property list");
    return value;
}

bool PropertyList::isValidPropertyList(
    base::Value const& value, Format format, std::string* reason) {
    std::string why;
    bool valid = format != Format::OpenStep;
    if (!valid)
        why = "the old-style form is read only";
    else
        valid = Validator(why).check(value, 0);
    if (format == Format::XML && valid) {
        // The XML writer finds the rest (control characters, dates out of range).
        valid = XMLPropertyList::write(value, why).has_value();
    }
    if (reason)
        *reason = why;
    return valid;
}

std::optional<base::Bytes> PropertyList::dataWithPropertyList(
    base::Value const& value, Format format) {
    std::string reason;
    if (format == Format::OpenStep || !Validator(reason).check(value, 0)) {
        if (reason.empty())
            reason = "the old-style form is read only";
        base::logLine(
            "PropertyList: cannot write " + formatName(format) + " property list: " + reason);
        return std::nullopt;
    }
    if (format == Format::Binary)
        return BinaryPropertyList::write(value);
    auto text = XMLPropertyList::write(value, reason);
    if (!text) {
        base::logLine("PropertyList: cannot write XML property list: " + reason);
        return std::nullopt;
    }
    return base::Bytes(text->begin(), text->end());
}

bool PropertyList::writeToFile(
    base::Value const& value, std::string const& path, Atomically atomically, Format format) {
    auto bytes = dataWithPropertyList(value, format);
    if (!bytes) {
        base::logLine("PropertyList: nothing written to " + path);
        return false;
    }
    return atomically == Atomically::Yes ? AtomicFile::write(path, *bytes)
                                         : AtomicFile::writeInPlace(path, *bytes);
}

base::Ref<base::Dictionary> PropertyList::dictionaryWithContentsOfFile(std::string const& path) {
    return propertyListWithContentsOfFile(path).dictionaryRef();
}

base::Ref<base::Array> PropertyList::arrayWithContentsOfFile(std::string const& path) {
    return propertyListWithContentsOfFile(path).arrayRef();
}

base::Ref<base::Dictionary> PropertyList::stringsTableWithData(ByteView bytes) {
    if (bytes.empty())
        return base::Dictionary::create();
    return onlyStrings(propertyListWithData(bytes));
}

base::Ref<base::Dictionary> PropertyList::stringsTableWithContentsOfFile(std::string const& path) {
    auto bytes = AtomicFile::read(path);
    if (!bytes)
        return nullptr;
    auto table = stringsTableWithData(*bytes);
    if (!table)
        base::logLine("PropertyList: the string table " + path + " is not readable");
    return table;
}

}

#include <toolkit/json/PJsonWriter.hpp>

#include <foundation/Strings.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace toolkit::json {

namespace {

void appendString(std::string& out, std::string const& text) {
    out += '"';
    bool plain = std::none_of(text.begin(), text.end(),
        [](char c) { return std::uint8_t(c) < 0x20 || c == '"' || c == '\\'; });
    if (plain) {
        out += text;
    } else {
        for (char c : text) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (std::uint8_t(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(std::uint8_t(c)));
                    out += escape;
                } else {
                    out += c;
                }
            }
        }
    }
    out += '"';
}

char const* className(base::Value const& value) {
    switch (value.kind()) {
    case base::Value::Kind::Date:
        return "NSDate";
    case base::Value::Kind::Data:
        return "NSData";
    case base::Value::Kind::Null:
        return "nil";
    default:
        return "NSNumber";
    }
}

}

std::optional<std::string> PJsonWriter::stringWithObject(base::Value const& value) {
    if (value.isArray() || value.isDictionary())
        return stringWithFragment(value);
    clearErrorTrace();
    addErrorWithCode(4, "Not valid type for JSON");
    return std::nullopt;
}

std::optional<std::string> PJsonWriter::stringWithFragment(base::Value const& value) {
    clearErrorTrace();
    depth_ = 0;
    std::string out;
    out.reserve(128);
    if (!appendValue(out, value))
        return std::nullopt;
    return out;
}

void PJsonWriter::appendIndent(std::string& out) const {
    out += '\n';
    out.append(std::size_t(depth_) * 2, ' ');
}

bool PJsonWriter::appendValue(std::string& out, base::Value const& value) {
    switch (value.kind()) {
    case base::Value::Kind::Dictionary:
        return appendDictionary(out, *value.dictionary());
    case base::Value::Kind::Array:
        return appendArray(out, *value.array());
    case base::Value::Kind::String:
        appendString(out, *value.string());
        return true;
    case base::Value::Kind::Boolean:
        out += value.boolValue() ? "true" : "false";
        return true;
    case base::Value::Kind::Integer:
    case base::Value::Kind::Unsigned:
        out += value.stringValue();
        return true;
    case base::Value::Kind::Real:
        // JSON has no text for NaN and the infinities.
        if (!std::isfinite(value.doubleValue()))
            break;
        out += value.stringValue();
        return true;
    case base::Value::Kind::Decimal:
        if (value.decimal()->isNaN())
            break;
        out += value.stringValue();
        return true;
    case base::Value::Kind::Null:
        if (value.isNil())
            break;
        out += "null";
        return true;
    case base::Value::Kind::Data:
    case base::Value::Kind::Date:
        break;
    }
    addErrorWithCode(1, std::string("JSON serialisation not supported for ") + className(value));
    return false;
}

bool PJsonWriter::appendDictionary(std::string& out, base::Dictionary const& dictionary) {
    if (!enterCollection())
        return false;
    out += '{';
    std::vector<base::Dictionary::Entry const*> entries;
    entries.reserve(dictionary.size());
    for (auto const& entry : dictionary)
        entries.push_back(&entry);
    if (sortKeys_) {
        std::sort(entries.begin(), entries.end(),
            [](auto a, auto b) { return foundation::compare(a->first, b->first) < 0; });
    }
    bool first = true;
    for (auto entry : entries) {
        if (!first)
            out += ',';
        first = false;
        if (humanReadable_)
            appendIndent(out);
        appendString(out, entry->first);
        out += humanReadable_ ? " : " : ":";
        if (!appendValue(out, entry->second)) {
            addErrorWithCode(1, "Unsupported value for key " + entry->first + " in object");
            return false;
        }
    }
    leaveCollection();
    if (humanReadable_ && !entries.empty())
        appendIndent(out);
    out += '}';
    return true;
}

bool PJsonWriter::appendArray(std::string& out, base::Array const& array) {
    if (!enterCollection())
        return false;
    out += '[';
    bool first = true;
    for (auto const& element : array) {
        if (!first)
            out += ',';
        first = false;
        if (humanReadable_)
            appendIndent(out);
        if (!appendValue(out, element))
            return false;
    }
    leaveCollection();
    if (humanReadable_ && !array.empty())
        appendIndent(out);
    out += ']';
    return true;
}

}

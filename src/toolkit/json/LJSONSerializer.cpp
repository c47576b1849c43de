#include <toolkit/json/LJSONSerializer.hpp>

#include <foundation/Strings.hpp>

#include <cmath>
#include <cstring>

namespace toolkit::json {

namespace {

void append(base::Bytes& out, char const* text, std::size_t length) {
    out.insert(out.end(), text, text + length);
}

void append(base::Bytes& out, std::string const& text) {
    append(out, text.data(), text.size());
}

// The name the platform gives a value's class, for the type error.
std::string className(base::Value const& value) {
    switch (value.kind()) {
    case base::Value::Kind::Date:
        return "NSDate";
    case base::Value::Kind::Data:
        return "NSData";
    case base::Value::Kind::Array:
        return "NSArray";
    case base::Value::Kind::Dictionary:
        return "NSDictionary";
    case base::Value::Kind::String:
        return "NSString";
    case base::Value::Kind::Decimal:
        return "NSDecimalNumber";
    case base::Value::Kind::Null:
        return "NSNull";
    default:
        return "NSNumber";
    }
}

bool typeError(base::Value const& object, LJSONError* error) {
    if (error) {
        auto info = base::Dictionary::create();
        info->setObject(LJSONError::NSLocalizedDescriptionKey,
            base::Value("Cannot serialize data of type '" + className(object) + "'"));
        *error = LJSONError {LJSONSerializer::ErrorDomain, -1, info};
    }
    return false;
}

bool objectError(base::Value const& object, LJSONError* error) {
    if (error) {
        auto info = base::Dictionary::create();
        info->setObject(LJSONError::NSLocalizedDescriptionKey,
            base::Value("Could not serialize object '" + object.description() + "'"));
        *error = LJSONError {LJSONSerializer::ErrorDomain, -1, info};
    }
    return false;
}

void writeString(base::Bytes& out, std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    out.reserve(out.size() + text.size() + 2);
    out.push_back('"');
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = std::uint8_t(text[i]);
        if (c >= 0x20 && c != '"' && c != '/' && c != '\\')
            continue;
        append(out, text.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '\b':
            append(out, "\\b", 2);
            break;
        case '\t':
            append(out, "\\t", 2);
            break;
        case '\n':
            append(out, "\\n", 2);
            break;
        case '\f':
            append(out, "\\f", 2);
            break;
        case '\r':
            append(out, "\\r", 2);
            break;
        case '"':
        case '/':
        case '\\':
            out.push_back('\\');
            out.push_back(c);
            break;
        default: {
            // Other control bytes may not stand raw in JSON text.
            char escape[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            append(out, escape, 6);
            break;
        }
        }
    }
    append(out, text.data() + runStart, text.size() - runStart);
    out.push_back('"');
}

}

bool LJSONSerializer::isValidJSONObject(base::Value const& object) const {
    switch (object.kind()) {
    case base::Value::Kind::Null:
        return !object.isNil();
    case base::Value::Kind::Date:
        return false;
    default:
        return true;
    }
}

std::optional<base::Bytes> LJSONSerializer::serializeObject(
    base::Value const& object, LJSONError* error) {
    base::Bytes out;
    if (!writeObject(out, object, error))
        return std::nullopt;
    return out;
}

base::Bytes LJSONSerializer::serializeNull(base::Value const&, LJSONError*) {
    return base::Bytes {'n', 'u', 'l', 'l'};
}

std::optional<base::Bytes> LJSONSerializer::serializeNumber(
    base::Value const& number, LJSONError* error) {
    base::Bytes out;
    if (!writeNumber(out, number, error))
        return std::nullopt;
    return out;
}

base::Bytes LJSONSerializer::serializeString(std::string const& string, LJSONError*) {
    base::Bytes out;
    writeString(out, string);
    return out;
}

std::optional<base::Bytes> LJSONSerializer::serializeArray(
    base::Ref<base::Array> const& array, LJSONError* error) {
    base::Bytes out;
    if (!array || !writeArray(out, base::Value(array), error))
        return std::nullopt;
    return out;
}

std::optional<base::Bytes> LJSONSerializer::serializeDictionary(
    base::Ref<base::Dictionary> const& dictionary, LJSONError* error) {
    base::Bytes out;
    if (!dictionary || !writeDictionary(out, base::Value(dictionary), error))
        return std::nullopt;
    return out;
}

bool LJSONSerializer::writeObject(base::Bytes& out, base::Value const& object, LJSONError* error) {
    return writePlain(out, object, error);
}

bool LJSONSerializer::writePlain(base::Bytes& out, base::Value const& object, LJSONError* error) {
    switch (object.kind()) {
    case base::Value::Kind::Null:
        if (object.isNil())
            return typeError(object, error);
        append(out, "null", 4);
        return true;
    case base::Value::Kind::Boolean:
    case base::Value::Kind::Integer:
    case base::Value::Kind::Unsigned:
    case base::Value::Kind::Real:
    case base::Value::Kind::Decimal:
        return writeNumber(out, object, error);
    case base::Value::Kind::String:
        writeString(out, *object.string());
        return true;
    case base::Value::Kind::Array:
        return writeArray(out, object, error);
    case base::Value::Kind::Dictionary:
        return writeDictionary(out, object, error);
    case base::Value::Kind::Data: {
        auto const& bytes = *object.data();
        std::string_view text(reinterpret_cast<char const*>(bytes.data()), bytes.size());
        if (!foundation::isValidUtf8(text))
            return objectError(object, error);
        writeString(out, text);
        return true;
    }
    case base::Value::Kind::Date:
        break;
    }
    return typeError(object, error);
}

bool LJSONSerializer::writeNumber(base::Bytes& out, base::Value const& number, LJSONError* error) {
    switch (number.kind()) {
    case base::Value::Kind::Boolean:
        if (number.boolValue())
            append(out, "true", 4);
        else
            append(out, "false", 5);
        return true;
    case base::Value::Kind::Real:
        // JSON has no text for NaN or the infinities.
        if (!std::isfinite(number.doubleValue()))
            return objectError(number, error);
        break;
    case base::Value::Kind::Decimal:
        if (number.decimal()->isNaN())
            return objectError(number, error);
        break;
    case base::Value::Kind::Integer:
    case base::Value::Kind::Unsigned:
        break;
    default:
        return typeError(number, error);
    }
    append(out, number.stringValue());
    return true;
}

bool LJSONSerializer::writeArray(base::Bytes& out, base::Value const& array, LJSONError* error) {
    std::size_t start = out.size();
    out.push_back('[');
    bool first = true;
    for (auto const& element : *array.array()) {
        if (!first)
            out.push_back(',');
        first = false;
        if (!writeObject(out, element, error)) {
            out.resize(start);
            return objectError(array, error);
        }
    }
    out.push_back(']');
    return true;
}

bool LJSONSerializer::writeDictionary(
    base::Bytes& out, base::Value const& dictionary, LJSONError* error) {
    std::size_t start = out.size();
    out.push_back('{');
    bool first = true;
    for (auto const& [key, value] : *dictionary.dictionary()) {
        if (!first)
            out.push_back(',');
        first = false;
        writeString(out, key);
        out.push_back(':');
        if (!writeObject(out, value, error)) {
            out.resize(start);
            return objectError(dictionary, error);
        }
    }
    out.push_back('}');
    return true;
}

void CFilteringJSONSerializer::addTest(Test test) {
    tests_.push_back(std::move(test));
}

void CFilteringJSONSerializer::addConverter(Converter converter, std::string const& name) {
    for (auto& [existing, stored] : convertersByName_) {
        if (existing == name) {
            stored = std::move(converter);
            return;
        }
    }
    convertersByName_.emplace_back(name, std::move(converter));
}

CFilteringJSONSerializer::Converter const* CFilteringJSONSerializer::converterNamed(
    std::string const& name) const {
    for (auto const& [existing, converter] : convertersByName_) {
        if (existing == name)
            return &converter;
    }
    return nullptr;
}

bool CFilteringJSONSerializer::writeObject(
    base::Bytes& out, base::Value const& object, LJSONError* error) {
    for (auto const& test : tests_) {
        auto name = test(object);
        if (!name)
            continue;
        auto converter = converterNamed(*name);
        if (!converter)
            continue;
        base::Value replacement = (*converter)(object);
        if (replacement.isData()) {
            auto const& bytes = *replacement.data();
            out.insert(out.end(), bytes.begin(), bytes.end());
            return true;
        }
        if (replacement.isNil())
            continue;
        // The replacement's own top level is not filtered again, and its failure is
        // not reported: the next test gets its turn.
        if (writePlain(out, replacement, nullptr))
            return true;
    }
    return writePlain(out, object, error);
}

}

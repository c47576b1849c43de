#include <toolkit/rest/RLRequestSerializable.hpp>

#include <toolkit/rest/RLJSONParser.hpp>

namespace toolkit::rest {

std::string RLPercentEscape(base::Value const& component) {
    static char const hex[] = "0123456789ABCDEF";
    std::string text = component.isString() ? *component.string() : component.stringValue();
    std::string escaped;
    escaped.reserve(text.size());
    for (unsigned char c : text) {
        bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '.' || c == '_' || c == '~';
        if (kept) {
            escaped += char(c);
        } else {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 15];
        }
    }
    return escaped;
}

std::string URLEncodedString(base::Dictionary const& dictionary) {
    std::string out;
    auto pair = [&](std::string const& name, base::Value const& value) {
        if (!out.empty())
            out += '&';
        out += name;
        out += '=';
        out += RLPercentEscape(value);
    };
    for (auto const& [key, value] : dictionary.entries()) {
        auto name = RLPercentEscape(base::Value(key.str()));
        if (auto* array = value.array()) {
            for (auto const& element : *array) {
                if (auto* inner = element.dictionary()) {
                    for (auto const& [innerKey, innerValue] : inner->entries())
                        pair(name + "[][" + RLPercentEscape(base::Value(innerKey.str())) + "]",
                            innerValue);
                } else {
                    pair(name + "[]", element);
                }
            }
        } else {
            pair(name, value);
        }
    }
    return out;
}

base::Ref<RLFormSerialization> RLFormSerialization::formWithDictionary(
    base::Ref<base::Dictionary> dictionary) {
    if (!dictionary)
        dictionary = base::Dictionary::create();
    return base::make<RLFormSerialization>(std::move(dictionary));
}

std::optional<base::Bytes> RLFormSerialization::HTTPBody() const {
    auto text = URLEncodedString(*dictionary_);
    return base::Bytes(text.begin(), text.end());
}

base::Ref<RLJSONSerialization> RLJSONSerialization::JSONSerializationWithObject(
    base::Value object) {
    return base::make<RLJSONSerialization>(std::move(object));
}

std::string RLJSONSerialization::JSONRepresentation() const {
    return RLJSONParser().stringFromObject(object_).value_or(std::string());
}

std::optional<base::Bytes> RLJSONSerialization::HTTPBody() const {
    auto text = JSONRepresentation();
    return base::Bytes(text.begin(), text.end());
}

bool RLJSONSerialization::isEqual(base::Value const& other) const {
    if (auto* text = other.string())
        return JSONRepresentation() == *text;
    auto otherText = RLJSONParser().stringFromObject(other);
    return otherText && JSONRepresentation() == *otherText;
}

}

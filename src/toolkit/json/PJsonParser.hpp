#pragma once

#include <toolkit/json/PJsonBase.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace toolkit::json {

// A strict JSON reader into base::Values: objects become dictionaries, arrays arrays,
// strings strings, numbers decimals made from their exact text, true and false
// booleans, null the null object. The one leniency: a missing comma between values
// or members is accepted ("[1 2]" is two numbers). The input ends at its first NUL.
// Failures leave their errors in errorTrace (codes 1 to 12) and give nothing.
class PJsonParser final : public PJsonBase {
public:
    static base::Ref<PJsonParser> parser() { return base::make<PJsonParser>(); }

    // A dictionary or an array; any other value adds code 4 and gives nothing.
    base::Value objectWithString(std::optional<std::string_view> text);
    // Any one value, with nothing but white space after it.
    base::Value fragmentWithString(std::optional<std::string_view> text);

private:
    friend base::Factory;
    PJsonParser() = default;

    bool atEnd() const { return at_ == end_; }
    void skipWhitespace();
    bool scanValue(base::Value& value);
    bool scanArray(base::Value& value);
    bool scanDictionary(base::Value& value);
    bool scanString(std::string& text);
    bool scanUnicodeEscape(std::string& text);
    bool scanHexQuad(char32_t& unit);
    bool scanNumber(base::Value& value);
    bool scanLiteral(char const* rest, base::Value value, char const* message, base::Value& out);

    char const* at_ {nullptr};
    char const* end_ {nullptr};
};

}

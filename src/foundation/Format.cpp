#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cxxabi.h>
#include <limits>
#include <memory>

namespace foundation {

namespace detail {

std::string describeUnknown(void const* address, std::type_info const& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", address);
    return "<" + std::string(status == 0 && name ? name.get() : type.name()) + ": " + buffer + ">";
}

std::string describeArray(base::Array const& array) {
    return base::Value(base::Ref<base::Array>(const_cast<base::Array*>(&array))).description();
}

std::string describeDictionary(base::Dictionary const& dictionary) {
    return base::Value(base::Ref<base::Dictionary>(const_cast<base::Dictionary*>(&dictionary)))
        .description();
}

}

namespace {

using Kind = FormatArg::Kind;

// Caps widths and precisions so that no format asks for a huge allocation.
constexpr int maximumWidth = 1024;

enum class Length { None, Char, Short, Long, LongDouble };

struct Directive {
    bool left {false};
    bool plus {false};
    bool space {false};
    bool alternate {false};
    bool zero {false};
    int width {0};
    int precision {-1};
    Length length {Length::None};
    char conversion {0};
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number, saturating instead of overflowing.
int readNumber(std::string_view text, std::size_t& i) {
    int value = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (value < 100000000)
            value = value * 10 + (text[i] - '0');
        ++i;
    }
    return value;
}

// The argument widths that a length modifier asks for; 0 keeps the argument's own.
int lengthBits(Length length) {
    switch (length) {
    case Length::Char:
        return 8;
    case Length::Short:
        return 16;
    case Length::Long:
    case Length::LongDouble:
        return 64;
    default:
        return 0;
    }
}

bool isNarrowing(Length length) {
    return length == Length::Char || length == Length::Short;
}

std::string realText(double value, bool isFloat) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = isFloat ? std::to_chars(buffer, buffer + sizeof buffer, float(value))
                          : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string addressText(void const* address) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(address)));
    return buffer;
}

// The text that %@ and %s print for an argument.
std::string textOf(FormatArg const& arg) {
    switch (arg.kind()) {
    case Kind::Null:
        return "(null)";
    case Kind::Signed:
        return std::to_string(arg.signedValue());
    case Kind::Unsigned:
        return std::to_string(arg.unsignedValue());
    case Kind::Real:
        return realText(arg.realValue(), arg.isFloat());
    case Kind::Character: {
        std::string out;
        // A char holds a byte; one that is not ASCII reads as Latin-1.
        auto codePoint = arg.bits() == 8 ? char32_t(static_cast<unsigned char>(arg.signedValue()))
                                         : char32_t(arg.signedValue());
        if (codePoint != 0)
            appendUtf8(out, codePoint);
        return out;
    }
    case Kind::Text:
        return std::string(arg.textValue());
    case Kind::CText:
        return arg.cTextValue() ? std::string(arg.cTextValue()) : "(null)";
    case Kind::Value:
        return arg.valueValue().description();
    case Kind::Date:
        return base::Value(base::Date {arg.realValue()}).description();
    case Kind::Object:
        if (!arg.objectAddress())
            return "(null)";
        return arg.describe() ? arg.describe()(arg.objectAddress())
                              : addressText(arg.objectAddress());
    }
    return {};
}

std::int64_t saturatingInt32(std::int64_t value) {
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return value;
}

// An argument as an integer: its value, whether it is unsigned, and the width of
// its type in bits.
struct Integer {
    std::int64_t signedValue {0};
    std::uint64_t unsignedValue {0};
    bool isUnsigned {false};
    int bits {32};
};

Integer integerOf(FormatArg const& arg, Length length) {
    bool wide = lengthBits(length) == 64;
    Integer n;
    switch (arg.kind()) {
    case Kind::Signed:
    case Kind::Character:
        n.signedValue = arg.signedValue();
        n.bits = arg.bits();
        break;
    case Kind::Unsigned:
        n.unsignedValue = arg.unsignedValue();
        n.isUnsigned = true;
        n.bits = arg.bits();
        break;
    case Kind::Real:
    case Kind::Date:
        // As the platform's longLongValue: cut toward zero, saturating, NaN as 0.
        n.signedValue = base::Value(arg.realValue()).longLongValue();
        n.bits = 64;
        break;
    case Kind::Text:
    case Kind::CText: {
        std::string_view text = arg.kind() == Kind::Text ? arg.textValue()
            : arg.cTextValue()                           ? std::string_view(arg.cTextValue())
                                                         : std::string_view();
        auto value = base::Value::integerFromString(text);
        n.signedValue = wide ? value : saturatingInt32(value);
        n.bits = wide ? 64 : 32;
        break;
    }
    case Kind::Value: {
        auto const& value = arg.valueValue();
        if (!wide) {
            n.signedValue = value.intValue();
            n.bits = 32;
        } else if (value.kind() == base::Value::Kind::Unsigned) {
            n.unsignedValue = value.unsignedLongLongValue();
            n.isUnsigned = true;
            n.bits = 64;
        } else {
            n.signedValue = value.longLongValue();
            n.bits = 64;
        }
        break;
    }
    case Kind::Object:
        n.unsignedValue = reinterpret_cast<std::uintptr_t>(arg.objectAddress());
        n.isUnsigned = true;
        n.bits = 64;
        break;
    case Kind::Null:
        break;
    }
    return n;
}

double doubleOf(FormatArg const& arg) {
    switch (arg.kind()) {
    case Kind::Signed:
    case Kind::Character:
        return double(arg.signedValue());
    case Kind::Unsigned:
        return double(arg.unsignedValue());
    case Kind::Real:
    case Kind::Date:
        return arg.realValue();
    case Kind::Text:
        return base::Value::doubleFromString(arg.textValue());
    case Kind::CText:
        return arg.cTextValue() ? base::Value::doubleFromString(arg.cTextValue()) : 0.0;
    case Kind::Value:
        return arg.valueValue().doubleValue();
    default:
        return 0.0;
    }
}

std::uint64_t lowBits(std::uint64_t value, int bits) {
    return bits >= 64 ? value : value & ((std::uint64_t(1) << bits) - 1);
}

std::int64_t signExtend(std::uint64_t value, int bits) {
    if (bits >= 64)
        return std::int64_t(value);
    std::uint64_t sign = std::uint64_t(1) << (bits - 1);
    value = lowBits(value, bits);
    return std::int64_t((value ^ sign) - sign);
}

// Pads text to the width in UTF-16 units, as the platform counts.
void appendPadded(std::string& out, std::string_view text, Directive const& d, char fill = ' ') {
    std::size_t length = utf16Length(text);
    std::size_t padding = std::size_t(d.width) > length ? std::size_t(d.width) - length : 0;
    if (d.left) {
        out += text;
        out.append(padding, ' ');
    } else {
        out.append(padding, fill);
        out += text;
    }
}

// Writes sign or prefix, zero padding and digits.
void appendNumber(
    std::string& out, std::string_view prefix, std::string digits, Directive const& d) {
    if (d.precision >= 0 && digits.size() < std::size_t(d.precision))
        digits.insert(0, std::size_t(d.precision) - digits.size(), '0');
    std::size_t length = prefix.size() + digits.size();
    std::size_t padding = std::size_t(d.width) > length ? std::size_t(d.width) - length : 0;
    if (d.left) {
        out += prefix;
        out += digits;
        out.append(padding, ' ');
    } else if (d.zero && d.precision < 0) {
        out += prefix;
        out.append(padding, '0');
        out += digits;
    } else {
        out.append(padding, ' ');
        out += prefix;
        out += digits;
    }
}

std::string digitsOf(std::uint64_t value, int base, bool upper) {
    std::string_view symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[65];
    int i = 65;
    do {
        buffer[--i] = symbols[value % unsigned(base)];
        value /= unsigned(base);
    } while (value);
    return std::string(buffer + i, buffer + 65);
}

void formatInteger(std::string& out, FormatArg const& arg, Directive const& d) {
    Integer n = integerOf(arg, d.length);
    int bits = lengthBits(d.length) ? lengthBits(d.length) : n.bits;
    std::uint64_t raw = n.isUnsigned ? n.unsignedValue : std::uint64_t(n.signedValue);
    bool isSignedConversion = d.conversion == 'd' || d.conversion == 'i';
    bool negative = false;
    std::uint64_t magnitude;
    if (isSignedConversion) {
        // An unsigned argument prints its true value unless a modifier narrows it.
        if (n.isUnsigned && !isNarrowing(d.length)) {
            magnitude = raw;
        } else {
            std::int64_t value = isNarrowing(d.length) ? signExtend(raw, bits) : n.signedValue;
            negative = value < 0;
            magnitude = negative ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value);
        }
    } else {
        magnitude = lowBits(raw, bits);
    }
    int base = d.conversion == 'o' ? 8 : (d.conversion == 'x' || d.conversion == 'X') ? 16 : 10;
    std::string digits = d.precision == 0 && magnitude == 0
        ? std::string()
        : digitsOf(magnitude, base, d.conversion == 'X');
    std::string prefix;
    if (isSignedConversion)
        prefix = negative ? "-" : d.plus ? "+" : d.space ? " " : "";
    if (d.alternate && base == 16 && magnitude != 0)
        prefix = d.conversion == 'X' ? "0X" : "0x";
    if (d.alternate && base == 8 && (digits.empty() || digits[0] != '0'))
        digits.insert(0, 1, '0');
    appendNumber(out, prefix, std::move(digits), d);
}

void formatPointer(std::string& out, FormatArg const& arg, Directive const& d) {
    Integer n = integerOf(arg, Length::Long);
    std::uint64_t value = n.isUnsigned ? n.unsignedValue : std::uint64_t(n.signedValue);
    Directive plain = d;
    plain.precision = -1;
    appendNumber(out, "0x", digitsOf(value, 16, false), plain);
}

void formatReal(std::string& out, FormatArg const& arg, Directive const& d) {
    std::string spec = "%";
    if (d.left)
        spec += '-';
    if (d.plus)
        spec += '+';
    if (d.space)
        spec += ' ';
    if (d.alternate)
        spec += '#';
    if (d.zero)
        spec += '0';
    if (d.width)
        spec += std::to_string(d.width);
    if (d.precision >= 0)
        spec += "." + std::to_string(d.precision);
    spec += d.conversion;
    double value = doubleOf(arg);
    char buffer[128];
    int length = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    if (length < 0)
        return;
    if (std::size_t(length) < sizeof buffer) {
        out.append(buffer, std::size_t(length));
        return;
    }
    std::string large(std::size_t(length) + 1, '\0');
    std::snprintf(large.data(), large.size(), spec.c_str(), value);
    large.resize(std::size_t(length));
    out += large;
}

void formatCharacter(std::string& out, FormatArg const& arg, Directive const& d) {
    char32_t codePoint = 0;
    bool wide = d.conversion == 'C' || d.length == Length::Long;
    switch (arg.kind()) {
    case Kind::Signed:
    case Kind::Unsigned:
    case Kind::Character:
    case Kind::Real: {
        Integer n = integerOf(arg, Length::Long);
        std::uint64_t raw = n.isUnsigned ? n.unsignedValue : std::uint64_t(n.signedValue);
        // %c takes an unsigned char (read as Latin-1), %C a UTF-16 unit, %lc a code point.
        codePoint = char32_t(lowBits(raw, !wide ? 8 : d.conversion == 'C' ? 16 : 32));
        break;
    }
    case Kind::Null:
        break;
    default: {
        std::string text = textOf(arg);
        std::size_t i = 0;
        if (!text.empty())
            codePoint = decodeUtf8(text, i);
    }
    }
    std::string text;
    if (codePoint != 0)
        appendUtf8(text, codePoint);
    appendPadded(out, text, d);
}

void formatText(std::string& out, FormatArg const& arg, Directive const& d) {
    std::string text = textOf(arg);
    if (d.precision >= 0)
        text = substringToUtf16Index(text, std::size_t(d.precision));
    appendPadded(out, text, d);
}

class Formatter {
public:
    Formatter(std::string_view format, std::span<FormatArg const> args)
        : format_(format)
        , args_(args) { }

    std::string run() {
        out_.reserve(format_.size() + 16 * args_.size());
        std::size_t i = 0;
        while (i < format_.size()) {
            std::size_t percent = format_.find('%', i);
            if (percent == std::string_view::npos) {
                out_ += format_.substr(i);
                break;
            }
            out_ += format_.substr(i, percent - i);
            i = directive(percent);
        }
        return std::move(out_);
    }

private:
    // Reads "N$" at i when there is one: the 1-based argument number, else 0.
    int readPosition(std::size_t& i) const {
        if (i >= format_.size() || format_[i] < '1' || format_[i] > '9')
            return 0;
        std::size_t j = i;
        int position = readNumber(format_, j);
        if (j < format_.size() && format_[j] == '$') {
            i = j + 1;
            return position;
        }
        return 0;
    }

    // The argument at a 1-based position, or the next in order when position is 0.
    FormatArg const* take(int position) {
        if (position > 0)
            return std::size_t(position) <= args_.size() ? &args_[std::size_t(position) - 1]
                                                         : nullptr;
        if (next_ >= args_.size())
            return nullptr;
        return &args_[next_++];
    }

    // Reads "*" or "*N$" at i: the width or precision the argument gives. Null
    // when there is no argument for it.
    std::optional<int> readStar(std::size_t& i) {
        ++i;
        FormatArg const* arg = take(readPosition(i));
        if (!arg)
            return std::nullopt;
        return int(saturatingInt32(integerOf(*arg, Length::Long).signedValue));
    }

    // Handles the directive that starts with the '%' at start; returns where the
    // text continues.
    std::size_t directive(std::size_t start) {
        std::size_t i = start + 1;
        Directive d;
        bool missing = false;
        int position = readPosition(i);
        for (; i < format_.size(); ++i) {
            char c = format_[i];
            if (c == '-')
                d.left = true;
            else if (c == '+')
                d.plus = true;
            else if (c == ' ')
                d.space = true;
            else if (c == '#')
                d.alternate = true;
            else if (c == '0')
                d.zero = true;
            else if (c != '\'')
                break;
        }
        if (i < format_.size() && format_[i] == '*') {
            if (auto width = readStar(i)) {
                // A negative width from an argument means left-justified.
                if (*width < 0) {
                    d.left = true;
                    d.width = *width == std::numeric_limits<int>::min() ? maximumWidth : -*width;
                } else {
                    d.width = *width;
                }
            } else {
                missing = true;
            }
        } else {
            d.width = readNumber(format_, i);
        }
        if (i < format_.size() && format_[i] == '.') {
            ++i;
            if (i < format_.size() && format_[i] == '*') {
                if (auto precision = readStar(i))
                    d.precision = *precision < 0 ? -1 : *precision;
                else
                    missing = true;
            } else {
                d.precision = readNumber(format_, i);
            }
        }
        d.width = std::min(d.width, maximumWidth);
        d.precision = std::min(d.precision, maximumWidth);
        i = readLength(i, d);
        if (i >= format_.size()) {
            // A directive cut off by the end of the text stands as written.
            out_ += format_.substr(start);
            return format_.size();
        }
        d.conversion = format_[i++];
        std::string_view written = format_.substr(start, i - start);
        if (d.conversion == '%') {
            out_ += '%';
            return i;
        }
        static constexpr std::string_view known = "@diouxXcCsSpfFeEgGaA";
        if (known.find(d.conversion) == std::string_view::npos) {
            out_ += written;
            return i;
        }
        FormatArg const* arg = missing ? nullptr : take(position);
        if (!arg) {
            out_ += written;
            return i;
        }
        switch (d.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            formatInteger(out_, *arg, d);
            break;
        case 'c':
        case 'C':
            formatCharacter(out_, *arg, d);
            break;
        case 'p':
            formatPointer(out_, *arg, d);
            break;
        case '@':
        case 's':
        case 'S':
            formatText(out_, *arg, d);
            break;
        default:
            formatReal(out_, *arg, d);
            break;
        }
        return i;
    }

    std::size_t readLength(std::size_t i, Directive& d) const {
        auto at = [&](std::size_t k) { return k < format_.size() ? format_[k] : '\0'; };
        switch (at(i)) {
        case 'h':
            if (at(i + 1) == 'h') {
                d.length = Length::Char;
                return i + 2;
            }
            d.length = Length::Short;
            return i + 1;
        case 'l':
            d.length = Length::Long;
            return at(i + 1) == 'l' ? i + 2 : i + 1;
        case 'q':
        case 'j':
        case 'z':
        case 't':
            d.length = Length::Long;
            return i + 1;
        case 'L':
            d.length = Length::LongDouble;
            return i + 1;
        default:
            return i;
        }
    }

    std::string_view format_;
    std::span<FormatArg const> args_;
    std::size_t next_ {0};
    std::string out_;
};

}

std::string formatArgs(std::string_view format, std::span<FormatArg const> args) {
    return Formatter(format, args).run();
}

}

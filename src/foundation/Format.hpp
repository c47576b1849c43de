#pragma once

#include <base/Log.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <array>
#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

namespace foundation {

// One argument of format(), tagged with what it is. Made by toFormatArg from the
// caller's values; it refers to them without owning, so it lives only for the call.
class FormatArg {
public:
    enum class Kind : std::uint8_t {
        Null,
        Signed,
        Unsigned,
        Real,
        Character,
        Text,
        CText,
        Value,
        Date,
        Object
    };
    // Gives the description of the object at the address (never null).
    using Describe = std::string (*)(void const*);

    static FormatArg null() { return FormatArg(Kind::Null); }
    static FormatArg signedInteger(std::int64_t value, int bits) {
        FormatArg arg(Kind::Signed);
        arg.signed_ = value;
        arg.bits_ = std::uint8_t(bits);
        return arg;
    }
    static FormatArg unsignedInteger(std::uint64_t value, int bits) {
        FormatArg arg(Kind::Unsigned);
        arg.unsigned_ = value;
        arg.bits_ = std::uint8_t(bits);
        return arg;
    }
    // isFloat: the value was a float, so %@ prints the float's shortest text.
    static FormatArg real(double value, bool isFloat = false) {
        FormatArg arg(Kind::Real);
        arg.real_ = value;
        arg.isFloat_ = isFloat;
        return arg;
    }
    // A character type (char, char16_t, char32_t): a number to %d, the character
    // itself to %@ and %s. A char is a signed 8-bit number as in C.
    static FormatArg character(std::int64_t value, int bits) {
        FormatArg arg = signedInteger(value, bits);
        arg.kind_ = Kind::Character;
        return arg;
    }
    static FormatArg text(std::string_view text) {
        FormatArg arg(Kind::Text);
        arg.text_ = text;
        return arg;
    }
    // A C string that may be null.
    static FormatArg cText(char const* text) {
        FormatArg arg(Kind::CText);
        arg.cText_ = text;
        return arg;
    }
    static FormatArg value(base::Value const& value) {
        FormatArg arg(Kind::Value);
        arg.value_ = &value;
        return arg;
    }
    static FormatArg date(base::Date date) {
        FormatArg arg(Kind::Date);
        arg.real_ = date.seconds;
        return arg;
    }
    // An object by address (null allowed); describe null prints the bare address.
    static FormatArg object(void const* address, Describe describe) {
        FormatArg arg(Kind::Object);
        arg.object_ = address;
        arg.describe_ = describe;
        return arg;
    }

    Kind kind() const { return kind_; }
    std::int64_t signedValue() const { return signed_; }
    std::uint64_t unsignedValue() const { return unsigned_; }
    int bits() const { return bits_; }
    double realValue() const { return real_; }
    bool isFloat() const { return isFloat_; }
    std::string_view textValue() const { return text_; }
    char const* cTextValue() const { return cText_; }
    base::Value const& valueValue() const { return *value_; }
    void const* objectAddress() const { return object_; }
    Describe describe() const { return describe_; }

private:
    explicit FormatArg(Kind kind)
        : kind_(kind) { }

    Kind kind_;
    bool isFloat_ {false};
    std::uint8_t bits_ {64};
    std::int64_t signed_ {0};
    std::uint64_t unsigned_ {0};
    double real_ {0};
    std::string_view text_;
    char const* cText_ {nullptr};
    base::Value const* value_ {nullptr};
    void const* object_ {nullptr};
    Describe describe_ {nullptr};
};

namespace detail {

template<typename T> struct IsRef : std::false_type { };
template<typename T> struct IsRef<base::Ref<T>> : std::true_type { using Pointee = T; };

template<typename T> struct IsOptional : std::false_type { };
template<typename T> struct IsOptional<std::optional<T>> : std::true_type { };

template<typename T>
concept Describable = requires(T const& object) {
    { object.description() } -> std::convertible_to<std::string>;
};

template<typename T> inline constexpr bool alwaysFalse = false;

// "<TypeName: 0x...>", the default description of an object that has none.
std::string describeUnknown(void const* address, std::type_info const& type);
std::string describeArray(base::Array const&);
std::string describeDictionary(base::Dictionary const&);

template<typename T> std::string describeAs(void const* address) {
    T const& object = *static_cast<T const*>(address);
    if constexpr (Describable<T>)
        return std::string(object.description());
    else if constexpr (std::is_base_of_v<base::Array, T>)
        return describeArray(object);
    else if constexpr (std::is_base_of_v<base::Dictionary, T>)
        return describeDictionary(object);
    else
        return describeUnknown(address, typeid(object));
}

template<typename T> FormatArg objectArg(T const* object) {
    if constexpr (std::is_void_v<T> || !std::is_class_v<T>)
        return FormatArg::object(object, nullptr);
    else
        return FormatArg::object(object, &describeAs<T>);
}

}

// Turns one argument of format() into its tagged form. Numbers, bool, enums,
// characters, C strings (null allowed), std::string and std::string_view,
// base::Value, base::Date, base::Ref<T> and T* (null allowed), std::optional of
// any of these (empty prints as null), nullptr, and any class with a
// description() member.
template<typename T> FormatArg toFormatArg(T const& value) {
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, FormatArg>)
        return value;
    else if constexpr (std::is_same_v<U, bool>)
        return FormatArg::signedInteger(value ? 1 : 0, 8);
    else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, char8_t>)
        return FormatArg::character(static_cast<signed char>(value), 8);
    else if constexpr (std::is_same_v<U,
                           char16_t> || std::is_same_v<U, char32_t> || std::is_same_v<U, wchar_t>)
        return FormatArg::character(std::int64_t(std::uint32_t(value)), int(sizeof(U) * 8));
    else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>)
        return FormatArg::signedInteger(value, int(sizeof(U) * 8));
    else if constexpr (std::is_integral_v<U>)
        return FormatArg::unsignedInteger(value, int(sizeof(U) * 8));
    else if constexpr (std::is_enum_v<U>)
        return toFormatArg(static_cast<std::underlying_type_t<U>>(value));
    else if constexpr (std::is_same_v<U, float>)
        return FormatArg::real(value, true);
    else if constexpr (std::is_floating_point_v<U>)
        return FormatArg::real(double(value));
    else if constexpr (std::is_same_v<U, std::nullptr_t>)
        return FormatArg::null();
    else if constexpr (std::is_convertible_v<U const&, char const*>)
        return FormatArg::cText(value);
    else if constexpr (std::is_convertible_v<U const&, std::string_view>)
        return FormatArg::text(std::string_view(value));
    else if constexpr (std::is_same_v<U, base::Value>)
        return FormatArg::value(value);
    else if constexpr (std::is_same_v<U, base::Date>)
        return FormatArg::date(value);
    else if constexpr (detail::IsRef<U>::value)
        return detail::objectArg<typename detail::IsRef<U>::Pointee>(value.get());
    else if constexpr (std::is_pointer_v<U> && !std::is_function_v<std::remove_pointer_t<U>>)
        return detail::objectArg<std::remove_cv_t<std::remove_pointer_t<U>>>(value);
    else if constexpr (detail::IsOptional<U>::value)
        return value ? toFormatArg(*value) : FormatArg::null();
    else if constexpr (detail::Describable<U>)
        return FormatArg::object(&value, &detail::describeAs<U>);
    else
        static_assert(detail::alwaysFalse<U>, "this type cannot be an argument of format()");
}

// The format text; a null C string reads as empty.
class FormatText {
public:
    FormatText(char const* text)
        : text_(text ? std::string_view(text) : std::string_view()) { }
    FormatText(std::string_view text)
        : text_(text) { }
    FormatText(std::string const& text)
        : text_(text) { }

    std::string_view text() const { return text_; }

private:
    std::string_view text_;
};

// The platform's string formatting over tagged arguments; see format().
std::string formatArgs(std::string_view format, std::span<FormatArg const> args);

// Formats like the platform's stringWithFormat:. Conversions: %@ (an object's
// description, "(null)" for null), %d %i %u %o %x %X %c %C %s %p %f %F %e %E %g %G
// %a %A and %%, with flags (- + space # 0 '), width and precision (digits or *,
// also *N$), length modifiers (hh h l ll q L z t j) and positional arguments
// (%2$@).
//
// Localized texts serve as formats, so every format is safe with every argument
// list; nothing is read out of range and nothing is undefined:
// - a conversion with no argument left, an unknown conversion, %n and a trailing %
//   are written out as they stand (so "50% off" survives), and an unknown one takes
//   no argument;
// - a number given to %@ or %s prints as its description; a string given to %d
//   reads its leading number as intValue does, and a Value gives its intValue (its
//   longLongValue with an l, ll or q); a real given to %d is cut toward zero; a
//   pointer given to %x prints its address;
// - %d prints a 64-bit argument whole; %u, %x and %o show a negative number in the
//   width of its type (or of the length modifier);
// - widths and precisions are capped at 1024.
// Positional and plain conversions may be mixed; plain ones take the arguments in
// order, whatever positional ones took.
template<typename... A> std::string format(FormatText text, A const&... args) {
    std::array<FormatArg, sizeof...(A)> list {toFormatArg(args)...};
    return formatArgs(text.text(), list);
}

// Formats and writes one line to the log, as the platform's NSLog.
template<typename... A> void log(FormatText text, A const&... args) {
    base::logLine(format(text, args...));
}

}

// String formatting with a fuzzed format and fixed arguments. Localized texts serve
// as formats, so a translation that gets a conversion wrong must give some text,
// never a crash or a read past the arguments. Each format runs over arguments of
// every kind with their extreme values, over a short list, and over none.
#include "FuzzSupport.hpp"

#include <foundation/Format.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using foundation::FormatArg;

namespace {

struct Described {
    std::string description() const { return "described"; }
};

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);

    static auto const dictionary = base::Dictionary::create(
        {{"key", base::Value("value")}, {"list", base::Array::create({1, 2.5, "three"})}});
    static base::Value const stringValue("42 apples");
    static base::Value const numberValue(std::numeric_limits<std::int64_t>::min());
    static base::Value const collectionValue(dictionary);
    static base::Value const nullValue;
    static Described const described;
    double const nan = std::numeric_limits<double>::quiet_NaN();
    double const infinity = std::numeric_limits<double>::infinity();

    std::vector<FormatArg> const args = {
        FormatArg::signedInteger(std::numeric_limits<std::int64_t>::min(), 64),
        FormatArg::signedInteger(-1, 32),
        FormatArg::signedInteger(std::numeric_limits<std::int32_t>::min(), 32),
        FormatArg::unsignedInteger(std::numeric_limits<std::uint64_t>::max(), 64),
        FormatArg::unsignedInteger(200, 8),
        FormatArg::real(nan),
        FormatArg::real(-infinity),
        FormatArg::real(std::numeric_limits<double>::max()),
        FormatArg::real(-0.0),
        FormatArg::real(std::numeric_limits<double>::denorm_min()),
        FormatArg::real(1e30, true),
        FormatArg::real(-2.5e-10, true),
        FormatArg::character(-128, 8),
        FormatArg::character(0x1F600, 32),
        FormatArg::character(0xD800, 16),
        FormatArg::text("text with \xC3\xA9 and a broken \xE2\x82 sequence"),
        FormatArg::text(""),
        FormatArg::cText(nullptr),
        FormatArg::cText("c text"),
        FormatArg::value(stringValue),
        FormatArg::value(numberValue),
        FormatArg::value(collectionValue),
        FormatArg::value(nullValue),
        FormatArg::date(base::Date {nan}),
        FormatArg::date(base::Date {-1e300}),
        FormatArg::date(base::Date {352530367.5}),
        foundation::toFormatArg(dictionary),
        foundation::toFormatArg(static_cast<base::Array const*>(nullptr)),
        foundation::toFormatArg(&described),
        foundation::toFormatArg(static_cast<void const*>(&described)),
        FormatArg::null(),
    };

    auto whole = foundation::formatArgs(text, args);
    // No conversion writes more than its capped width or precision (1024) plus its
    // argument's own text, which is short here.
    FUZZ_CHECK(whole.size() <= (size + 1) * 4096);
    foundation::formatArgs(text, std::span(args).first(3));
    foundation::formatArgs(text, {});
    foundation::format(text, 7, "seven", std::string("eight"), 9.5f, u'\u00e9', nullptr,
        std::optional<int>(), dictionary, described, true);
    return 0;
}

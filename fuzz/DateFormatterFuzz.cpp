// Dates read from text that servers send (time stamps, HTTP dates, payload fields)
// with the patterns the program uses, and with a fuzzed pattern: the first line of
// the input is then the pattern and the rest the text. Any text gives a date or
// nothing, and a date writes back as text.
#include "FuzzSupport.hpp"

#include <foundation/DateFormatter.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using foundation::DateFormatter;
using foundation::TimeZone;

namespace {

char const* const patterns[] = {
    "yyyy-MM-dd HH:mm:ss",
    "yyyy-MM-dd'T'HH:mm:ss'Z'",
    "MM/dd/yyyy",
    "EEE, dd MMM yyyy HH:mm:ss",
    "EEE, dd MMM yyyy HH:mm:ss zzz",
    "yyyy-MM-dd'T'HH:mm:ss.SSSXXX",
    "yyyyMMdd",
    "yyyy",
    "MMMM d, yy h:mm a ZZZZ",
    "D G u Y e c A K k ss.SSSS",
};

void readWith(DateFormatter const& formatter, std::string_view text) {
    auto date = formatter.dateFromString(text);
    if (!date)
        return;
    FUZZ_CHECK(!std::isnan(date->seconds));
    formatter.stringFromDate(*date);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    static std::vector<DateFormatter> const formatters = [] {
        std::vector<DateFormatter> list;
        for (auto pattern : patterns) {
            list.emplace_back(pattern, TimeZone::utc());
            list.emplace_back(pattern, TimeZone::local());
        }
        return list;
    }();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    for (auto const& formatter : formatters)
        readWith(formatter, text);

    auto newline = text.find('\n');
    if (newline != std::string_view::npos) {
        DateFormatter formatter(text.substr(0, newline), TimeZone::utc());
        readWith(formatter, text.substr(newline + 1));
        formatter.stringFromDate(base::Date {0});
        formatter.stringFromDate(base::Date {-1e12});
    }
    return 0;
}

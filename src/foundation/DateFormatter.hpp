#pragma once

#include <base/Value.hpp>
#include <foundation/TimeZone.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// Writes and reads dates with a fixed Unicode date pattern, as the platform's date
// formatter does with the en_US_POSIX locale: English month and day names, the
// Gregorian calendar, ASCII digits. A value; its const operations may run on any
// thread at once, so one shared formatter needs no lock.
//
// Pattern fields: G (AD), y yy yyyy (year; yy is two digits), Y (week-based year,
// weeks from Sunday), u (extended year), M MM MMM MMMM MMMMM and L... (month),
// d dd, D (day of year), E EEE (Mon) EEEE (Monday) EEEEE (M) EEEEEE (Mo), e c
// (weekday number, 1 = Sunday, or as E from three letters), a (AM/PM), h hh (1-12),
// H HH (0-23), K (0-11), k (1-24), m mm, s ss, S... (fraction, cut to the count),
// A (milliseconds in the day), Z ZZ ZZZ (+0800), ZZZZ and OOOO (GMT+08:00),
// ZZZZZ (+08:00 or Z), O (GMT+8), X XX XXX x xx xxx (ISO 8601 offsets),
// z zz zzz v V (abbreviation: GMT, GMT+8, EST), zzzz (GMT+08:00). Text in single
// quotes is literal, '' is a quote; other letters and characters stand for
// themselves.
class DateFormatter {
public:
    // Local time zone and an empty pattern (which writes and reads "").
    DateFormatter();
    explicit DateFormatter(std::string_view pattern, TimeZone zone = TimeZone::local());

    std::string const& dateFormat() const { return pattern_; }
    void setDateFormat(std::string_view pattern);
    TimeZone const& timeZone() const { return zone_; }
    void setTimeZone(TimeZone zone) { zone_ = zone; }

    // Empty for a date with no calendar fields (NaN, infinite, or beyond about
    // 31,000 years).
    std::string stringFromDate(base::Date date) const;

    // The date that the whole text spells, or nothing. Not lenient: every field
    // must be in range (no 30 February, no hour 24 for HH) and no text may be left
    // over. Fields that the pattern lacks come from 2000-01-01 00:00:00, the
    // platform's default date; a two-digit year falls within 80 years before and 20
    // after now. A zone field in the text overrides the formatter's zone.
    std::optional<base::Date> dateFromString(std::string_view text) const;

private:
    struct Token {
        char field {0}; // 0 for literal text
        int count {0};
        std::string literal;
    };

    static std::vector<Token> tokenize(std::string_view pattern);

    std::string pattern_;
    std::vector<Token> tokens_;
    TimeZone zone_;
};

}

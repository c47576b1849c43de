#include <foundation/DateFormatter.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Strings.hpp>

#include <array>
#include <cmath>

namespace foundation {

namespace {

constexpr std::array<std::string_view, 12> monthNames = {"January", "February", "March", "April",
    "May", "June", "July", "August", "September", "October", "November", "December"};
constexpr std::array<std::string_view, 12> monthAbbreviations
    = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> dayNames
    = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> dayAbbreviations
    = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> dayShortNames
    = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};

constexpr std::string_view fieldLetters = "GyYuMLdDEecahHKkmsSAZOXxzvV";

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNumericField(char field, int count) {
    switch (field) {
    case 'y':
    case 'Y':
    case 'u':
    case 'd':
    case 'D':
    case 'h':
    case 'H':
    case 'K':
    case 'k':
    case 'm':
    case 's':
    case 'S':
    case 'A':
        return true;
    case 'M':
    case 'L':
    case 'e':
    case 'c':
        return count <= 2;
    default:
        return false;
    }
}

void appendPadded(std::string& out, std::int64_t value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0)
        out += '-';
    if (int(digits.size()) < width)
        out.append(std::size_t(width) - digits.size(), '0');
    out += digits;
}

// "+0800", "+08:00", "+08", with "Z" for zero where ISO 8601 allows it.
std::string offsetText(int offset, bool colon, bool hoursOnlyWhenWhole, bool withSeconds) {
    char sign = offset < 0 ? '-' : '+';
    int magnitude = offset < 0 ? -offset : offset;
    int hours = magnitude / 3600;
    int minutes = magnitude / 60 % 60;
    int seconds = magnitude % 60;
    std::string out(1, sign);
    appendPadded(out, hours, 2);
    if (hoursOnlyWhenWhole && minutes == 0)
        return out;
    if (colon)
        out += ':';
    appendPadded(out, minutes, 2);
    if (withSeconds && seconds) {
        if (colon)
            out += ':';
        appendPadded(out, seconds, 2);
    }
    return out;
}

std::string isoZone(char field, int count, int offset) {
    if (field == 'X' && offset == 0)
        return "Z";
    switch (count) {
    case 1:
        return offsetText(offset, false, true, false);
    case 2:
        return offsetText(offset, false, false, false);
    case 3:
        return offsetText(offset, true, false, false);
    case 4:
        return offsetText(offset, false, false, true);
    default:
        return offsetText(offset, true, false, true);
    }
}

// The calendar year that the week of a date belongs to, with weeks from Sunday to
// Saturday and week 1 the one holding 1 January.
std::int64_t weekBasedYear(DateComponents const& c) {
    std::int64_t days = daysFromCivil(c.year, c.month, c.day);
    std::int64_t saturday = days + (7 - c.weekday);
    std::int64_t year;
    int month;
    int day;
    civilFromDays(saturday, year, month, day);
    return year;
}

void formatField(std::string& out, char field, int count, DateComponents const& c,
    TimeZone const& zone, base::Date date) {
    std::int64_t yearOfEra = c.year > 0 ? c.year : 1 - c.year;
    switch (field) {
    case 'G':
        out += c.year > 0 ? (count == 4 ? "Anno Domini"
                       : count == 5     ? "A"
                                        : "AD")
                          : (count == 4        ? "Before Christ"
                                  : count == 5 ? "B"
                                               : "BC");
        break;
    case 'y':
    case 'Y': {
        std::int64_t year = field == 'y' ? yearOfEra : weekBasedYear(c);
        if (count == 2)
            appendPadded(out, year % 100, 2);
        else
            appendPadded(out, year, count);
        break;
    }
    case 'u':
        appendPadded(out, c.year, count);
        break;
    case 'M':
    case 'L':
        if (count <= 2)
            appendPadded(out, c.month, count);
        else if (count == 3)
            out += monthAbbreviations[std::size_t(c.month - 1)];
        else if (count == 4)
            out += monthNames[std::size_t(c.month - 1)];
        else
            out += monthNames[std::size_t(c.month - 1)][0];
        break;
    case 'd':
        appendPadded(out, c.day, count);
        break;
    case 'D':
        appendPadded(out, c.dayOfYear, count);
        break;
    case 'e':
    case 'c':
        if (count <= 2) {
            appendPadded(out, c.weekday, count);
            break;
        }
        [[fallthrough]];
    case 'E': {
        auto weekday = std::size_t(c.weekday - 1);
        if (count <= 3)
            out += dayAbbreviations[weekday];
        else if (count == 4)
            out += dayNames[weekday];
        else if (count == 5)
            out += dayNames[weekday][0];
        else
            out += dayShortNames[weekday];
        break;
    }
    case 'a':
        out += c.hour < 12 ? "AM" : "PM";
        break;
    case 'h':
        appendPadded(out, c.hour % 12 == 0 ? 12 : c.hour % 12, count);
        break;
    case 'H':
        appendPadded(out, c.hour, count);
        break;
    case 'K':
        appendPadded(out, c.hour % 12, count);
        break;
    case 'k':
        appendPadded(out, c.hour == 0 ? 24 : c.hour, count);
        break;
    case 'm':
        appendPadded(out, c.minute, count);
        break;
    case 's':
        appendPadded(out, c.second, count);
        break;
    case 'S': {
        std::string fraction;
        appendPadded(fraction, c.microsecond, 6);
        if (count <= 6)
            fraction.resize(std::size_t(count));
        else
            fraction.append(std::size_t(count - 6), '0');
        out += fraction;
        break;
    }
    case 'A':
        appendPadded(out,
            (std::int64_t(c.hour) * 3600 + c.minute * 60 + c.second) * 1000 + c.microsecond / 1000,
            count);
        break;
    case 'Z':
        if (count <= 3)
            out += offsetText(c.secondsFromGMT, false, false, false);
        else if (count == 4)
            out += TimeZone::gmtName(c.secondsFromGMT, true);
        else
            out += c.secondsFromGMT == 0 ? "Z" : offsetText(c.secondsFromGMT, true, false, true);
        break;
    case 'O':
        out += TimeZone::gmtName(c.secondsFromGMT, count >= 4);
        break;
    case 'X':
    case 'x':
        out += isoZone(field, count, c.secondsFromGMT);
        break;
    case 'z':
    case 'v':
    case 'V':
        if (count >= 4)
            out += TimeZone::gmtName(c.secondsFromGMT, true);
        else
            out += zone.abbreviation(date);
        break;
    default:
        break;
    }
}

bool hasPrefixIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size()
        && caseInsensitiveCompare(text.substr(0, prefix.size()), prefix) == 0;
}

// What has been read from the text so far.
struct Fields {
    std::optional<std::int64_t> year;
    bool yearIsTwoDigit {false};
    bool beforeChrist {false};
    std::optional<int> month;
    std::optional<int> day;
    std::optional<int> dayOfYear;
    std::optional<int> hour24; // from H, 0-23
    std::optional<int> hour12; // from h or K, 0-11
    std::optional<bool> pm;
    std::optional<int> minute;
    std::optional<int> second;
    std::optional<std::int64_t> millisecondsInDay;
    int microsecond {0};
    std::optional<int> zoneOffset;
};

class Parser {
public:
    explicit Parser(std::string_view text)
        : text_(text) { }

    bool atEnd() const { return position_ == text_.size(); }

    bool literal(std::string_view expected) {
        if (text_.substr(position_, expected.size()) != expected)
            return false;
        position_ += expected.size();
        return true;
    }

    // Exactly width digits when width > 0, else one to maximum digits.
    std::optional<std::int64_t> number(int width, int maximum, int* digitsRead = nullptr) {
        std::size_t start = position_;
        std::size_t limit = width > 0 ? std::size_t(width) : std::size_t(maximum);
        std::int64_t value = 0;
        while (position_ < text_.size() && position_ - start < limit && isDigit(text_[position_]))
            value = value * 10 + (text_[position_++] - '0');
        std::size_t read = position_ - start;
        if (read == 0 || (width > 0 && read != std::size_t(width))) {
            position_ = start;
            return std::nullopt;
        }
        if (digitsRead)
            *digitsRead = int(read);
        return value;
    }

    // The index of the longest name that the text starts with, any case.
    template<std::size_t N>
    std::optional<int> name(
        std::array<std::string_view, N> const& a, std::array<std::string_view, N> const& b) {
        std::optional<int> best;
        std::size_t bestLength = 0;
        for (auto const* names : {&a, &b}) {
            for (std::size_t i = 0; i < N; ++i) {
                auto candidate = (*names)[i];
                if (candidate.size() > bestLength
                    && hasPrefixIgnoringCase(text_.substr(position_), candidate)) {
                    best = int(i);
                    bestLength = candidate.size();
                }
            }
        }
        position_ += bestLength;
        return best;
    }

    bool word(std::string_view expected) {
        if (!hasPrefixIgnoringCase(text_.substr(position_), expected))
            return false;
        position_ += expected.size();
        return true;
    }

    // Any of the zone forms that the formatter writes, and US abbreviations.
    std::optional<int> zone() {
        std::size_t length = 0;
        auto zone = TimeZone::namedPrefix(text_.substr(position_), length);
        if (!zone)
            return std::nullopt;
        position_ += length;
        return zone->secondsFromGMT(base::Date {});
    }

private:
    std::string_view text_;
    std::size_t position_ {0};
};

// The largest number of digits a free-standing field reads.
int maximumDigits(char field) {
    switch (field) {
    case 'y':
    case 'Y':
    case 'u':
        return 9;
    case 'S':
        return 9;
    case 'A':
        return 8;
    case 'D':
        return 3;
    default:
        return 2;
    }
}

bool parseField(Parser& p, char field, int count, bool abutting, Fields& f) {
    int width = abutting ? count : 0;
    int digits = 0;
    switch (field) {
    case 'G':
        if (p.word("AD") || p.word("Anno Domini"))
            return true;
        if (p.word("BC") || p.word("Before Christ")) {
            f.beforeChrist = true;
            return true;
        }
        return false;
    case 'y':
    case 'Y':
    case 'u': {
        auto year = p.number(width, maximumDigits(field), &digits);
        if (!year)
            return false;
        f.year = *year;
        f.yearIsTwoDigit = field != 'u' && count <= 2 && digits == 2;
        return true;
    }
    case 'M':
    case 'L':
        if (count <= 2) {
            auto month = p.number(width, 2);
            if (!month)
                return false;
            f.month = int(*month);
        } else {
            auto month = p.name(monthNames, monthAbbreviations);
            if (!month)
                return false;
            f.month = *month + 1;
        }
        return true;
    case 'd':
        if (auto day = p.number(width, 2)) {
            f.day = int(*day);
            return true;
        }
        return false;
    case 'D':
        if (auto day = p.number(width, 3)) {
            f.dayOfYear = int(*day);
            return true;
        }
        return false;
    case 'e':
    case 'c':
        if (count <= 2)
            return p.number(width, 1).has_value();
        [[fallthrough]];
    case 'E':
        // The weekday is read and checked for form only; the date comes from the
        // other fields, as the platform's does.
        if (p.name(dayNames, dayAbbreviations))
            return true;
        return p.name(dayShortNames, dayShortNames).has_value();
    case 'a':
        if (p.word("AM")) {
            f.pm = false;
            return true;
        }
        if (p.word("PM")) {
            f.pm = true;
            return true;
        }
        return false;
    case 'h':
    case 'H':
    case 'K':
    case 'k': {
        auto hour = p.number(width, 2);
        if (!hour)
            return false;
        int h = int(*hour);
        if (field == 'H' && h <= 23)
            f.hour24 = h;
        else if (field == 'k' && h >= 1 && h <= 24)
            f.hour24 = h % 24;
        else if (field == 'h' && h >= 1 && h <= 12)
            f.hour12 = h % 12;
        else if (field == 'K' && h <= 11)
            f.hour12 = h;
        else
            return false;
        return true;
    }
    case 'm':
    case 's': {
        auto value = p.number(width, 2);
        if (!value || *value > 59)
            return false;
        (field == 'm' ? f.minute : f.second) = int(*value);
        return true;
    }
    case 'S': {
        auto value = p.number(width, maximumDigits(field), &digits);
        if (!value)
            return false;
        std::int64_t micro = *value;
        for (int i = digits; i < 6; ++i)
            micro *= 10;
        for (int i = 6; i < digits; ++i)
            micro /= 10;
        f.microsecond = int(micro);
        return true;
    }
    case 'A':
        f.millisecondsInDay = p.number(width, maximumDigits(field));
        return f.millisecondsInDay && *f.millisecondsInDay < 86400000;
    case 'Z':
    case 'O':
    case 'X':
    case 'x':
    case 'z':
    case 'v':
    case 'V':
        if (field == 'X' && p.literal("Z")) {
            f.zoneOffset = 0;
            return true;
        }
        f.zoneOffset = p.zone();
        return f.zoneOffset.has_value();
    default:
        return false;
    }
}

// Two digits name the year within 80 years before and 20 after the present.
std::int64_t expandTwoDigitYear(std::int64_t twoDigits) {
    auto today = componentsOfDate(now(), TimeZone::utc());
    std::int64_t startYear = (today ? today->year : 2001) - 80;
    std::int64_t year = startYear / 100 * 100 + twoDigits;
    return year < startYear ? year + 100 : year;
}

}

DateFormatter::DateFormatter()
    : zone_(TimeZone::local()) {
}

DateFormatter::DateFormatter(std::string_view pattern, TimeZone zone)
    : pattern_(pattern)
    , tokens_(tokenize(pattern))
    , zone_(zone) {
}

void DateFormatter::setDateFormat(std::string_view pattern) {
    pattern_ = std::string(pattern);
    tokens_ = tokenize(pattern);
}

std::vector<DateFormatter::Token> DateFormatter::tokenize(std::string_view pattern) {
    std::vector<Token> tokens;
    auto addLiteral = [&](std::string_view text) {
        if (tokens.empty() || tokens.back().field != 0)
            tokens.push_back(Token {});
        tokens.back().literal += text;
    };
    for (std::size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        if (c == '\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                addLiteral("'");
                i += 2;
                continue;
            }
            // Quoted text runs to the next lone quote; '' inside it is a quote.
            ++i;
            std::string quoted;
            while (i < pattern.size()) {
                if (pattern[i] == '\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                        quoted += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                quoted += pattern[i++];
            }
            addLiteral(quoted);
            continue;
        }
        if (isLetter(c) && fieldLetters.find(c) != std::string_view::npos) {
            std::size_t start = i;
            while (i < pattern.size() && pattern[i] == c)
                ++i;
            tokens.push_back(Token {c, int(i - start), {}});
            continue;
        }
        addLiteral(pattern.substr(i, 1));
        ++i;
    }
    return tokens;
}

std::string DateFormatter::stringFromDate(base::Date date) const {
    auto components = componentsOfDate(date, zone_);
    if (!components)
        return {};
    std::string out;
    for (auto const& token : tokens_) {
        if (token.field)
            formatField(out, token.field, token.count, *components, zone_, date);
        else
            out += token.literal;
    }
    return out;
}

std::optional<base::Date> DateFormatter::dateFromString(std::string_view text) const {
    Parser parser(text);
    Fields f;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        auto const& token = tokens_[i];
        if (!token.field) {
            if (!parser.literal(token.literal))
                return std::nullopt;
            continue;
        }
        // Numeric fields that touch each other read exactly their width, so that
        // "yyyyMMdd" can split "20120304".
        auto numericAt = [&](std::size_t k) {
            return k < tokens_.size() && tokens_[k].field
                && isNumericField(tokens_[k].field, tokens_[k].count);
        };
        bool abutting = numericAt(i) && ((i > 0 && numericAt(i - 1)) || numericAt(i + 1));
        if (!parseField(parser, token.field, token.count, abutting, f))
            return std::nullopt;
    }
    if (!parser.atEnd())
        return std::nullopt;

    std::int64_t year = f.year.value_or(2000);
    if (f.yearIsTwoDigit)
        year = expandTwoDigitYear(year);
    if (f.beforeChrist)
        year = 1 - year;
    int month = f.month.value_or(1);
    int day = f.day.value_or(1);
    if (f.dayOfYear && !f.month && !f.day) {
        // Day 32 of January is 1 February: the calendar carries it over.
        if (*f.dayOfYear < 1 || *f.dayOfYear > (isLeapYear(year) ? 366 : 365))
            return std::nullopt;
        day = *f.dayOfYear;
    } else if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) {
        return std::nullopt;
    }

    std::int64_t hour = 0;
    if (f.hour24)
        hour = *f.hour24;
    else if (f.hour12)
        hour = *f.hour12 + (f.pm.value_or(false) ? 12 : 0);
    else if (f.pm)
        hour = *f.pm ? 12 : 0;
    std::int64_t minute = f.minute.value_or(0);
    std::int64_t second = f.second.value_or(0);
    double fraction = f.microsecond / 1e6;
    if (f.millisecondsInDay && !f.hour24 && !f.hour12 && !f.minute && !f.second) {
        second = *f.millisecondsInDay / 1000;
        fraction = double(*f.millisecondsInDay % 1000) / 1000.0;
    }
    TimeZone zone = f.zoneOffset ? TimeZone::fixed(*f.zoneOffset) : zone_;
    base::Date date = dateFromComponents(year, month, day, hour, minute, second, zone);
    date.seconds += fraction;
    return date;
}

}

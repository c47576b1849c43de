#include <foundation/Dates.hpp>
#include <foundation/Strings.hpp>
#include <foundation/TimeZone.hpp>
#include <foundation/ZoneInfo.hpp>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace foundation {

namespace {

constexpr int maximumOffset = 18 * 3600;

// The local zone's offset and abbreviation at a Unix time; UTC when the C library
// cannot say (a time past its range).
bool localTime(double unixSeconds, std::tm& out) {
    if (!std::isfinite(unixSeconds) || std::fabs(unixSeconds) > 6.7e15)
        return false;
    std::time_t t = std::time_t(std::floor(unixSeconds));
    return localtime_r(&t, &out) != nullptr;
}

struct Abbreviation {
    std::string_view name;
    int hours;
};

// The zone abbreviations that US English dates carry.
constexpr Abbreviation abbreviations[] = {
    {"Z", 0},
    {"EST", -5},
    {"EDT", -4},
    {"CST", -6},
    {"CDT", -5},
    {"MST", -7},
    {"MDT", -6},
    {"PST", -8},
    {"PDT", -7},
    {"AKST", -9},
    {"AKDT", -8},
    {"HST", -10},
};

// Whole seconds of a date, clamped far beyond any calendar a zone has rules for.
std::int64_t unixSecondsOf(base::Date date) {
    double seconds = std::floor(date.seconds + unixEpochToReferenceDate);
    if (std::isnan(seconds))
        return 0;
    return std::int64_t(std::clamp(seconds, -1e15, 1e15));
}

// A zone's abbreviation when it is made of letters (not "UTC"), else its GMT offset.
std::string abbreviationOrOffset(std::string_view name, int offset) {
    bool alphabetic = !name.empty();
    for (char c : name)
        alphabetic = alphabetic && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    if (alphabetic && name != "UTC")
        return std::string(name);
    return TimeZone::gmtName(offset, false);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size()
        && caseInsensitiveCompare(text.substr(0, prefix.size()), prefix) == 0;
}

// Reads "+H", "+HH", "+HMM", "+HHMM" or "+HH:MM" (or with '-') at the start of text.
std::optional<int> offsetPrefix(std::string_view text, std::size_t& length) {
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    int sign = text[0] == '-' ? -1 : 1;
    std::size_t i = 1;
    int value = 0;
    while (i < text.size() && i < 5 && text[i] >= '0' && text[i] <= '9')
        value = value * 10 + (text[i++] - '0');
    std::size_t digits = i - 1;
    if (digits == 0)
        return std::nullopt;
    int hours = value;
    int minutes = 0;
    if (digits > 2) {
        hours = value / 100;
        minutes = value % 100;
    } else if (i < text.size() && text[i] == ':') {
        if (text.size() - i < 3 || text[i + 1] < '0' || text[i + 1] > '9' || text[i + 2] < '0'
            || text[i + 2] > '9')
            return std::nullopt;
        minutes = (text[i + 1] - '0') * 10 + (text[i + 2] - '0');
        i += 3;
    }
    if (hours > 18 || minutes > 59)
        return std::nullopt;
    length = i;
    return sign * (hours * 3600 + minutes * 60);
}

}

TimeZone TimeZone::fixed(int secondsFromGMT) {
    return TimeZone(Kind::Fixed, std::clamp(secondsFromGMT, -maximumOffset, maximumOffset));
}

std::optional<TimeZone> TimeZone::named(std::string_view name) {
    std::size_t length = 0;
    auto zone = namedPrefix(name, length);
    if (zone && length == name.size())
        return zone;
    auto rules = ZoneInfo::named(name);
    if (!rules)
        return std::nullopt;
    TimeZone named(Kind::Named, 0);
    named.rules_ = std::move(rules);
    return named;
}

std::optional<TimeZone> TimeZone::namedPrefix(std::string_view text, std::size_t& length) {
    for (std::string_view prefix : {"GMT", "UTC", "UT"}) {
        if (startsWithIgnoringCase(text, prefix)) {
            std::size_t offsetLength = 0;
            auto offset = offsetPrefix(text.substr(prefix.size()), offsetLength);
            length = prefix.size() + offsetLength;
            return fixed(offset.value_or(0));
        }
    }
    if (auto offset = offsetPrefix(text, length))
        return fixed(*offset);
    std::size_t letters = 0;
    while (letters < text.size()
        && ((text[letters] >= 'A' && text[letters] <= 'Z')
            || (text[letters] >= 'a' && text[letters] <= 'z')))
        ++letters;
    for (auto const& abbreviation : abbreviations) {
        if (caseInsensitiveCompare(text.substr(0, letters), abbreviation.name) == 0) {
            length = letters;
            return fixed(abbreviation.hours * 3600);
        }
    }
    return std::nullopt;
}

std::string TimeZone::gmtName(int offset, bool padded) {
    if (offset == 0)
        return "GMT";
    std::string text = offset < 0 ? "GMT-" : "GMT+";
    int magnitude = offset < 0 ? -offset : offset;
    int hours = magnitude / 3600;
    int minutes = magnitude / 60 % 60;
    if (padded && hours < 10)
        text += '0';
    text += std::to_string(hours);
    if (minutes || padded) {
        text += ':';
        if (minutes < 10)
            text += '0';
        text += std::to_string(minutes);
    }
    return text;
}

int TimeZone::secondsFromGMT(base::Date date) const {
    if (kind_ == Kind::Fixed)
        return offset_;
    if (kind_ == Kind::Named)
        return rules_->periodAt(unixSecondsOf(date)).offset;
    std::tm tm {};
    if (!localTime(date.seconds + unixEpochToReferenceDate, tm))
        return 0;
    return int(tm.tm_gmtoff);
}

int TimeZone::secondsFromGMTForWallTime(std::int64_t wallSeconds) const {
    if (kind_ == Kind::Fixed)
        return offset_;
    // An offset o fits when the instant wall - o has offset o. The offsets in force
    // half a day either side are the candidates. In a repeated hour both fit and
    // the earlier instant wins; in a skipped hour neither does, and the offset from
    // before the change moves the time forward past the gap, as the platform does.
    auto at = [this](std::int64_t seconds) { return secondsFromGMT(base::Date {double(seconds)}); };
    int before = at(wallSeconds - 43200);
    int after = at(wallSeconds + 43200);
    bool beforeFits = at(wallSeconds - before) == before;
    bool afterFits = at(wallSeconds - after) == after;
    if (beforeFits && afterFits)
        return std::max(before, after);
    if (afterFits)
        return after;
    return before;
}

std::string TimeZone::abbreviation(base::Date date) const {
    if (kind_ == Kind::Fixed)
        return gmtName(offset_, false);
    if (kind_ == Kind::Named) {
        auto period = rules_->periodAt(unixSecondsOf(date));
        return abbreviationOrOffset(period.abbreviation, period.offset);
    }
    std::tm tm {};
    if (!localTime(date.seconds + unixEpochToReferenceDate, tm))
        return "GMT";
    return abbreviationOrOffset(
        tm.tm_zone ? std::string_view(tm.tm_zone) : std::string_view(), int(tm.tm_gmtoff));
}

}

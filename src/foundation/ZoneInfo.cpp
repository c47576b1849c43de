#include <foundation/AtomicFile.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/ZoneInfo.hpp>

#include <base/Log.hpp>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace foundation {

namespace {

// Zone files are a few kilobytes; anything this large is not one.
constexpr std::size_t maximumFileSize = std::size_t(1) << 20;
// Offsets of real zones stay within a day either way.
constexpr int maximumOffset = 25 * 3600;
// Instants are clamped to about 35,000 years either side of 1970 before any
// calendar arithmetic, which then never overflows.
constexpr std::int64_t instantLimit = std::int64_t(1) << 40;

constexpr std::int64_t secondsPerDay = 86400;

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool isLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    std::int64_t era = floorDivide(year, 400);
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The year of the day that many days after 1970-01-01.
std::int64_t yearOfDay(std::int64_t days) {
    days += 719468;
    std::int64_t era = floorDivide(days, 146097);
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    return yearOfEra + era * 400 + (monthIndex >= 10);
}

// Big-endian reads from a bounded buffer; each one checks what is left.
class Reader {
public:
    explicit Reader(ByteView bytes)
        : bytes_(bytes) { }

    std::size_t left() const { return bytes_.size() - position_; }
    bool has(std::uint64_t count) const { return count <= left(); }
    std::size_t position() const { return position_; }

    bool skip(std::uint64_t count) {
        if (!has(count))
            return false;
        position_ += std::size_t(count);
        return true;
    }

    std::uint8_t u8() { return bytes_[position_++]; }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | bytes_[position_++];
        return value;
    }
    std::int64_t i64() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = value << 8 | bytes_[position_++];
        return std::int64_t(value);
    }
    std::string_view text(std::size_t count) {
        auto view = bytes_.text().substr(position_, count);
        position_ += count;
        return view;
    }

private:
    ByteView bytes_;
    std::size_t position_ = 0;
};

struct Header {
    char version = 0;
    std::uint32_t utIndicators = 0;
    std::uint32_t standardIndicators = 0;
    std::uint32_t leapSeconds = 0;
    std::uint32_t transitions = 0;
    std::uint32_t types = 0;
    std::uint32_t characters = 0;

    // The size of the data block that follows, with times of timeSize bytes.
    std::uint64_t blockSize(int timeSize) const {
        return std::uint64_t(transitions) * timeSize + transitions + std::uint64_t(types) * 6
            + characters + std::uint64_t(leapSeconds) * (timeSize + 4) + standardIndicators
            + utIndicators;
    }
};

std::optional<Header> readHeader(Reader& in) {
    if (!in.has(44) || in.text(4) != "TZif")
        return std::nullopt;
    Header header;
    header.version = char(in.u8());
    if (header.version != 0 && (header.version < '2' || header.version > '4'))
        return std::nullopt;
    in.skip(15);
    header.utIndicators = in.u32();
    header.standardIndicators = in.u32();
    header.leapSeconds = in.u32();
    header.transitions = in.u32();
    header.types = in.u32();
    header.characters = in.u32();
    if (header.types == 0 || header.types > 256 || header.characters == 0
        || (header.utIndicators != 0 && header.utIndicators != header.types)
        || (header.standardIndicators != 0 && header.standardIndicators != header.types))
        return std::nullopt;
    return header;
}

// A name of the rule: letters, or anything of letters, digits, '+' and '-' between
// angle brackets; at least three characters either way.
std::optional<std::string> ruleName(std::string_view text, std::size_t& at) {
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    std::size_t start = at;
    if (at < text.size() && text[at] == '<') {
        std::size_t close = text.find('>', at + 1);
        if (close == std::string_view::npos || close - at - 1 < 3)
            return std::nullopt;
        for (char c : text.substr(at + 1, close - at - 1)) {
            if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-')
                return std::nullopt;
        }
        at = close + 1;
        return std::string(text.substr(start + 1, close - start - 1));
    }
    while (at < text.size() && isLetter(text[at]))
        ++at;
    if (at - start < 3)
        return std::nullopt;
    return std::string(text.substr(start, at - start));
}

// [+-]h[h...][:mm[:ss]] in seconds, hours at most maximumHours.
std::optional<int> ruleTime(std::string_view text, std::size_t& at, int maximumHours) {
    int sign = 1;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        sign = text[at++] == '-' ? -1 : 1;
    auto number = [&](int digits, int maximum) -> std::optional<int> {
        int value = 0;
        int count = 0;
        while (count < digits && at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
            ++count;
        }
        if (count == 0 || value > maximum)
            return std::nullopt;
        return value;
    };
    auto hours = number(3, maximumHours);
    if (!hours)
        return std::nullopt;
    int seconds = *hours * 3600;
    for (int unit : {60, 1}) {
        if (at >= text.size() || text[at] != ':')
            break;
        ++at;
        auto part = number(2, 59);
        if (!part)
            return std::nullopt;
        seconds += *part * unit;
    }
    return sign * seconds;
}

std::optional<ZoneInfo::Rule::Date> ruleDate(std::string_view text, std::size_t& at) {
    using Date = ZoneInfo::Rule::Date;
    auto number = [&](int minimum, int maximum) -> std::optional<int> {
        int value = 0;
        int count = 0;
        while (count < 3 && at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
            ++count;
        }
        if (count == 0 || value < minimum || value > maximum)
            return std::nullopt;
        return value;
    };
    auto expect = [&](char c) {
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    };
    Date date;
    if (expect('J')) {
        auto day = number(1, 365);
        if (!day)
            return std::nullopt;
        date.kind = Date::Kind::Julian;
        date.day = *day;
    } else if (expect('M')) {
        auto month = number(1, 12);
        auto week = month && expect('.') ? number(1, 5) : std::nullopt;
        auto day = week && expect('.') ? number(0, 6) : std::nullopt;
        if (!day)
            return std::nullopt;
        date.kind = Date::Kind::Month;
        date.month = *month;
        date.week = *week;
        date.day = *day;
    } else {
        auto day = number(0, 365);
        if (!day)
            return std::nullopt;
        date.kind = Date::Kind::Zero;
        date.day = *day;
    }
    if (expect('/')) {
        auto time = ruleTime(text, at, 167);
        if (!time)
            return std::nullopt;
        date.time = *time;
    }
    return date;
}

// The instant a rule's date and local time fall on in a year, for a zone that is
// offset seconds east of GMT before the change.
std::int64_t changeInstant(ZoneInfo::Rule::Date const& date, std::int64_t year, int offset) {
    using Kind = ZoneInfo::Rule::Date::Kind;
    std::int64_t day = daysFromCivil(year, 1, 1);
    switch (date.kind) {
    case Kind::Julian:
        day += date.day - 1 + (isLeapYear(year) && date.day >= 60);
        break;
    case Kind::Zero:
        day += date.day;
        break;
    case Kind::Month: {
        std::int64_t first = daysFromCivil(year, date.month, 1);
        // 1970-01-01 was a Thursday (4).
        int weekday = int(((first + 4) % 7 + 7) % 7);
        int dayOfMonth = 1 + (date.day - weekday + 7) % 7 + (date.week - 1) * 7;
        while (dayOfMonth > daysInMonth(year, date.month))
            dayOfMonth -= 7;
        day = first + dayOfMonth - 1;
        break;
    }
    }
    return day * secondsPerDay + date.time - offset;
}

struct Database {
    std::mutex mutex;
    std::string folder;
    std::map<std::string, std::shared_ptr<ZoneInfo const>, std::less<>> zones;
};

Database& database() {
    static Database* shared = new Database;
    return *shared;
}

std::string defaultFolder() {
    char const* folder = std::getenv("TZDIR");
    return folder && *folder ? folder : "/usr/share/zoneinfo";
}

bool isZoneNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/'
        || c == '_' || c == '-' || c == '+' || c == '.';
}

}

std::optional<ZoneInfo::Rule> ZoneInfo::Rule::parse(std::string_view text) {
    Rule rule;
    std::size_t at = 0;
    auto standardName = ruleName(text, at);
    auto standardOffset = standardName ? ruleTime(text, at, 24) : std::nullopt;
    if (!standardOffset)
        return std::nullopt;
    // The TZ variable counts west of GMT as positive.
    rule.standard = {-*standardOffset, false, *standardName};
    if (at == text.size())
        return rule;
    auto daylightName = ruleName(text, at);
    if (!daylightName)
        return std::nullopt;
    int daylightOffset = rule.standard.offset + 3600;
    if (at < text.size() && text[at] != ',') {
        auto offset = ruleTime(text, at, 24);
        if (!offset)
            return std::nullopt;
        daylightOffset = -*offset;
    }
    // An hour ahead of a standard time at the edge of the range leaves it.
    if (daylightOffset <= -maximumOffset || daylightOffset >= maximumOffset)
        return std::nullopt;
    rule.daylight = Period {daylightOffset, true, *daylightName};
    if (at >= text.size() || text[at++] != ',')
        return std::nullopt;
    auto start = ruleDate(text, at);
    if (!start || at >= text.size() || text[at++] != ',')
        return std::nullopt;
    auto end = ruleDate(text, at);
    if (!end || at != text.size())
        return std::nullopt;
    rule.start = *start;
    rule.end = *end;
    return rule;
}

ZoneInfo::Period ZoneInfo::Rule::periodAt(std::int64_t unixSeconds) const {
    if (!daylight)
        return standard;
    std::int64_t t = std::clamp(unixSeconds, -instantLimit, instantLimit);
    std::int64_t year = yearOfDay(floorDivide(t + standard.offset, secondsPerDay));
    std::int64_t starts = changeInstant(start, year, standard.offset);
    std::int64_t ends = changeInstant(end, year, daylight->offset);
    bool inDaylight = starts < ends ? t >= starts && t < ends : !(t >= ends && t < starts);
    return inDaylight ? *daylight : standard;
}

std::optional<ZoneInfo> ZoneInfo::parse(ByteView bytes) {
    Reader in(bytes);
    auto header = readHeader(in);
    if (!header)
        return std::nullopt;
    int timeSize = 4;
    if (header->version != 0) {
        // The first block, with 32-bit times, is there for older readers: skip it.
        if (!in.skip(header->blockSize(4)))
            return std::nullopt;
        header = readHeader(in);
        if (!header)
            return std::nullopt;
        timeSize = 8;
    }
    if (!in.has(header->blockSize(timeSize)))
        return std::nullopt;

    ZoneInfo zone;
    zone.transitions_.reserve(header->transitions);
    for (std::uint32_t i = 0; i < header->transitions; ++i) {
        std::int64_t time = timeSize == 8 ? in.i64() : std::int32_t(in.u32());
        if (!zone.transitions_.empty() && time <= zone.transitions_.back())
            return std::nullopt;
        zone.transitions_.push_back(time);
    }
    zone.transitionTypes_.reserve(header->transitions);
    for (std::uint32_t i = 0; i < header->transitions; ++i) {
        std::uint8_t type = in.u8();
        if (type >= header->types)
            return std::nullopt;
        zone.transitionTypes_.push_back(type);
    }
    struct RawType {
        std::int32_t offset;
        std::uint8_t daylight;
        std::uint8_t name;
    };
    std::vector<RawType> raw(header->types);
    for (auto& type : raw) {
        type.offset = std::int32_t(in.u32());
        type.daylight = in.u8();
        type.name = in.u8();
        if (type.offset <= -maximumOffset || type.offset >= maximumOffset || type.daylight > 1
            || type.name >= header->characters)
            return std::nullopt;
    }
    std::string_view names = in.text(header->characters);
    for (auto const& type : raw) {
        std::size_t end = names.find('\0', type.name);
        if (end == std::string_view::npos)
            return std::nullopt;
        zone.types_.push_back(Period {type.offset, type.daylight == 1,
            std::string(names.substr(type.name, end - type.name))});
    }
    // Leap seconds and the indicators only matter to readers that count leap
    // seconds or that compile zones; times here are plain Unix times.
    in.skip(std::uint64_t(header->leapSeconds) * (timeSize + 4) + header->standardIndicators
        + header->utIndicators);

    if (header->version != 0) {
        if (!in.has(2) || in.u8() != '\n')
            return std::nullopt;
        std::string_view rest = in.text(in.left());
        // The rule ends the file.
        std::size_t end = rest.find('\n');
        if (end == std::string_view::npos || end + 1 != rest.size())
            return std::nullopt;
        if (end > 0) {
            zone.rule_ = Rule::parse(rest.substr(0, end));
            if (!zone.rule_)
                return std::nullopt;
        }
    }
    return zone;
}

ZoneInfo::Period ZoneInfo::periodAt(std::int64_t unixSeconds) const {
    auto after = std::upper_bound(transitions_.begin(), transitions_.end(), unixSeconds);
    if (after == transitions_.end() && rule_)
        return rule_->periodAt(unixSeconds);
    // Before the first transition the first type holds.
    if (after == transitions_.begin())
        return types_.front();
    return types_[transitionTypes_[std::size_t(after - transitions_.begin()) - 1]];
}

void ZoneInfo::setDatabaseFolder(std::string folder) {
    auto& shared = database();
    std::lock_guard lock(shared.mutex);
    shared.folder = std::move(folder);
    shared.zones.clear();
}

std::shared_ptr<ZoneInfo const> ZoneInfo::named(std::string_view name) {
    auto& shared = database();
    std::lock_guard lock(shared.mutex);
    if (auto found = shared.zones.find(name); found != shared.zones.end())
        return found->second;

    auto unknown = [name](std::string_view why) {
        base::logLine("No time zone named \"" + std::string(name) + "\": " + std::string(why));
        return nullptr;
    };
    if (name.empty() || name.size() > 255
        || !std::all_of(name.begin(), name.end(), isZoneNameCharacter))
        return unknown("not a zone name");
    std::string folder = shared.folder.empty() ? defaultFolder() : shared.folder;
    auto path = Sandbox::safeJoin(folder, name);
    if (!path)
        return unknown("it would leave the zone database");
    AtomicFile::ReadError error;
    auto bytes = AtomicFile::read(*path, maximumFileSize, &error);
    if (!bytes)
        return unknown(
            error == AtomicFile::ReadError::Missing ? "not in the zone database" : "unreadable");
    auto zone = parse(*bytes);
    if (!zone)
        return unknown("the zone file is damaged");
    auto kept = std::make_shared<ZoneInfo const>(std::move(*zone));
    shared.zones.emplace(std::string(name), kept);
    return kept;
}

}

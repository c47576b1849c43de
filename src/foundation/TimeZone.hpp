#pragma once

#include <base/Value.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

class ZoneInfo;

// A time zone for dates, calendars and date formatters: UTC, a fixed offset from
// GMT, a named zone of the system's zone database ("Asia/Tokyo"), or the device's
// local zone. The local zone follows the C library (the TZ variable and the
// system's zone files, as read at the last tzset()). Named and local zones change
// their offset with daylight saving time. A small value; thread-safe.
class TimeZone {
public:
    static TimeZone utc() { return TimeZone(Kind::Fixed, 0); }
    static TimeZone local() { return TimeZone(Kind::Local, 0); }
    // Offsets are capped at +-18 hours, as the platform's are.
    static TimeZone fixed(int secondsFromGMT);
    // "GMT", "UTC", "GMT+8", "GMT-05:30", "+0800", "Z", or a US zone abbreviation
    // ("EST", "PDT"...), as fixed offsets; else a zone of the system's database
    // ("Europe/Paris"). Nothing, with a log line, for other text.
    static std::optional<TimeZone> named(std::string_view name);
    // The fixed-offset forms of named, for a zone at the start of text (a date being
    // read): sets length to the bytes it took.
    static std::optional<TimeZone> namedPrefix(std::string_view text, std::size_t& length);
    // "GMT" for zero, else "GMT+8", "GMT-5:30", or padded "GMT+08:00".
    static std::string gmtName(int secondsFromGMT, bool padded);

    bool isLocal() const { return kind_ == Kind::Local; }

    int secondsFromGMT(base::Date date) const;
    // The offset that applies at a wall-clock time of this zone, given as seconds
    // since 2001-01-01 00:00 on that wall clock: for turning fields into a date.
    // A wall time that daylight saving repeats reads as its first occurrence; one
    // that it skips moves forward by the change (2:30 becomes 3:30).
    int secondsFromGMTForWallTime(std::int64_t wallSeconds) const;
    // "GMT" for zero, "GMT+8" or "GMT-5:30" for fixed offsets, the zone's own
    // abbreviation ("JST", "EDT") for named and local zones when it is made of letters.
    std::string abbreviation(base::Date date) const;

    bool operator==(TimeZone const&) const = default;

private:
    enum class Kind { Fixed, Local, Named };

    TimeZone(Kind kind, int offset)
        : kind_(kind)
        , offset_(offset) { }

    Kind kind_;
    int offset_;
    // The rules of a named zone, shared by every copy.
    std::shared_ptr<ZoneInfo const> rules_;
};

}

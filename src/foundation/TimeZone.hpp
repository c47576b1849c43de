#pragma once

#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A time zone for dates, calendars and date formatters: UTC, a fixed offset from
// GMT, or the device's local zone. The local zone follows the C library (the TZ
// variable and the system's zone files, as read at the last tzset()), so its offset
// changes with daylight saving time. A small value; thread-safe.
class TimeZone {
public:
    static TimeZone utc() { return TimeZone(Kind::Fixed, 0); }
    static TimeZone local() { return TimeZone(Kind::Local, 0); }
    // Offsets are capped at +-18 hours, as the platform's are.
    static TimeZone fixed(int secondsFromGMT);
    // "GMT", "UTC", "GMT+8", "GMT-05:30", "+0800", "Z", or a US zone abbreviation
    // ("EST", "PDT"...), as fixed offsets. Nothing for other text.
    static std::optional<TimeZone> named(std::string_view name);
    // As named, for a zone at the start of text: sets length to the bytes it took.
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
    // "GMT" for zero, "GMT+8" or "GMT-5:30" for fixed offsets, the C library's
    // abbreviation ("JST", "EDT") for the local zone.
    std::string abbreviation(base::Date date) const;

    bool operator==(TimeZone const&) const = default;

private:
    enum class Kind { Fixed, Local };

    TimeZone(Kind kind, int offset)
        : kind_(kind)
        , offset_(offset) { }

    Kind kind_;
    int offset_;
};

}

#pragma once

#include <base/Value.hpp>
#include <foundation/TimeZone.hpp>

#include <cstdint>
#include <optional>

namespace foundation {

// Date helpers over base::Date (seconds since 2001-01-01 00:00:00 UTC), standing in
// for the platform's date and Gregorian calendar. Thread-safe.

// Seconds from 1970-01-01 to 2001-01-01, both UTC.
inline constexpr double unixEpochToReferenceDate = 978307200.0;

// The present, from the installed Clock (a manual one in tests).
base::Date now();

double unixTimeFromDate(base::Date date);
base::Date dateFromUnixTime(double secondsSince1970);

// date - other in seconds.
inline double timeIntervalSince(base::Date date, base::Date other) {
    return date.seconds - other.seconds;
}
double timeIntervalSinceNow(base::Date date);
inline base::Date dateByAddingTimeInterval(base::Date date, double seconds) {
    return {date.seconds + seconds};
}

// A date's place in the proleptic Gregorian calendar of a time zone.
struct DateComponents {
    std::int64_t year {2001};
    int month {1}; // 1 to 12
    int day {1}; // 1 to 31
    int hour {0};
    int minute {0};
    int second {0};
    int microsecond {0};
    int weekday {2}; // 1 Sunday to 7 Saturday
    int dayOfYear {1}; // 1 to 366
    int secondsFromGMT {0};

    bool operator==(DateComponents const&) const = default;
};

// Dates further than about 31,000 years from 2001, and NaN or infinite ones, have
// no components.
std::optional<DateComponents> componentsOfDate(base::Date date, TimeZone const& zone);

// The date of a calendar day and time in the zone. Fields out of range carry over
// as the platform's calendar does (month 13 is January of the next year, day 0 the
// last day of the month before, second 60 the next minute).
base::Date dateFromComponents(std::int64_t year, std::int64_t month, std::int64_t day,
    std::int64_t hour, std::int64_t minute, std::int64_t second, TimeZone const& zone);

// Calendar arithmetic on days: days since 1970-01-01 of a Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t year, int month, int day);
void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);
bool isLeapYear(std::int64_t year);
int daysInMonth(std::int64_t year, int month);

}

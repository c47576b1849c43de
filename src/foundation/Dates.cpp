#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>

#include <algorithm>
#include <cmath>

namespace foundation {

namespace {

// About 31,000 years either side: far past any real date, and safe for 64-bit
// arithmetic in microseconds.
constexpr double dateLimit = 1e12;

std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t floorModulo(std::int64_t a, std::int64_t b) {
    return a - floorDivide(a, b) * b;
}

// Days from 1970-01-01 to 2001-01-01.
constexpr std::int64_t referenceDay = 11323;

}

base::Date now() {
    return base::Date {Clock::current().wallTime()};
}

double unixTimeFromDate(base::Date date) {
    return date.seconds + unixEpochToReferenceDate;
}

base::Date dateFromUnixTime(double secondsSince1970) {
    return base::Date {secondsSince1970 - unixEpochToReferenceDate};
}

double timeIntervalSinceNow(base::Date date) {
    return date.seconds - now().seconds;
}

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// The civil-calendar algorithms of Howard Hinnant's "chrono-Compatible Low-Level
// Date Algorithms", valid over the whole proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    std::int64_t era = floorDivide(year, 400);
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    std::int64_t era = floorDivide(days, 146097);
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

std::optional<DateComponents> componentsOfDate(base::Date date, TimeZone const& zone) {
    if (!std::isfinite(date.seconds) || std::fabs(date.seconds) > dateLimit)
        return std::nullopt;
    DateComponents c;
    c.secondsFromGMT = zone.secondsFromGMT(date);
    // Whole microseconds first, so that 0.123 s reads as 123 ms and not 122.999.
    auto micros = std::int64_t(std::llround((date.seconds + c.secondsFromGMT) * 1e6));
    std::int64_t seconds = floorDivide(micros, 1000000);
    c.microsecond = int(micros - seconds * 1000000);
    std::int64_t days = floorDivide(seconds, 86400) + referenceDay;
    std::int64_t secondOfDay = floorModulo(seconds, 86400);
    civilFromDays(days, c.year, c.month, c.day);
    c.hour = int(secondOfDay / 3600);
    c.minute = int(secondOfDay / 60 % 60);
    c.second = int(secondOfDay % 60);
    c.weekday = int(floorModulo(days + 4, 7)) + 1;
    c.dayOfYear = int(days - daysFromCivil(c.year, 1, 1)) + 1;
    return c;
}

base::Date dateFromComponents(std::int64_t year, std::int64_t month, std::int64_t day,
    std::int64_t hour, std::int64_t minute, std::int64_t second, TimeZone const& zone) {
    // Bounds that keep every product below in range; no real date comes near them.
    auto bound = [](std::int64_t value) {
        return std::clamp<std::int64_t>(value, -1000000000000, 1000000000000);
    };
    year = std::clamp<std::int64_t>(year, -4000000, 4000000);
    month = bound(month);
    year += floorDivide(month - 1, 12);
    month = floorModulo(month - 1, 12) + 1;
    std::int64_t days = daysFromCivil(year, int(month), 1) + bound(day) - 1;
    std::int64_t wall
        = (days - referenceDay) * 86400 + bound(hour) * 3600 + bound(minute) * 60 + bound(second);
    return base::Date {double(wall - zone.secondsFromGMTForWallTime(wall))};
}

}

#include <foundation/Clock.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Dates.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>

using foundation::DateFormatter;
using foundation::TimeZone;

namespace {

// 2012-03-04 05:06:07.089 UTC, a Sunday.
constexpr double sample = 352530367.089;

// Sets the local zone for one test through the C library's TZ variable. The POSIX
// rule needs no zone files: US Eastern time with its 2007 rules.
class ScopedLocalZone {
public:
    explicit ScopedLocalZone(char const* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedLocalZone() {
        unsetenv("TZ");
        tzset();
    }
};

constexpr char const* usEastern = "EST5EDT,M3.2.0,M11.1.0";

}

TEST(DateFormatter, WritesEachPatternFieldInUtc) {
    struct Case {
        char const* pattern;
        char const* expected;
    };
    Case const cases[] = {
        {"yyyy-MM-dd HH:mm:ss", "2012-03-04 05:06:07"},
        {"yyyy-MM-dd'T'HH:mm:ss'Z'", "2012-03-04T05:06:07Z"},
        {"MM/dd/yyyy", "03/04/2012"},
        {"EEE, dd MMM yyyy HH:mm:ss", "Sun, 04 Mar 2012 05:06:07"},
        {"yyyyMMdd", "20120304"},
        {"yy M d H m s", "12 3 4 5 6 7"},
        {"y yyy yyyyy u", "2012 2012 02012 2012"},
        {"EEEE MMMM d", "Sunday March 4"},
        {"EEEEE MMMMM EEEEEE LLL", "S M Su Mar"},
        {"e ee eee c", "1 01 Sun 1"},
        {"h:mm a", "5:06 AM"},
        {"hh 'o''clock'", "05 o'clock"},
        {"K k", "5 5"},
        {"SSS S SS SSSSSS SSSSSSSS", "089 0 08 089000 08900000"},
        {"A", "18367089"},
        {"D DDD", "64 064"},
        {"G GGGG y", "AD Anno Domini 2012"},
        {"Z ZZZZ ZZZZZ O OOOO", "+0000 GMT Z GMT GMT"},
        {"X XX XXX x xx xxx", "Z Z Z +00 +0000 +00:00"},
        {"z zzz zzzz", "GMT GMT GMT"},
        {"''yyyy''", "'2012'"},
        {"yyyy 'unterminated", "2012 unterminated"},
        {"yyyy qq! #", "2012 qq! #"},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(DateFormatter(c.pattern, TimeZone::utc()).stringFromDate({sample}), c.expected)
            << c.pattern;
}

TEST(DateFormatter, WritesInFixedOffsetZones) {
    struct Case {
        int offset;
        char const* pattern;
        char const* expected;
    };
    Case const cases[] = {
        {8 * 3600, "yyyy-MM-dd HH:mm Z ZZZZ ZZZZZ O zzz",
            "2012-03-04 13:06 +0800 GMT+08:00 +08:00 GMT+8 GMT+8"},
        {8 * 3600, "X XX XXX", "+08 +0800 +08:00"},
        {-(5 * 3600 + 1800), "dd HH:mm Z O XXX X", "03 23:36 -0530 GMT-5:30 -05:30 -0530"},
        {20 * 3600, "Z", "+1800"},
    };
    for (auto const& c : cases) {
        DateFormatter formatter(c.pattern, TimeZone::fixed(c.offset));
        EXPECT_EQ(formatter.stringFromDate({sample}), c.expected) << c.pattern;
    }
}

TEST(DateFormatter, WritesTheLocalZoneWithDaylightSaving) {
    ScopedLocalZone zone(usEastern);
    DateFormatter formatter("yyyy-MM-dd HH:mm zzz Z");
    EXPECT_TRUE(formatter.timeZone().isLocal());
    EXPECT_EQ(formatter.stringFromDate({sample}), "2012-03-04 00:06 EST -0500");
    EXPECT_EQ(formatter.stringFromDate({363110400}), "2012-07-04 12:00 EDT -0400");
}

TEST(DateFormatter, WritesEdgeDates) {
    DateFormatter formatter("yyyy-MM-dd HH:mm:ss.SSS", TimeZone::utc());
    EXPECT_EQ(formatter.stringFromDate({-978307200.5}), "1969-12-31 23:59:59.500");
    EXPECT_EQ(formatter.stringFromDate({0}), "2001-01-01 00:00:00.000");
    EXPECT_EQ(formatter.stringFromDate({0.123}), "2001-01-01 00:00:00.123");
    auto yearZero = foundation::dateFromComponents(0, 6, 1, 0, 0, 0, TimeZone::utc());
    EXPECT_EQ(DateFormatter("G y u", TimeZone::utc()).stringFromDate(yearZero), "BC 1 0");
    EXPECT_EQ(formatter.stringFromDate({std::nan("")}), "");
    EXPECT_EQ(formatter.stringFromDate({std::numeric_limits<double>::infinity()}), "");
    EXPECT_EQ(formatter.stringFromDate({1e300}), "");
}

TEST(DateFormatter, WritesTheWeekBasedYear) {
    DateFormatter formatter("YYYY yyyy", TimeZone::utc());
    // Saturday 2011-12-31 ends the last week of 2011; Sunday 2012-12-30 starts the
    // week that holds 1 January 2013.
    EXPECT_EQ(formatter.stringFromDate({347025600}), "2011 2011");
    EXPECT_EQ(formatter.stringFromDate({378561600}), "2013 2012");
}

TEST(DateFormatter, ReadsTheTextThatItsPatternSpells) {
    foundation::ScopedManualClock clock; // 2026: two-digit years pivot at 1946
    struct Case {
        char const* pattern;
        char const* text;
        std::optional<double> seconds;
    };
    Case const cases[] = {
        {"yyyy-MM-dd HH:mm:ss", "2012-03-04 05:06:07", 352530367},
        {"yyyy-MM-dd'T'HH:mm:ss'Z'", "2012-03-04T05:06:07Z", 352530367},
        {"MM/dd/yyyy", "03/04/2012", 352512000},
        {"EEE, dd MMM yyyy HH:mm:ss", "Sun, 04 Mar 2012 05:06:07", 352530367},
        {"EEE, dd MMM yyyy HH:mm:ss", "sun, 04 MAR 2012 05:06:07", 352530367},
        {"EEEE, d MMMM yyyy", "Sunday, 4 March 2012", 352512000},
        {"dd MMM yyyy", "04 March 2012", 352512000},
        {"yyyyMMdd", "20120304", 352512000},
        {"yyyyMMddHHmmss", "20120304050607", 352530367},
        {"yyyy", "1980", -662774400},
        {"HH:mm", "10:30", -31584600},
        {"yyyy-M-d", "2012-3-4", 352512000},
        {"yyyy-MM-dd HH:mm:ss.SSS", "2012-03-04 05:06:07.089", 352530367.089},
        {"yyyy-MM-dd HH:mm:ss.S", "2012-03-04 05:06:07.5", 352530367.5},
        {"D yyyy", "64 2012", 352512000},
        {"yy-MM-dd", "12-03-04", 352512000},
        {"yy", "45", 1388534400},
        {"yy", "46", -1735689600},
        {"yy", "2012", 347068800},
        {"h:mm a", "12:30 AM", -31620600},
        {"h:mm a", "12:30 PM", -31577400},
        {"h:mm a", "1:05 pm", -31575300},
        {"yyyy-MM-dd HH:mm:ss Z", "2012-03-04 13:06:07 +0800", 352530367},
        {"yyyy-MM-dd HH:mm:ss Z", "2012-03-04 13:06:07 GMT+08:00", 352530367},
        {"yyyy-MM-dd HH:mm:ss Z", "2012-03-03 23:36:07 -05:30", 352530367},
        {"yyyy-MM-dd'T'HH:mm:ssXXX", "2012-03-04T05:06:07Z", 352530367},
        {"yyyy-MM-dd'T'HH:mm:ssXXX", "2012-03-04T07:06:07+02:00", 352530367},
        {"yyyy-MM-dd HH:mm:ss zzz", "2012-03-04 00:06:07 EST", 352530367},
        {"yyyy-MM-dd HH:mm:ss zzz", "2012-03-04 05:06:07 GMT", 352530367},
        {"G yyyy", "AD 2012", 347068800},
        {"", "", -31622400},
    };
    for (auto const& c : cases) {
        auto date = DateFormatter(c.pattern, TimeZone::utc()).dateFromString(c.text);
        ASSERT_TRUE(date.has_value()) << c.pattern << " / " << c.text;
        EXPECT_NEAR(date->seconds, *c.seconds, 1e-6) << c.pattern << " / " << c.text;
    }
}

TEST(DateFormatter, RefusesTextThatDoesNotFitWithoutCrashing) {
    struct Case {
        char const* pattern;
        char const* text;
    };
    Case const cases[] = {
        {"yyyy-MM-dd", "2012-02-30"},
        {"yyyy-MM-dd", "2011-02-29"},
        {"yyyy-MM-dd", "2012-13-01"},
        {"yyyy-MM-dd", "2012-00-10"},
        {"yyyy-MM-dd", "2012-01-00"},
        {"HH:mm:ss", "24:00:00"},
        {"HH:mm:ss", "23:60:00"},
        {"HH:mm:ss", "23:59:60"},
        {"h:mm a", "13:05 PM"},
        {"h:mm a", "0:05 AM"},
        {"h:mm a", "1:05 XM"},
        {"EEE, dd MMM yyyy HH:mm:ss", "Sun, 04 Mar 2012 05:06:07 GMT"},
        {"EEE, dd MMM yyyy HH:mm:ss", "Sun, 04 Mxr 2012 05:06:07"},
        {"yyyy-MM-dd HH:mm:ss", "2012-03-04 05:06"},
        {"yyyy-MM-dd HH:mm:ss", "2012-03-04 05:06:07 extra"},
        {"yyyy-MM-dd HH:mm:ss", ""},
        {"yyyy-MM-dd HH:mm:ss", "garbage"},
        {"yyyy-MM-dd", "\xEF\xBC\x92\xEF\xBC\x90\xEF\xBC\x91\xEF\xBC\x92-03-04"},
        {"yyyyMMdd", "2012034"},
        {"yyyy-MM-dd'T'HH:mm:ss'Z'", "2012-03-04T05:06:07"},
        {"yyyy-MM-dd HH:mm:ss Z", "2012-03-04 13:06:07 +9900"},
        {"yyyy-MM-dd HH:mm:ss Z", "2012-03-04 13:06:07 Mars"},
        {"D yyyy", "367 2012"},
        {"", "x"},
        {"yyyy", "99999999999999999999"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(DateFormatter(c.pattern, TimeZone::utc()).dateFromString(c.text), std::nullopt)
            << c.pattern << " / " << c.text;
}

TEST(DateFormatter, ReadsBackWhatItWrites) {
    char const* patterns[] = {"yyyy-MM-dd HH:mm:ss", "EEE, dd MMM yyyy HH:mm:ss", "yyyyMMddHHmmss",
        "yyyy-MM-dd'T'HH:mm:ssZZZZZ", "MMMM d, yyyy h:mm:ss a", "D yyyy HH:mm:ss z"};
    double dates[] = {352530367, 0, -662774400, 378561600, -978307201, 1e9};
    for (auto pattern : patterns) {
        for (auto zone :
            {TimeZone::utc(), TimeZone::fixed(-8 * 3600), TimeZone::fixed(5 * 3600 + 1800)}) {
            DateFormatter formatter(pattern, zone);
            for (double seconds : dates) {
                std::string text = formatter.stringFromDate({seconds});
                auto back = formatter.dateFromString(text);
                ASSERT_TRUE(back.has_value()) << pattern << " / " << text;
                EXPECT_EQ(back->seconds, seconds) << pattern << " / " << text;
            }
        }
    }
}

TEST(DateFormatter, ReadsLocalTimesAcrossDaylightSavingChanges) {
    ScopedLocalZone zone(usEastern);
    DateFormatter formatter("yyyy-MM-dd HH:mm:ss");
    struct Case {
        char const* text;
        double seconds;
    };
    Case const cases[] = {
        {"2012-03-04 00:06:07", 352530367},
        {"2012-07-04 12:00:00", 363110400},
        // 2:30 does not exist on 11 March 2012: the clock moves forward to 3:30 EDT.
        {"2012-03-11 02:30:00", 353143800},
        // 1:30 happens twice on 4 November 2012: the first, in EDT, is taken.
        {"2012-11-04 01:30:00", 373699800},
    };
    for (auto const& c : cases)
        EXPECT_EQ(formatter.dateFromString(c.text), base::Date {c.seconds}) << c.text;
}

TEST(DateFormatter, ChangesPatternAndZone) {
    DateFormatter formatter;
    EXPECT_EQ(formatter.dateFormat(), "");
    formatter.setDateFormat("HH:mm");
    formatter.setTimeZone(TimeZone::fixed(3600));
    EXPECT_EQ(formatter.dateFormat(), "HH:mm");
    EXPECT_EQ(formatter.stringFromDate({sample}), "06:06");
    EXPECT_EQ(formatter.timeZone(), TimeZone::fixed(3600));
}

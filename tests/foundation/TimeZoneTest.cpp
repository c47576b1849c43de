#include <foundation/TimeZone.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

using foundation::TimeZone;

namespace {

// 2012-03-04 05:06:07 UTC and 2012-07-04 16:00:00 UTC.
constexpr base::Date winter {352530367};
constexpr base::Date summer {363110400};

}

TEST(TimeZone, FixedZonesKeepTheirOffsetAndName) {
    struct Case {
        int offset;
        int expectedOffset;
        char const* abbreviation;
    };
    Case const cases[] = {
        {0, 0, "GMT"},
        {8 * 3600, 8 * 3600, "GMT+8"},
        {-(5 * 3600 + 1800), -(5 * 3600 + 1800), "GMT-5:30"},
        {24 * 3600, 18 * 3600, "GMT+18"},
        {-99999999, -18 * 3600, "GMT-18"},
    };
    for (auto const& c : cases) {
        auto zone = TimeZone::fixed(c.offset);
        EXPECT_FALSE(zone.isLocal());
        EXPECT_EQ(zone.secondsFromGMT(winter), c.expectedOffset);
        EXPECT_EQ(zone.secondsFromGMT(summer), c.expectedOffset);
        EXPECT_EQ(zone.abbreviation(winter), c.abbreviation);
    }
    EXPECT_EQ(TimeZone::utc(), TimeZone::fixed(0));
}

TEST(TimeZone, ReadsZoneNames) {
    struct Case {
        char const* name;
        std::optional<int> offset;
    };
    Case const cases[] = {
        {"GMT", 0},
        {"utc", 0},
        {"Z", 0},
        {"EST", -5 * 3600},
        {"PDT", -7 * 3600},
        {"GMT+8", 8 * 3600},
        {"GMT-05:30", -(5 * 3600 + 1800)},
        {"UTC+0100", 3600},
        {"+0800", 8 * 3600},
        {"-11", -11 * 3600},
        {"GMT+19", std::nullopt},
        {"+08:5", std::nullopt},
        {"Mars/Olympus", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
    };
    for (auto const& c : cases) {
        auto zone = TimeZone::named(c.name);
        ASSERT_EQ(zone.has_value(), c.offset.has_value()) << c.name;
        if (zone) {
            EXPECT_EQ(zone->secondsFromGMT(winter), *c.offset) << c.name;
        }
    }
}

TEST(TimeZone, LocalZoneFollowsTheCLibraryWithDaylightSaving) {
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    auto local = TimeZone::local();
    EXPECT_TRUE(local.isLocal());
    EXPECT_EQ(local.secondsFromGMT(winter), -5 * 3600);
    EXPECT_EQ(local.secondsFromGMT(summer), -4 * 3600);
    EXPECT_EQ(local.abbreviation(winter), "EST");
    EXPECT_EQ(local.abbreviation(summer), "EDT");
    // A zone with a numeric abbreviation is named by its offset.
    setenv("TZ", "<+0530>-5:30", 1);
    tzset();
    EXPECT_EQ(TimeZone::local().abbreviation(winter), "GMT+5:30");
    unsetenv("TZ");
    tzset();
}

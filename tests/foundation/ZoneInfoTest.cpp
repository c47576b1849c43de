// Zone files of the system's database: the TZif reader on files built here (whole,
// truncated and damaged), the closing rule of the TZ variable's form, and the
// look-up by name inside the database folder.
#include <foundation/ZoneInfo.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using foundation::ZoneInfo;
using Period = ZoneInfo::Period;

namespace {

// A TZif file of version 2 or later, or of version 1 (no 64-bit block, no rule).
struct ZoneFile {
    struct Type {
        std::int32_t offset;
        std::uint8_t daylight;
        std::uint8_t name;
    };
    char version = '2';
    std::vector<std::int64_t> transitions;
    std::vector<std::uint8_t> transitionTypes;
    std::vector<Type> types;
    std::string names;
    std::string rule;

    std::string bytes() const {
        std::string out;
        auto u32 = [&out](std::uint32_t value) {
            for (int shift = 24; shift >= 0; shift -= 8)
                out.push_back(char(value >> shift));
        };
        auto block = [&](int timeSize) {
            out += "TZif";
            out.push_back(version == '1' ? '\0' : version);
            out.append(15, '\0');
            u32(0);
            u32(0);
            u32(0);
            u32(std::uint32_t(transitions.size()));
            u32(std::uint32_t(types.size()));
            u32(std::uint32_t(names.size()));
            for (auto time : transitions) {
                for (int shift = timeSize * 8 - 8; shift >= 0; shift -= 8)
                    out.push_back(char(std::uint64_t(time) >> shift));
            }
            for (auto type : transitionTypes)
                out.push_back(char(type));
            for (auto const& type : types) {
                u32(std::uint32_t(type.offset));
                out.push_back(char(type.daylight));
                out.push_back(char(type.name));
            }
            out += names;
        };
        block(4);
        if (version != '1') {
            block(8);
            out += "\n" + rule + "\n";
        }
        return out;
    }
};

// New York around 2012, with its closing rule.
ZoneFile newYork() {
    ZoneFile file;
    file.transitions = {1331449200, 1352008800}; // 2012-03-11 07:00, 2012-11-04 06:00 UTC
    file.transitionTypes = {1, 0};
    file.types = {{-18000, 0, 0}, {-14400, 1, 4}};
    file.names = std::string("EST\0EDT\0", 8);
    file.rule = "EST5EDT,M3.2.0,M11.1.0";
    return file;
}

std::optional<ZoneInfo> parse(std::string const& bytes) {
    return ZoneInfo::parse(foundation::ByteView(bytes));
}

Period const est {-18000, false, "EST"};
Period const edt {-14400, true, "EDT"};

}

TEST(ZoneInfo, GivesThePeriodOfEachTransitionAndTheRuleAfterTheLast) {
    auto zone = parse(newYork().bytes());
    ASSERT_TRUE(zone);
    struct Case {
        std::int64_t at;
        Period expected;
    };
    Case const cases[] = {
        {-(std::int64_t(1) << 62), est}, // before the first transition: the first type
        {1331449199, est},
        {1331449200, edt},
        {1352008799, edt},
        {1352008800, est},
        {1899356399, est}, // 2030, from the rule: 10 March 07:00 UTC
        {1899356400, edt},
        {1919915999, edt}, // 3 November 06:00 UTC
        {1919916000, est},
        {std::int64_t(1) << 62, est},
    };
    for (auto const& c : cases)
        EXPECT_EQ(zone->periodAt(c.at), c.expected) << c.at;
}

TEST(ZoneInfo, VersionOneFilesHaveNoRuleAndKeepTheLastType) {
    auto file = newYork();
    file.version = '1';
    auto zone = parse(file.bytes());
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->periodAt(1340000000), edt);
    EXPECT_EQ(zone->periodAt(1907712000), est); // June 2030: no rule, the last type holds
}

TEST(ZoneInfo, AZoneWithoutTransitionsFollowsItsRuleOrItsOnlyType) {
    ZoneFile tokyo;
    tokyo.types = {{32400, 0, 0}};
    tokyo.names = std::string("JST\0", 4);
    tokyo.rule = "JST-9";
    auto zone = parse(tokyo.bytes());
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->periodAt(0), (Period {32400, false, "JST"}));

    tokyo.rule.clear();
    zone = parse(tokyo.bytes());
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->periodAt(1907712000), (Period {32400, false, "JST"}));
}

TEST(ZoneInfo, EveryShorterPrefixOfAFileIsRefused) {
    auto bytes = newYork().bytes();
    ASSERT_TRUE(parse(bytes));
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(parse(bytes.substr(0, length))) << length;
}

TEST(ZoneInfo, RefusesDamagedFiles) {
    struct Case {
        char const* what;
        void (*damage)(ZoneFile&);
    };
    Case const cases[] = {
        {"an unknown version", [](ZoneFile& f) { f.version = '9'; }},
        {"no types",
            [](ZoneFile& f) {
                f.types.clear();
                f.transitions.clear();
                f.transitionTypes.clear();
            }},
        {"no names", [](ZoneFile& f) { f.names.clear(); }},
        {"a transition to a type that is not there", [](ZoneFile& f) { f.transitionTypes[1] = 2; }},
        {"transitions out of order",
            [](ZoneFile& f) {
                f.transitions = {20, 10};
            }},
        {"the same transition twice",
            [](ZoneFile& f) {
                f.transitions = {10, 10};
            }},
        {"a name index past the names", [](ZoneFile& f) { f.types[1].name = 8; }},
        {"a name without its terminator", [](ZoneFile& f) { f.names.back() = 'X'; }},
        {"an offset beyond a day", [](ZoneFile& f) { f.types[0].offset = 26 * 3600; }},
        {"the most negative offset", [](ZoneFile& f) { f.types[0].offset = INT32_MIN; }},
        {"a daylight flag other than 0 or 1", [](ZoneFile& f) { f.types[1].daylight = 2; }},
        {"a rule that cannot be read", [](ZoneFile& f) { f.rule = "EST5EDT,M3.2.0"; }},
        {"a rule with a line break", [](ZoneFile& f) { f.rule = "EST5\nEDT"; }},
    };
    for (auto const& c : cases) {
        auto file = newYork();
        c.damage(file);
        EXPECT_FALSE(parse(file.bytes())) << c.what;
    }
    EXPECT_FALSE(parse("TZjf" + newYork().bytes().substr(4)));
    EXPECT_FALSE(parse(newYork().bytes() + "more")) << "bytes after the rule";
}

TEST(ZoneInfo, CountsLargerThanTheFileAreRefusedBeforeAnythingIsRead) {
    auto bytes = newYork().bytes();
    // The transition count of the first header, at byte 32, set to 2^32 - 1.
    for (int i = 32; i < 36; ++i)
        bytes[std::size_t(i)] = char(0xff);
    EXPECT_FALSE(parse(bytes));
}

TEST(ZoneInfoRule, ReadsTheFormsOfTheTZVariable) {
    struct Case {
        char const* text;
        bool valid;
        int standardOffset;
        char const* standardName;
        int daylightOffset; // 0 when none
    };
    Case const cases[] = {
        {"JST-9", true, 32400, "JST", 0},
        {"EST5EDT,M3.2.0,M11.1.0", true, -18000, "EST", -14400},
        {"<+0530>-5:30", true, 19800, "+0530", 0},
        {"<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", true, -10800, "-03", -7200},
        {"IST-1GMT0,M10.5.0,M3.5.0/1", true, 3600, "IST", 0},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", true, 36000, "AEST", 39600},
        {"EST5EDT,0/0,J365/25", true, -18000, "EST", -14400},
        {"<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45", true, 45900, "+1245", 49500},
        {"", false, 0, "", 0},
        {"AB1", false, 0, "", 0},
        {"EST", false, 0, "", 0},
        {"EST5EDT", false, 0, "", 0},
        {"EST5EDT,M13.1.0,M11.1.0", false, 0, "", 0},
        {"EST5EDT,M3.6.0,M11.1.0", false, 0, "", 0},
        {"EST5EDT,M3.2.7,M11.1.0", false, 0, "", 0},
        {"EST5EDT,J0,J365", false, 0, "", 0},
        {"EST5EDT,M3.2.0/168,M11.1.0", false, 0, "", 0},
        {"EST25", false, 0, "", 0},
        // Daylight time an hour ahead of -24:30 would lie beyond the range.
        {"A-24:30B,M3.2.0,M11.1.0", false, 0, "", 0},
        {"EST5:60", false, 0, "", 0},
        {"JST-9x", false, 0, "", 0},
        {"<+05", false, 0, "", 0},
        {"<+5>-5", false, 0, "", 0},
    };
    for (auto const& c : cases) {
        auto rule = ZoneInfo::Rule::parse(c.text);
        ASSERT_EQ(rule.has_value(), c.valid) << c.text;
        if (!rule)
            continue;
        EXPECT_EQ(rule->standard.offset, c.standardOffset) << c.text;
        EXPECT_EQ(rule->standard.abbreviation, c.standardName) << c.text;
        if (c.daylightOffset != 0) {
            ASSERT_TRUE(rule->daylight) << c.text;
            EXPECT_EQ(rule->daylight->offset, c.daylightOffset) << c.text;
        }
    }
}

TEST(ZoneInfoRule, PlacesDaylightTimeInBothHemispheresAndAroundTheClock) {
    auto sydney = ZoneInfo::Rule::parse("AEST-10AEDT,M10.1.0,M4.1.0/3");
    auto dublin = ZoneInfo::Rule::parse("IST-1GMT0,M10.5.0,M3.5.0/1");
    auto always = ZoneInfo::Rule::parse("EST5EDT,0/0,J365/25");
    ASSERT_TRUE(sydney && dublin && always);
    struct Case {
        ZoneInfo::Rule const* rule;
        std::int64_t at;
        int offset;
    };
    Case const cases[] = {
        {&*sydney, 1894665600, 39600}, // 2030-01-15: southern summer
        {&*sydney, 1901721599, 39600}, // the end, 7 April 03:00 local daylight time
        {&*sydney, 1901721600, 36000}, {&*sydney, 1907712000, 36000}, // June
        {&*sydney, 1917446399, 36000}, // the start, 6 October 02:00 local standard time
        {&*sydney, 1917446400, 39600},
        // Dublin's winter is the "daylight" part of its rule, at offset 0.
        {&*dublin, 1894665600, 0}, {&*dublin, 1907712000, 3600}, {&*always, 1894665600, -14400},
        {&*always, 1907712000, -14400}, {&*always, 1924905600, -14400}, // 31 December 2030
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.rule->periodAt(c.at).offset, c.offset) << c.at;
}

class ZoneDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "Test");
        write("Test/New_York", newYork().bytes());
        write("Test/Damaged", newYork().bytes().substr(0, 60));
        write("outside", newYork().bytes());
        std::filesystem::create_directories(folder / "db");
        std::filesystem::create_symlink(folder / "Test", folder / "db" / "Test");
        ZoneInfo::setDatabaseFolder((folder / "Test").string());
    }
    void TearDown() override { ZoneInfo::setDatabaseFolder({}); }

    void write(std::string const& name, std::string const& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    test::TempDir folder;
};

TEST_F(ZoneDatabase, ReadsAZoneOnceAndRefusesNamesOutsideTheFolder) {
    auto zone = ZoneInfo::named("New_York");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->periodAt(1340000000), edt);
    EXPECT_EQ(ZoneInfo::named("New_York"), zone);

    struct Case {
        char const* name;
        char const* logged;
    };
    Case const cases[] = {
        {"Mars/Olympus", "not in the zone database"},
        {"../outside", "leave the zone database"},
        {"/etc/localtime", "leave the zone database"},
        {"Damaged", "damaged"},
        {".", "leave the zone database"},
        {"", "not a zone name"},
        {"New York", "not a zone name"},
        {"New_York\n", "not a zone name"},
    };
    for (auto const& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(ZoneInfo::named(c.name)) << c.name;
        EXPECT_TRUE(log.contains(c.logged)) << c.name;
    }
}

TEST_F(ZoneDatabase, ChangingTheFolderForgetsTheZonesRead) {
    ASSERT_TRUE(ZoneInfo::named("New_York"));
    ZoneInfo::setDatabaseFolder((folder / "db").string());
    test::LogCapture log;
    EXPECT_FALSE(ZoneInfo::named("New_York"));
    auto zone = ZoneInfo::named("Test/New_York");
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->periodAt(0), est);
}

TEST(SystemZoneDatabase, ReadsEveryZoneFileItHolds) {
    std::filesystem::path root = "/usr/share/zoneinfo";
    ASSERT_TRUE(std::filesystem::is_directory(root)) << "the tzdata package is not installed";
    int zones = 0;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.compare(0, 4, "TZif") != 0)
            continue;
        EXPECT_TRUE(parse(bytes)) << entry.path();
        ++zones;
    }
    EXPECT_GT(zones, 300);
}

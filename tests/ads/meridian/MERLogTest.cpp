#include <ads/meridian/MERLog.hpp>

#include "MeridianTestSupport.hpp"

#include <support/LogCapture.hpp>

using ads::meridian::MERLog;

namespace {

class MERLogTest : public test::MeridianTest {
protected:
    MERLogTest() { configure("http://pixel.test"); }
};

}

TEST_F(MERLogTest, ActivityTypesHaveTheirNamesAndEveryOtherIsAnInteraction) {
    struct Case {
        int type;
        char const* name;
    };
    for (auto [type, name] : std::initializer_list<Case> {{1, "EXPAND"}, {2, "COLLAPSE"},
             {3, "ON_LOAD"}, {4, "VIEW_VIDEO"}, {5, "INTERACTION"}, {6, "CAROUSEL_LEFT"},
             {7, "CAROUSEL_RIGHT"}, {8, "CALL"}, {9, "INAPPLOAD"}, {0, "INTERACTION"},
             {-3, "INTERACTION"}, {10, "INTERACTION"}})
        EXPECT_EQ(MERLog::stringFromLogType(type), name) << type;
}

TEST_F(MERLogTest, PixelURLsMatchTheirGoldenText) {
    struct Case {
        MERLog::Values values;
        char const* acid;
        char const* expected;
    };
    std::string const plain = "http://pixel.test/productiton/common/pixel/image.php";
    std::string const live = "http://pixel.test/live/custom/common/pixel/image.php";
    std::vector<Case> cases {
        {{}, "", "?activity=ON_LOAD&acid=99"},
        {{}, "12", "?activity=ON_LOAD&acid=12"},
        {{{"site", "a"}, {"empty", ""}}, "7", "?activity=ON_LOAD&acid=7&site=a"},
        // Each key and value is escaped on its own: "&" and "=" cannot add a parameter.
        {{{"q", "a&b=c"}, {"k=1", "x y"}}, "a&c",
            "?activity=ON_LOAD&acid=a%26c&q=a%26b%3Dc&k%3D1=x%20y"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(MERLog::activityURL(c.values, "ON_LOAD", c.acid), plain + c.expected);

    EXPECT_EQ(MERLog::activityURL({{"version", "live"}, {"site", "a"}}, "EXPAND", ""),
        live + "?activity=EXPAND&acid=99&version=live&site=a");
}

TEST_F(MERLogTest, WithoutAPixelHostNothingIsBuiltOrSent) {
    ads::meridian::MERConfiguration::reset();
    test::LogCapture log;
    EXPECT_EQ(MERLog::activityURL({}, "EXPAND", ""), std::nullopt);
    MERLog::log({}, MERLog::Expand, "");
    EXPECT_TRUE(log.contains("no pixel host is configured"));
}

TEST_F(MERLogTest, ATextThatIsNotAURLIsDroppedWithALogLine) {
    test::LogCapture log;
    MERLog::logURL("not a url");
    EXPECT_TRUE(log.contains("MERLog: dropping a pixel that is not a URL: not a url"));
}

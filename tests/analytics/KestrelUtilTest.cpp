#include <analytics/KestrelUtil.hpp>

#include <support/LogCapture.hpp>

#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/View.hpp>

#include <base/Exception.hpp>

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

using analytics::KestrelUtil;
using ui::InterfaceOrientation;

namespace {

// Puts the switches, the orientation and the device back after each test.
class KestrelUtilTest : public ::testing::Test {
protected:
    void TearDown() override {
        KestrelUtil::setDebugLogEnabled(false);
        KestrelUtil::setShowErrorInLogEnabled(false);
        ui::Application::sharedApplication().setStatusBarOrientation(
            InterfaceOrientation::Portrait);
        ui::Device::reset();
    }

    void orient(InterfaceOrientation orientation) {
        ui::Application::sharedApplication().setStatusBarOrientation(orientation);
    }
};

}

TEST_F(KestrelUtilTest, HandleExceptionDescribesOnlyWhenBothSwitchesAreOn) {
    struct Case {
        bool debug;
        bool showErrors;
        std::size_t lines;
    };
    Case const cases[] = {{false, false, 0}, {true, false, 0}, {false, true, 0}, {true, true, 4}};
    for (auto const& c : cases) {
        KestrelUtil::setDebugLogEnabled(c.debug);
        KestrelUtil::setShowErrorInLogEnabled(c.showErrors);
        test::LogCapture log;
        KestrelUtil::handleException(
            std::make_exception_ptr(base::Exception("NSRangeException", "index 3 beyond bounds")));
        EXPECT_EQ(log.lines().size(), c.lines) << c.debug << c.showErrors;
    }
}

TEST_F(KestrelUtilTest, HandleExceptionTellsExceptionsErrorsAndOtherThingsApart) {
    KestrelUtil::setDebugLogEnabled(true);
    KestrelUtil::setShowErrorInLogEnabled(true);
    std::string const hyphens = "Kestrel: -----------------------------------------";
    {
        test::LogCapture log;
        KestrelUtil::handleException(
            std::make_exception_ptr(base::Exception("NSRangeException", "out of range")));
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "Kestrel: Caught Exception in Kestrel Analytics Code");
        EXPECT_EQ(lines[1], hyphens);
        EXPECT_EQ(lines[2], "Kestrel: Name:NSRangeException Reason:out of range");
    }
    {
        test::LogCapture log;
        KestrelUtil::handleException(std::make_exception_ptr(
            std::system_error(std::make_error_code(std::errc::no_such_file_or_directory))));
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "Kestrel: Caught Error in Kestrel Analytics Code");
        EXPECT_EQ(lines[1], hyphens);
        EXPECT_EQ(lines[2], "Kestrel: Code:2 Domain:generic");
    }
    {
        test::LogCapture log;
        KestrelUtil::handleException(std::make_exception_ptr(std::runtime_error("odd")));
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "Kestrel: Caught Error in Kestrel Analytics Code");
        EXPECT_EQ(lines[1], "Kestrel: odd");
    }
    {
        test::LogCapture log;
        KestrelUtil::handleException(base::Value("plain"));
        auto lines = log.lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1], "Kestrel: plain");
    }
    {
        test::LogCapture log;
        KestrelUtil::handleException(std::make_exception_ptr(42));
        EXPECT_EQ(log.lines().size(), 2u);
    }
}

TEST_F(KestrelUtilTest, DebugLinesAppearOnlyWithDebugLogging) {
    {
        test::LogCapture log;
        KestrelUtil::debugLog("Kestrel: hidden %d", 1);
        EXPECT_TRUE(log.lines().empty());
    }
    KestrelUtil::setDebugLogEnabled(true);
    EXPECT_TRUE(KestrelUtil::isDebugLogEnabled());
    test::LogCapture log;
    KestrelUtil::debugLog("Kestrel: shown %d", 2);
    EXPECT_TRUE(log.contains("Kestrel: shown 2"));
}

TEST_F(KestrelUtilTest, OrientationTestsFollowTheStatusBar) {
    struct Case {
        InterfaceOrientation orientation;
        bool right, left, upsideDown, landscape;
        char const* name;
    };
    Case const cases[] = {
        {InterfaceOrientation::Portrait, false, false, false, false, "portrait"},
        {InterfaceOrientation::PortraitUpsideDown, false, false, true, false, "portraitUpsideDown"},
        {InterfaceOrientation::LandscapeRight, true, false, false, true, "landscapeRight"},
        {InterfaceOrientation::LandscapeLeft, false, true, false, true, "landscapeLeft"},
    };
    for (auto const& c : cases) {
        orient(c.orientation);
        EXPECT_EQ(KestrelUtil::canvasInLandscapeRight(), c.right) << c.name;
        EXPECT_EQ(KestrelUtil::canvasInLandscapeLeft(), c.left) << c.name;
        EXPECT_EQ(KestrelUtil::canvasInPortraitUpsideDown(), c.upsideDown) << c.name;
        EXPECT_EQ(KestrelUtil::canvasInLandscape(), c.landscape) << c.name;
        EXPECT_EQ(KestrelUtil::canvasInLandscape(std::nullopt), c.landscape) << c.name;
        EXPECT_EQ(KestrelUtil::getCanvasOrientation(), c.name);
    }
}

TEST_F(KestrelUtilTest, OrientationNamesCompareWithoutCase) {
    orient(InterfaceOrientation::LandscapeRight);
    EXPECT_TRUE(KestrelUtil::canvasInLandscape("LANDSCAPELEFT"));
    EXPECT_TRUE(KestrelUtil::canvasInLandscapeLeft("landscapeleft"));
    EXPECT_FALSE(KestrelUtil::canvasInLandscape("portrait"));
    EXPECT_FALSE(KestrelUtil::canvasInLandscapeRight("landscapeRightish"));
    EXPECT_TRUE(KestrelUtil::canvasInPortraitUpsideDown("PortraitUpsideDown"));
    EXPECT_FALSE(KestrelUtil::canvasInLandscape(""));
}

TEST_F(KestrelUtilTest, ScreenBoundsSwapInLandscapeAndGrowOnAPad) {
    struct Case {
        bool pad;
        std::optional<std::string_view> name;
        float width, height;
    };
    orient(InterfaceOrientation::Portrait);
    Case const cases[] = {
        {false, std::nullopt, 320.0f, 480.1f},
        {false, "landscapeLeft", 480.1f, 320.0f},
        {false, "portrait", 320.0f, 480.1f},
        {true, std::nullopt, 768.0f, 1024.1f},
        {true, "LandscapeRight", 1024.1f, 768.0f},
    };
    for (auto const& c : cases) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            c.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        EXPECT_EQ(KestrelUtil::isIPad(), c.pad);
        auto bounds = KestrelUtil::screenBounds(c.name);
        EXPECT_EQ(bounds.origin.x, 0.0f);
        EXPECT_EQ(bounds.origin.y, 0.0f);
        EXPECT_FLOAT_EQ(bounds.size.width, c.width);
        EXPECT_FLOAT_EQ(bounds.size.height, c.height);
    }
    ui::Device::reset();
    orient(InterfaceOrientation::LandscapeLeft);
    EXPECT_FLOAT_EQ(KestrelUtil::screenBounds().size.width, 480.1f);
}

TEST_F(KestrelUtilTest, ConvertStrToNumReadsDecimalNumbersOnly) {
    struct Case {
        char const* text;
        std::optional<double> number;
    };
    Case const cases[] = {
        {"42", 42.0},
        {"-3.25", -3.25},
        {" 7 ", 7.0},
        {"1,234.5", 1234.5},
        {".5", 0.5},
        {"1e3", 1000.0},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.2.3", std::nullopt},
        {"-", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (auto const& c : cases)
        EXPECT_EQ(KestrelUtil::convertStrToNum(c.text), c.number) << c.text;
}

TEST_F(KestrelUtilTest, AddToSetAnswersWhetherItAdded) {
    std::set<std::string> set;
    EXPECT_TRUE(KestrelUtil::addToSet(set, std::string("a")));
    EXPECT_FALSE(KestrelUtil::addToSet(set, std::string("a")));
    EXPECT_EQ(set.size(), 1u);
}

TEST_F(KestrelUtilTest, RemoveViewFromSuperviewTakesItOutAndAcceptsNone) {
    auto parent = ui::View::create();
    auto child = ui::View::create();
    parent->addSubview(child);
    KestrelUtil::removeViewFromSuperview(child.get());
    EXPECT_EQ(child->superview(), nullptr);
    KestrelUtil::removeViewFromSuperview(nullptr);
}

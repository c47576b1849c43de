#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNNumberUtilities.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <foundation/RunLoop.hpp>
#include <support/ScriptedWebView.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNNotification;
using ads::adnoria::ADNNotificationCenter;
using ads::adnoria::ADNURLComponents;

namespace {

class ADNNotificationTest : public test::AdnoriaTest { };

struct BridgeCase {
    char const* url;
    char const* name; // nullptr: no message
    std::vector<std::pair<char const*, char const*>> parameters;
};

}

TEST_F(ADNNotificationTest, BridgeURLsBecomeMessages) {
    BridgeCase const cases[] = {
        {"anmsg:///click?u=http%3A%2F%2Fa.test%2Fx", "click", {{"u", "http://a.test/x"}}},
        {"anmsg://host/settings?applicationTimeout=3", "settings", {{"applicationtimeout", "3"}}},
        {"anmsg:///close", "close", {}},
        {"anmsg:", "", {}},
        {"adnoria://launch?url=http%3A%2F%2Fb.test", "open",
            {{"a", "browser"}, {"u", "http://b.test"}}},
        {"adnoria://launch", "open", {{"a", "browser"}}},
        {"adnoria://log?string=hi&x=1", "log", {{"string", "hi"}, {"x", "1"}}},
        {"adnoria://other?x=1", nullptr, {}},
        {"ANMSG:///click", nullptr, {}},
        {"http://anmsg/click", nullptr, {}},
        {"about:blank", nullptr, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        auto message = ADNNotification::notificationFromURL(c.url);
        if (!c.name) {
            EXPECT_FALSE(message);
            continue;
        }
        ASSERT_TRUE(message);
        EXPECT_EQ(message->name(), c.name);
        std::size_t count = message->parameters() ? message->parameters()->size() : 0;
        EXPECT_EQ(count, c.parameters.size());
        for (auto const& [key, value] : c.parameters)
            EXPECT_EQ(message->parameters()->objectForKey(key), base::Value(value)) << key;
    }
    // "closecanvas" carries no parameters at all.
    auto close = ADNNotification::notificationFromURL("adnoria://closecanvas?x=1");
    ASSERT_TRUE(close);
    EXPECT_EQ(close->name(), "close");
    EXPECT_FALSE(close->parameters());
}

TEST_F(ADNNotificationTest, SchemeTestsAreExact) {
    EXPECT_TRUE(ADNNotification::isNotificationURL("anmsg:///x"));
    EXPECT_TRUE(ADNNotification::isNotificationURL("adnoria://log"));
    EXPECT_FALSE(ADNNotification::isNotificationURL("ANMSG:///x"));
    EXPECT_FALSE(ADNNotification::isNotificationURL("Adnoria://log"));
    EXPECT_TRUE(ADNNotification::isANMSGNotificationURL("anmsg:///x"));
    EXPECT_FALSE(ADNNotification::isANMSGNotificationURL("adnoria://log"));
    EXPECT_TRUE(ADNNotification::isAdnoriaNotificationURL("adnoria://log"));
    EXPECT_FALSE(ADNNotification::isAdnoriaNotificationURL("http://x"));
}

TEST_F(ADNNotificationTest, DescriptionNamesClassNameAndParameters) {
    auto message = ADNNotification::notificationFromURL("anmsg:///log?string=a");
    auto text = message->description();
    EXPECT_TRUE(text.starts_with("ADNNotification<0x")) << text;
    EXPECT_NE(text.find(">: name:log parameters:"), std::string::npos) << text;
    EXPECT_NE(text.find("string"), std::string::npos) << text;
}

TEST_F(ADNNotificationTest, URLComponentsOfAnyScheme) {
    struct Case {
        char const* url;
        char const* scheme;
        char const* host;
        char const* path;
        char const* query;
    } const cases[] = {
        {"anmsg:///click?u=1#frag", "anmsg", "", "/click", "u=1"},
        {"http://h.test", "http", "h.test", "", ""},
        {"http://h.test/", "http", "h.test", "/", ""},
        {"mailto:a@b.test?subject=x", "mailto", "", "a@b.test", "subject=x"},
        {"about:blank", "about", "", "blank", ""},
        {"no scheme/path", "", "", "no scheme/path", ""},
        {"1http://x", "", "", "1http://x", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        auto parts = ADNURLComponents::split(c.url);
        EXPECT_EQ(parts.scheme, c.scheme);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.path, c.path);
        EXPECT_EQ(parts.query, c.query);
    }
}

TEST_F(ADNNotificationTest, ReceiveMessageScripts) {
    auto info = base::Dictionary::create();
    info->setObject("result", "ok");
    EXPECT_EQ(ADNNotificationCenter::receiveMessageScript("openableURLs", info),
        "ANMA_ReceiveMessage('openableURLs', {\"result\":\"ok\"});");
    EXPECT_EQ(ADNNotificationCenter::receiveMessageScript("onhide", nullptr),
        "ANMA_ReceiveMessage('onhide');");
    auto view = test::ScriptedWebView::create();
    ADNNotificationCenter::postJSNotification("onhide", nullptr, *view);
    EXPECT_EQ(
        view->evaluatedScripts(), std::vector<std::string> {"ANMA_ReceiveMessage('onhide');"});
}

TEST_F(ADNNotificationTest, DelayedPostingComesOnTheNextTurnFromTheSender) {
    auto view = test::ScriptedWebView::create();
    std::vector<base::Value> seen;
    auto token = ADNNotificationCenter::defaultCenter().observe(
        "settings", [&](auto const& n) { seen.push_back(n.userInfo()); }, view.get());
    ADNNotificationCenter::postNotificationFromURL("anmsg:///settings?a=1", view.get(), 0);
    EXPECT_TRUE(seen.empty());
    foundation::RunLoop::main().runPending();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].dictionary()->objectForKey("a"), base::Value("1"));
    // A URL that makes no message posts nothing.
    ADNNotificationCenter::postNotificationFromURL("adnoria://nothing", view.get(), 0);
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(ADNNotificationTest, OrientationScripts) {
    using ui::InterfaceOrientation;
    EXPECT_EQ(ads::adnoria::ADNWebViewDelegate::orientationScript(InterfaceOrientation::Portrait),
        "window.__defineGetter__('orientation',function(){return "
        "0;});window.onorientationchange();");
    EXPECT_NE(ads::adnoria::ADNWebViewDelegate::orientationScript(
                  InterfaceOrientation::PortraitUpsideDown)
                  .find("return 180;"),
        std::string::npos);
    EXPECT_NE(
        ads::adnoria::ADNWebViewDelegate::orientationScript(InterfaceOrientation::LandscapeRight)
            .find("return 90;"),
        std::string::npos);
    EXPECT_NE(
        ads::adnoria::ADNWebViewDelegate::orientationScript(InterfaceOrientation::LandscapeLeft)
            .find("return -90;"),
        std::string::npos);
    EXPECT_EQ(ads::adnoria::ADNWebViewDelegate::orientationScript(InterfaceOrientation(9)), "");
}

TEST_F(ADNNotificationTest, FloatTexts) {
    struct Case {
        double value;
        char const* text;
    } const cases[]
        = {{0, "0"}, {10, "10"}, {1.5, "1.5"}, {2, "2"}, {-0.25, "-0.25"}, {100.0001, "100.0001"}};
    for (auto const& c : cases)
        EXPECT_EQ(ads::adnoria::ADNNumberUtilities::stringWithFloat(c.value), c.text) << c.value;
}

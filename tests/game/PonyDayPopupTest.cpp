// The pony-day popup on the generated bundle: its layout, its pop-in and dim fade under
// the manual clock, its buttons and the one answer each logs, and how it looks on the
// phone and the tablet.

#include "HudFixture.hpp"

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelEvent.hpp>
#include <analytics/KestrelSession.hpp>
#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>
#include <engine/TouchDispatcher.hpp>
#include <game/server/PonyDayPopup.hpp>
#include <game/shell/ServerConfig.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using game::PonyDayPopup;

namespace {

constexpr char const* message = "Thanks for pampering our ponies! Their stable has more games.";

// Records the analytics events of a session of its own.
class EventLog {
public:
    EventLog() {
        analytics::KestrelSession::setCurrentSession(
            analytics::KestrelSession::initWithAPIKey("pony-test", "1.0"));
    }
    ~EventLog() {
        analytics::KestrelSession::setCurrentSession(nullptr);
        analytics::KestrelAnalytics::reset();
    }
    // "name key=value" lines of the events so far.
    std::vector<std::string> lines() const {
        std::vector<std::string> found;
        for (auto const& event : analytics::KestrelSession::currentSession()->eventLog()) {
            std::string line = event->name();
            if (auto const& parameters = event->parameters()) {
                for (auto const& [key, value] : *parameters)
                    line += " " + key + "=" + value.stringValue();
            }
            found.push_back(line);
        }
        return found;
    }
};

// A layer below the popup that claims every touch it hears of.
class Below final : public engine::Layer {
public:
    bool ccTouchesBegan(ui::TouchSet&, ui::Event*) override {
        ++began;
        return true;
    }
    int began {0};

private:
    friend base::Factory;
    Below() = default;
};

class PonyDayPopupTest : public test::HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        setenv(game::ServerConfig::appStoreHostVariable, "store.example.test", 1);
        ui::Application::reset();
    }
    void TearDown() override {
        unsetenv(game::ServerConfig::appStoreHostVariable);
        engine::TouchDispatcher::sharedDispatcher().removeAllDelegates();
        ui::Application::reset();
        HudTest::TearDown();
    }

    // A touch began at a point of the popup's own space while it stands at (240, 160).
    bool touch(PonyDayPopup& popup, engine::Point at) {
        auto touches = touchAt({240 + at.x, 160 + at.y});
        return popup.ccTouchesBegan(touches, nullptr);
    }
    static std::vector<std::string> const& opened() {
        return ui::Application::sharedApplication().openedExternalURLs();
    }

    EventLog events;
};

TEST_F(PonyDayPopupTest, LaysOutItsNodesAroundTheIcon) {
    auto popup = PonyDayPopup::initWithText(message);
    struct Case {
        engine::SceneNode const* node;
        char const* texture;
        engine::Point position;
    };
    auto* icon = popup->popupIcon();
    for (auto const& c :
        {Case {popup->popupBG2(), "shopBG.png", {0, 0}},
            Case {popup->popupBG(), "ponypopup.png", {0, 0}}, Case {icon, "ponyicon.png", {-76, 0}},
            Case {popup->popupDownloadButton(), "btn_BG_blue.png", {120, -60}},
            Case {popup->popupDismissButton(), "btn_circleClose.png", {120, 60}}}) {
        SCOPED_TRACE(c.texture);
        auto const* sprite = dynamic_cast<engine::Sprite const*>(c.node);
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->position(), c.position);
        EXPECT_EQ(sprite->anchorPoint(), (engine::Point {0.5f, 0.5f}));
        EXPECT_EQ(sprite->contentSize(), texture(c.texture)->contentSize());
    }
    EXPECT_FALSE(popup->popupBG2()->visible());
    EXPECT_TRUE(popup->popupBG()->visible());

    // The text: a white centred 150 x 150 box right of the icon, its top line level
    // with the icon's top.
    auto* label = popup->popupLabel();
    EXPECT_EQ(label->getText(), message);
    EXPECT_EQ(label->dimensions(), (engine::Size {150, 150}));
    EXPECT_EQ(label->alignment(), engine::TextAlignment::Center);
    EXPECT_EQ(label->fontName(), "Helvetica");
    EXPECT_EQ(label->fontSize(), 14);
    EXPECT_EQ(label->color(), (engine::Color3B {255, 255, 255}));
    auto text = label->getTextSize();
    ASSERT_GT(text.width, 0);
    auto iconSize = icon->contentSize();
    EXPECT_FLOAT_EQ(label->position().x, -76 + iconSize.width / 2 + 10 + text.width / 2);
    EXPECT_FLOAT_EQ(label->position().y, iconSize.height / 2 - text.height);

    // Children in drawing order, all at z 0; the download button carries its caption.
    std::vector<engine::SceneNode const*> order;
    for (auto const& child : popup->children()) {
        order.push_back(child.get());
        EXPECT_EQ(child->zOrder(), 0);
    }
    EXPECT_EQ(order,
        (std::vector<engine::SceneNode const*> {popup->popupBG2(), popup->popupBG(), icon, label,
            popup->popupDismissButton(), popup->popupDownloadButton()}));
    auto const& caption = popup->popupDownloadButton()->children();
    ASSERT_EQ(caption.size(), 1u);
    auto const* download = dynamic_cast<engine::Label const*>(caption[0].get());
    ASSERT_NE(download, nullptr);
    EXPECT_EQ(download->getText(), "Download");
    EXPECT_EQ(download->fontSize(), 18);
    auto button = popup->popupDownloadButton()->contentSize();
    EXPECT_EQ(download->position(), (engine::Point {button.width / 2, button.height / 2}));
    EXPECT_TRUE(popup->isTouchEnabled());

    // The opacity reaches every sprite but not the text.
    popup->setOpacity(100);
    for (auto* sprite : {popup->popupBG(), popup->popupBG2(), icon, popup->popupDismissButton(),
             popup->popupDownloadButton()})
        EXPECT_EQ(sprite->opacity(), 100);
    EXPECT_EQ(label->opacity(), 255);
}

TEST_F(PonyDayPopupTest, PopsInThenFadesTheDimmingIn) {
    auto popup = PonyDayPopup::showWithText(message, layer.get(), 10011);
    EXPECT_EQ(popup->parent(), layer.get());
    EXPECT_EQ(popup->zOrder(), 10011);
    EXPECT_EQ(popup->position(), (engine::Point {240, 160}));
    EXPECT_EQ(popup->anchorPoint(), (engine::Point {0, 0}));
    // Scale at the ends of each step: 1.2 after 0.2 s, 0.9 after 0.3 s, 1.0 after 0.4 s
    // (the first frame starts the sequence without time passing); the dimming comes
    // with the last step.
    struct Step {
        int frames;
        float scale;
        bool dim;
    };
    EXPECT_FLOAT_EQ(popup->scale(), 0);
    for (auto const& s : {Step {13, 1.2f, false}, Step {6, 0.9f, false}, Step {6, 1.0f, true}}) {
        frames(s.frames);
        EXPECT_NEAR(popup->scale(), s.scale, 1e-3);
        EXPECT_EQ(popup->popupBG2()->visible(), s.dim);
    }
    EXPECT_LT(popup->popupBG2()->opacity(), 60) << "the fade has just begun";
    frames(20);
    EXPECT_EQ(popup->popupBG2()->opacity(), 255);

    // Without a parent nothing runs.
    auto alone = PonyDayPopup::showWithText(message, nullptr, 3);
    frames(30);
    EXPECT_EQ(alone->parent(), nullptr);
    EXPECT_FLOAT_EQ(alone->scale(), 0);
    EXPECT_FALSE(alone->popupBG2()->visible());
}

TEST_F(PonyDayPopupTest, EachAnswerIsLoggedOnceAndTheDownloadOpensTheStorePage) {
    struct Case {
        char const* name;
        std::vector<engine::Point> presses;
        std::vector<std::string> events;
        int pagesOpened;
        bool closed;
    };
    engine::Point const close {120, 60};
    engine::Point const download {120, -60};
    engine::Point const panel {0, -80};
    engine::Point const screenCorner {-230, -150};
    for (auto const& c : {
             Case {"close", {close}, {"PonyDay_Finish popup_response=dismiss"}, 0, true},
             Case {"download", {download}, {"PonyDay_Finish popup_response=clickthru"}, 1, false},
             Case {"download then close", {download, close},
                 {"PonyDay_Finish popup_response=clickthru"}, 1, true},
             Case {"close pressed twice while it shrinks", {close, close},
                 {"PonyDay_Finish popup_response=dismiss"}, 0, true},
             Case {"elsewhere: nothing", {panel, screenCorner, {-76, 0}}, {}, 0, false},
         }) {
        SCOPED_TRACE(c.name);
        EventLog log;
        ui::Application::reset();
        auto popup = PonyDayPopup::showWithText(message, layer.get(), 10011);
        frames(30);
        for (auto at : c.presses) {
            EXPECT_TRUE(touch(*popup, at)) << "every touch is taken";
            frames(1);
        }
        EXPECT_EQ(log.lines(), c.events);
        EXPECT_EQ(int(opened().size()), c.pagesOpened);
        if (c.pagesOpened) {
            EXPECT_EQ(opened()[0],
                "itms-apps://store.example.test/WebObjects/MZStore.woa/wa/viewSoftware?id="
                    + std::string(PonyDayPopup::promotedProductID) + "&mt=8");
            EXPECT_TRUE(popup->ponyDayClickThru());
        }
        if (c.closed) {
            EXPECT_FALSE(popup->popupBG2()->visible()) << "the dimming goes at once";
        }
        // The close shrinks it to 1.2 and then to nothing, and it leaves its parent.
        frames(30);
        EXPECT_EQ(popup->parent() == nullptr, c.closed);
        if (!c.closed) {
            EXPECT_FLOAT_EQ(popup->scale(), 1);
            layer->removeChild(popup.get(), engine::Cleanup::Yes);
        }
    }
}

TEST_F(PonyDayPopupTest, WithoutAStoreHostTheDownloadStillAnswersButOpensNothing) {
    unsetenv(game::ServerConfig::appStoreHostVariable);
    auto popup = PonyDayPopup::showWithText(message, layer.get(), 10011);
    frames(30);
    touch(*popup, {120, -60});
    EXPECT_TRUE(opened().empty());
    EXPECT_EQ(
        events.lines(), (std::vector<std::string> {"PonyDay_Finish popup_response=clickthru"}));
}

TEST_F(PonyDayPopupTest, TouchesWhileItIsUpReachNothingBelow) {
    auto below = base::make<Below>();
    below->setIsTouchEnabled(true);
    layer->addChild(below, 0);
    auto popup = PonyDayPopup::showWithText(message, layer.get(), 10011);
    frames(30);
    auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
    for (engine::Point at : {engine::Point {10, 10}, engine::Point {240, 100}}) {
        auto touches = touchAt(at);
        dispatcher.touchesBegan(touches, nullptr);
    }
    EXPECT_EQ(below->began, 0);
    EXPECT_TRUE(events.lines().empty());
    // Once it has closed, touches reach the layer below again.
    auto touches = touchAt({360, 220});
    dispatcher.touchesBegan(touches, nullptr);
    frames(30);
    ASSERT_EQ(popup->parent(), nullptr);
    dispatcher.touchesBegan(touches, nullptr);
    EXPECT_EQ(below->began, 1);
}

}

// What the player sees: the popup fully popped in and the dimming faded in, over a
// green stand-in for the salon, on the phone and on the tablet (left in the output
// folder as pony-day-popup-phone.png and pony-day-popup-tablet.png).
class PonyDayPopupLookTest : public test::HudTest, public ::testing::WithParamInterface<bool> {
protected:
    PonyDayPopupLookTest()
        : HudTest(GetParam() ? 1024 : 480, GetParam() ? 768 : 320) { }

    void SetUp() override {
        HudTest::SetUp();
        if (GetParam()) {
            tablet();
            screen.emplace(engine::Size {1024, 768}, 1);
        }
    }
    void TearDown() override {
        screen.reset();
        HudTest::TearDown();
    }

    void draw() {
        glClearColor(0.45f, 0.75f, 0.5f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }

    std::optional<test::FakeDirector> screen;
};

TEST_P(PonyDayPopupLookTest, ShowsTheMessageOnItsPanel) {
    auto popup = PonyDayPopup::showWithText(message, layer.get(), 10011);
    frames(60);
    draw();
    auto path = saveImage(std::string("pony-day-popup-") + (GetParam() ? "tablet" : "phone"));
    EXPECT_TRUE(std::filesystem::exists(path));
    // It stands at the screen's centre on both devices: there the panel's colour, not
    // the salon's green.
    auto centre = GetParam() ? pixel(512, 384) : pixel(240, 160);
    EXPECT_EQ(
        popup->position(), (GetParam() ? engine::Point {512, 384} : engine::Point {240, 160}));
    EXPECT_FALSE(centre.g > centre.r + 40 && centre.g > centre.b + 40);
}

INSTANTIATE_TEST_SUITE_P(Devices, PonyDayPopupLookTest, ::testing::Values(false, true),
    [](auto const& device) { return device.param ? "Tablet" : "Phone"; });

// The check-in client: its start and shared instance, the check-in link or the explain
// screen by whether the companion program is installed, the escaping of the link's
// values, the events the service receives, the bundle facts it reads, and the engine
// variant that pauses the director while its screen shows.

#include "HowdyTestSupport.hpp"

#include <ads/howdy/HZCheckinButton.hpp>
#include <ads/howdy/HowdySceneSDK.hpp>
#include <foundation/Strings.hpp>
#include <graphics/Image.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>

using ads::howdy::HowdySceneSDK;
using ads::howdy::HowdySDK;
using ads::howdy::HZExplainScreenView;

namespace {

class HowdySDKTest : public test::HowdyTest { };

TEST_F(HowdySDKTest, EachStartReplacesTheSharedClientAndReportsItself) {
    EXPECT_EQ(HowdySDK::sharedSDK(), nullptr);
    auto* first = HowdySDK::startHowdyWithAppId("123456789");
    EXPECT_EQ(HowdySDK::sharedSDK(), first);
    EXPECT_EQ(first->appId(), "123456789");
    EXPECT_EQ(first->appURL(), std::optional<std::string>("quillaby://"))
        << "the first URL type that has schemes gives the way back";
    EXPECT_FALSE(first->appName());
    ASSERT_TRUE(waitForEvents(1));
    auto request = service.requests()[0];
    EXPECT_EQ(request.path, "/mobile/track_sdk_event");
    EXPECT_EQ(request.query,
        "device_id=install-42&for_game_store_id=123456789&type=howdy-start&platform=iphone");
    auto* second = HowdySDK::startHowdyWithAppId("987654321", std::string("back://here"));
    EXPECT_EQ(HowdySDK::sharedSDK(), second);
    EXPECT_EQ(HowdySceneSDK::sharedSDK(), second) << "one shared client through either class";
    EXPECT_EQ(dynamic_cast<HowdySceneSDK*>(second), nullptr);
    EXPECT_EQ(events(2), (std::vector<std::string> {"howdy-start", "howdy-start"}));
}

TEST_F(HowdySDKTest, CheckinOpensTheCompanionWhenInstalledAndTheExplainScreenOtherwise) {
    struct Case {
        bool installed;
        char const* message;
        char const* opened; // null: the explain screen shows
    };
    Case const cases[] {
        {true, "", "howdy://checkin?app_store_id=123456789&next=quillaby%3A%2F%2F"},
        {true, "Grooming & more = fun",
            "howdy://checkin?app_store_id=123456789&next=quillaby%3A%2F%2F"
            "&message=Grooming%20%26%20more%20%3D%20fun"},
        {true, "caf\xc3\xa9",
            "howdy://checkin?app_store_id=123456789&next=quillaby%3A%2F%2F"
            "&message=caf%C3%A9"},
        {false, "", nullptr},
        {false, "Hello there", nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.message);
        ui::Application::reset();
        window->makeKeyAndVisible();
        installCompanion(c.installed);
        auto* sdk = HowdySDK::startHowdyWithAppId("123456789");
        if (*c.message)
            sdk->checkinWithMessage(std::string(c.message));
        else
            sdk->checkin();
        // Asked once, and once more by the explain screen.
        EXPECT_EQ(ui::Application::sharedApplication().canOpenURLQueries(),
            std::vector<std::string>(c.installed ? 1 : 2, "howdy://checkin"));
        if (c.opened) {
            EXPECT_EQ(opened(), std::vector<std::string> {c.opened});
            EXPECT_EQ(explainScreen(), nullptr);
        } else {
            EXPECT_TRUE(opened().empty());
            auto* screen = explainScreen();
            ASSERT_NE(screen, nullptr);
            EXPECT_EQ(screen->sdk(), sdk);
            EXPECT_EQ(screen->appName(), "Quillaby") << "the bundle's name";
            EXPECT_EQ(screen->message(), std::optional<std::string>(c.message));
            screen->postDismissCleanup();
        }
    }
}

TEST_F(HowdySDKTest, AMissingMessageAndAMissingWayBackAddNothing) {
    installCompanion(true);
    auto* sdk = HowdySDK::startHowdyWithAppId("1 2&3", std::nullopt);
    EXPECT_EQ(
        sdk->checkinURLWithMessage(std::nullopt), "howdy://checkin?app_store_id=1%202%263&next=");
    EXPECT_EQ(
        sdk->checkinURLWithMessage(std::string()), "howdy://checkin?app_store_id=1%202%263&next=");
}

TEST_F(HowdySDKTest, EventQueriesAreEscapedAndOnlyStringEntriesAreSent) {
    auto* sdk = HowdySDK::startHowdyWithAppId("42");
    ASSERT_TRUE(waitForEvents(1));
    sdk->requestURL(
        "custom", *base::Dictionary::create({{"a b", "x&y=z"}, {"n", 5}, {"plain", "v"}}));
    ASSERT_TRUE(waitForEvents(2));
    auto request = service.requests()[1];
    EXPECT_EQ(request.path, "/mobile/custom");
    EXPECT_EQ(request.query, "a%20b=x%26y%3Dz&plain=v");
}

TEST_F(HowdySDKTest, WithoutAServiceNothingIsSent) {
    ads::howdy::HowdyConfiguration::setUp({"", "", "install-42"});
    installCompanion(true);
    HowdySDK::startHowdyWithAppId("42")->checkin();
    EXPECT_EQ(opened().size(), 1u) << "the check-in itself still works";
    advance(0.5);
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(HowdySDKTest, TheSystemVersionDecidesSupportAndAnOldOneGetsTheUpgradeAlert) {
    struct Case {
        char const* version;
        bool supported;
    };
    for (auto c : {Case {"3.1.3", false}, Case {"4.0", true}, Case {"4", true},
             Case {"4.3.1", true}, Case {"10.2", true}, Case {"3.99", false}}) {
        ui::Device::currentDevice().setSystemVersion(c.version);
        EXPECT_EQ(HowdySDK::isSupported(), c.supported) << c.version;
    }
    ui::Device::currentDevice().setSystemVersion("3.1.3");
    HowdySDK::startHowdyWithAppId("42")->checkin();
    EXPECT_EQ(explainScreen(), nullptr);
    ui::AlertView* alert = nullptr;
    for (auto const& view : window->subviews())
        if (auto* found = dynamic_cast<ui::AlertView*>(view.get()))
            alert = found;
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "You need to upgrade!");
}

TEST_F(HowdySDKTest, TheBundleGivesNameAndIconAndTheStorePageUsesTheConfiguredHost) {
    EXPECT_EQ(HowdySDK::defaultAppName(), "Quillaby");
    EXPECT_EQ(HowdySDK::deviceId(), "install-42");
    EXPECT_EQ(HowdySDK::appImage(), nullptr) << "the bundle has no Icon.png";
    HowdySDK::openAppStore();
    EXPECT_EQ(
        opened(), std::vector<std::string> {"https://store.example/us/app/howdy/id000000000?mt=8"});
    ads::howdy::HowdyConfiguration::setUp({service.baseURL(), "", "install-42"});
    HowdySDK::openAppStore();
    EXPECT_EQ(opened().size(), 1u) << "no store host, no page";
}

// A director that records what the engine variant asks of it.
class RecordingDirector final : public ads::howdy::HowdyDirector {
public:
    RecordingDirector()
        : view(ui::View::create({0, 0, 480, 320})) { }
    ui::View* openGLView() override { return view.get(); }
    void pause() override { calls.push_back("pause"); }
    void resume() override { calls.push_back("resume"); }

    base::Ref<ui::View> view;
    std::vector<std::string> calls;
};

TEST_F(HowdySDKTest, TheEngineVariantShowsItsScreenOverTheEngineAndPausesItMeanwhile) {
    RecordingDirector director;
    window->addSubview(director.view);
    HowdySceneSDK::setDirector(&director);
    auto* sdk = HowdySceneSDK::startHowdyWithAppId("42");
    ASSERT_NE(dynamic_cast<HowdySceneSDK*>(sdk), nullptr);
    sdk->checkin();
    ASSERT_EQ(director.view->subviews().size(), 2u) << "the tap catcher, then the screen";
    EXPECT_EQ(director.view->subviews()[0]->tag(), HZExplainScreenView::TouchViewTag);
    auto* screen = dynamic_cast<HZExplainScreenView*>(director.view->subviews()[1].get());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(director.calls, std::vector<std::string> {"pause"});
    advance(1);
    EXPECT_EQ(director.calls, std::vector<std::string> {"pause"}) << "paused while it shows";
    screen->cancel();
    EXPECT_EQ(director.calls, (std::vector<std::string> {"pause", "resume", "resume"}));
    advance(0.5);
    EXPECT_TRUE(director.view->subviews().empty());
    HowdySceneSDK::setDirector(nullptr);
}

TEST_F(HowdySDKTest, WithoutADirectorTheEngineVariantUsesTheKeyWindow) {
    HowdySceneSDK::setDirector(nullptr);
    HowdySceneSDK::startHowdyWithAppId("42")->checkin();
    EXPECT_NE(explainScreen(), nullptr);
}

TEST_F(HowdySDKTest, TheCheckinButtonReportsItsFirstDrawingAndChecksInWithItsMessage) {
    installCompanion(true);
    auto* sdk = HowdySDK::startHowdyWithAppId("42");
    auto button = ads::howdy::HZCheckinButton::initWithFrame({0, 0, 57, 57});
    for (int i = 0; i < 2; ++i) {
        ui::GraphicsContext context({57, 57});
        button->drawRect(context, button->bounds());
    }
    button->setCheckinMessage(std::string("At the salon"));
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(opened(),
        std::vector<std::string> {"howdy://checkin?app_store_id=42&next=quillaby%3A%2F%2F"
                                  "&message=At%20the%20salon"});
    // A button of its own client in the host's style draws the host's image.
    auto own = ads::howdy::HZCheckinButton::initWithFrame({0, 0, 57, 57});
    own->setSdk(base::Ref<HowdySDK>(sdk));
    own->setStyle(ads::howdy::HZCheckinButton::HostImageStyle);
    ui::GraphicsContext bare({57, 57});
    own->drawRect(bare, own->bounds());
    EXPECT_FALSE(bare.hasDrawn()) << "no image yet";
    own->setImage(ui::Image::imageWithBitmap(graphics::Image(4, 4)));
    ui::GraphicsContext context({57, 57});
    own->drawRect(context, own->bounds());
    EXPECT_TRUE(context.hasDrawn());
    EXPECT_EQ(events(4),
        (std::vector<std::string> {"checkin-button-clicked", "checkin-button-shown",
            "checkin-button-shown", "howdy-start"}))
        << "once per button";
}

}

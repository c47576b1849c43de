// The application delegate under the manual clock with the real server client against
// the stand-in game server, and recording marketing, store, ad and alert stand-ins: the launch
// order, the life cycle, the server's restore and transfer questions, opened URLs, the install ping
// against a loopback server, and the process entry's language choice.

#include "ShellFakes.hpp"
#include "ShellFixture.hpp"

#include <engine/Director.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameSettingManager.hpp>
#include <game/shell/MainScene.hpp>
#include <game/shell/ProcessEntry.hpp>
#include <game/shell/QuillabyAppDelegate.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>

#include <cstdlib>
#include <regex>

using game::GameGlobals;

namespace {

class QuillabyAppDelegateTest : public test::AppShellTest {
protected:
    QuillabyAppDelegateTest() { application().setDelegate(&delegate); }
    ~QuillabyAppDelegateTest() override {
        unsetenv(game::ServerConfig::adnoriaHostVariable);
        foundation::Thread::waitForDetachedThreads(10);
        if (launched)
            application().terminate();
        application().setDelegate(nullptr);
    }

    static ui::Application& application() { return ui::Application::sharedApplication(); }
    static GameGlobals& globals() { return GameGlobals::shared(); }

    // Launched and active, the main scene running and its interface made.
    void launch() {
        application().finishLaunching();
        launched = true;
        frame();
        ASSERT_TRUE(frameUntil([] { return globals().interface != nullptr; }));
        // What the launch and the view's appearance queued has gone out and ended.
        server.take();
        ASSERT_TRUE(offersSettled());
    }

    static base::Ref<base::Dictionary> store(
        std::initializer_list<std::pair<char const*, base::Value>> entries) {
        auto made = base::Dictionary::create();
        for (auto const& [key, value] : entries)
            made->setObject(key, value);
        return made;
    }
    static void post(char const* name) {
        foundation::NotificationCenter::defaultCenter().postNotification(name);
    }

    game::QuillabyAppDelegate delegate;
    bool launched {false};
};

TEST_F(QuillabyAppDelegateTest, TheLaunchBringsTheServicesUpInOrderAndNeverLogsTheSecretKey) {
    test::LogCapture captured;
    launch();
    auto id = game::BountixSetting::getBountixID();
    auto secret = game::BountixSetting::getBountixSecret();
    std::vector<std::string> started;
    for (auto const& call : log.calls) {
        if (call.starts_with("marketing.") || call.starts_with("ads.")
            || call.starts_with("analytics."))
            started.push_back(call);
    }
    // The purchase manager is made at launch and observes the store from then on.
    EXPECT_TRUE(game::InAppPurchase::hasSharedManager());
    EXPECT_EQ(&game::PurchaseManager::shared(), &game::InAppPurchase::sharedManager());
    EXPECT_EQ(started,
        std::vector<std::string>({"marketing.start", "ads.connect " + id + " " + secret,
            "ads.featuredCount 10", "analytics.start " + game::GameSettingManager::getKestrelID(),
            "ads.howdy " + game::GameSettingManager::getiTunesID(),
            "ads.marquee " + game::BountixSetting::getMarqueeID() + " "
                + game::BountixSetting::getMarqueeSig()}));
    // The root view controller carries the achievement banners from now on.
    EXPECT_EQ(
        game::AchievementSystem::sharedManager().parentViewController(), delegate.viewController());
    for (auto const& line : captured.lines())
        EXPECT_EQ(line.find(secret), std::string::npos) << line;
    EXPECT_TRUE(captured.contains("Checklist - BTXID:" + id));
    // The connect reached the offer service with the id, never the key, and the balance
    // was asked for after it.
    auto connects = offerRequests("/connect");
    ASSERT_EQ(connects.size(), 1u);
    EXPECT_NE(connects[0].query.find("app_id=" + id), std::string::npos) << connects[0].query;
    EXPECT_EQ(connects[0].query.find(secret), std::string::npos);
    EXPECT_EQ(offerRequests("/get_vg_store_items/user_account").size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "home/Library/Marrowby"));
    ASSERT_TRUE(delegate.viewController());
    EXPECT_EQ(application().keyWindow(), delegate.window());
    EXPECT_EQ(
        engine::Director::sharedDirector().runningScene(), delegate.viewController()->mainScene());
    EXPECT_EQ(game::QuillabyAppDelegate::sharedDelegate(), &delegate);
}

TEST_F(QuillabyAppDelegateTest, BecomingActiveQueuesTheServerCallsInOrderOutsideTheSalonOnly) {
    launch();
    struct Case {
        char const* name;
        bool online;
        int state;
        bool queues;
    };
    for (auto const& c : {Case {"main menu", true, game::ProgramStateMainMenu, true},
             Case {"salon", true, game::ProgramStateShop, false},
             Case {"offline", false, game::ProgramStateMainMenu, false}}) {
        SCOPED_TRACE(c.name);
        setOnline(c.online);
        globals().curProgramState = c.state;
        application().resignActive();
        EXPECT_TRUE(engine::Director::sharedDirector().isPaused());
        log.take();
        server.take();
        application().becomeActive();
        std::vector<std::string> expected;
        if (c.queues)
            expected = {"server.BTXComponents", "server.CheckDirectives", "server.AuthToken",
                "server.CheckRestore"};
        EXPECT_EQ(server.calls(), expected);
        EXPECT_EQ(log.only("marketing.").size(), c.queues ? 1u : 0u);
        EXPECT_EQ(game::MarketingKit::shared().delegate(),
            c.queues ? delegate.viewController() : nullptr);
        game::MarketingKit::shared().setDelegate(nullptr);
        // Audio and the game resume in every case.
        EXPECT_FALSE(engine::Director::sharedDirector().isPaused());
        EXPECT_FALSE(delegate.viewController()->isPausingGame());
    }
}

TEST_F(QuillabyAppDelegateTest, TheFirstLaunchRegistersTheInstallOnceAndTheNextLaunchSendsNothing) {
    launch();
    ASSERT_TRUE(marketingSettled());
    EXPECT_EQ(log.only("marketing.start").size(), 1u);
    EXPECT_NE(foundation::UserDefaults::standardUserDefaults().integerForKey(
                  serverkit::CHKManager::installedTimestampKey),
        0);
    auto registrations = marketing.requests();
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_NE(registrations[0].body.find("\"ios:deviceId\":\"" + game::Utilities::getUDID() + "\""),
        std::string::npos)
        << registrations[0].body;

    // The next launch of the same installation starts the kit the same way.
    log.take();
    clearMarketing();
    game::GameServerClient::shared().startMarketingKit();
    ASSERT_TRUE(marketingSettled());
    EXPECT_TRUE(log.only("marketing.start").empty());
    EXPECT_EQ(marketing.requestCount(), 1u);
}

TEST_F(QuillabyAppDelegateTest, MarketingCreditsBecomeVovAzavuzWithTheirAlertsOnce) {
    launch();
    ASSERT_TRUE(marketingSettled());
    routeCredits(R"([{"id":7,"credits":10,"reason":"Welcome","timePosted":1},)"
                 R"({"id":8,"credits":25,"reason":"Thanks","timePosted":2}])");
    globals().petPoints = 0;
    log.take();
    application().resignActive();
    application().becomeActive();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([] { return globals().petPoints == 35; }, 10));
    EXPECT_EQ(log.only("alert"),
        std::vector<std::string>(
            {"alert You Received 10 Free Vov Azavuz!", "alert You Received 25 Free Vov Azavuz!"}));
    EXPECT_EQ(alerts.messages, std::vector<std::string>({"Welcome", "Thanks"}));

    // The service lists the same credits at the next activation: nothing more.
    application().resignActive();
    application().becomeActive();
    EXPECT_EQ(log.only("marketing.requestUnreadCredits").size(), 2u);
    ASSERT_TRUE(marketingSettled());
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(globals().petPoints, 35);
    EXPECT_EQ(log.only("alert").size(), 2u);

    // A reply that is not JSON is dropped.
    routeCredits(R"([{"id":9,"credits":5,"reason":"Bonus"}])", "text/html");
    application().resignActive();
    application().becomeActive();
    ASSERT_TRUE(marketingSettled());
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(globals().petPoints, 35);
}

TEST_F(QuillabyAppDelegateTest, WithoutNetworkTheGameLaunchesPausesAndResumesAndNothingIsSent) {
    setOnline(false);
    launch();
    application().becomeActive();
    application().resignActive();
    EXPECT_TRUE(engine::Director::sharedDirector().isPaused());
    application().becomeActive();
    EXPECT_FALSE(engine::Director::sharedDirector().isPaused());
    ASSERT_TRUE(frameUntil([] { return globals().curProgramState == game::ProgramStateMainMenu; }));
    // The checks that the view queues as it appears wait in the queue offline; nothing
    // reaches the server, the statistics least of all.
    EXPECT_TRUE(server.calls().empty());
    EXPECT_GT(serverkit::QBYConnect::sharedManager().queuedCallCount(), 0u);
    EXPECT_TRUE(log.only("marketing.request").empty());
}

TEST_F(QuillabyAppDelegateTest, ResigningAndTheBackgroundPauseTheGameAndTheSalon) {
    launch();
    auto& director = engine::Director::sharedDirector();
    log.take();
    application().resignActive();
    EXPECT_TRUE(director.isPaused());
    EXPECT_TRUE(director.isAnimating());
    EXPECT_EQ(log.only("interface.autoPause").size(), 1u);
    application().enterBackground();
    EXPECT_FALSE(director.isAnimating());
    EXPECT_EQ(log.only("interface.autoPause").size(), 2u);
    application().enterForeground();
    application().becomeActive();
    EXPECT_TRUE(director.isAnimating());
    EXPECT_FALSE(director.isPaused());
}

TEST_F(QuillabyAppDelegateTest, AMemoryWarningKeepsTexturesWhileTheGameIsPaused) {
    launch();
    test::LogCapture captured;
    application().resignActive();
    application().receiveMemoryWarning();
    EXPECT_TRUE(captured.contains("Received memory warning!"));
    EXPECT_FALSE(captured.contains("Release texture"));
    application().becomeActive();
    application().receiveMemoryWarning();
    EXPECT_TRUE(captured.contains("Release texture"));
}

TEST_F(QuillabyAppDelegateTest, OnlyURLsEndingInRvcofferOpenTheCrossPromotion) {
    launch();
    struct Case {
        char const* url;
        bool opens;
    };
    for (auto const& c : {Case {"quillaby://rvcoffer", true}, Case {"quillaby://x/rvcoffer", true},
             Case {"quillaby://rvcoffer/", false}, Case {"quillaby://rvcoffers", false},
             Case {"quillaby://open", false}}) {
        EXPECT_EQ(application().openURL(c.url), c.opens) << c.url;
        auto* panel = crossPromotion().cpAPIView();
        EXPECT_EQ(panel != nullptr, c.opens) << c.url;
        if (!panel)
            continue;
        // The real panel over the game, loading the store site's entry page.
        EXPECT_EQ(panel->superview(), delegate.viewController()->view()) << c.url;
        EXPECT_EQ(crossPromotion().cpAPIToolbar()->items()[0]->title(), "Back");
        ASSERT_TRUE(crossPromotionLoaded()) << c.url;
        EXPECT_EQ(crossPromotion().cpAPIWebView()->request().URL(),
            storeSite.url(serverkit::RVCCrossPromoteView::EntryPage));
        crossPromotion().dismiss();
    }
}

TEST_F(QuillabyAppDelegateTest, AFailedOfferWallConnectionZeroesThePendingActions) {
    launch();
    game::DataManager::setInt(1, "BTX_DAY2_ACTION");
    game::DataManager::setInt(1, "BTX_5_CUST_ACTION");
    delegate.pendingActions() = {"BTX_DAY2_ACTION", "BTX_5_CUST_ACTION"};
    post(game::BTXConnectFailedNotification);
    EXPECT_TRUE(delegate.pendingActions().empty());
    EXPECT_EQ(game::DataManager::getIntForKey("BTX_DAY2_ACTION", -1), 0);
    EXPECT_EQ(game::DataManager::getIntForKey("BTX_5_CUST_ACTION", -1), 0);

    game::DataManager::setInt(1, "BTX_DAY2_ACTION");
    delegate.pendingActions() = {"BTX_DAY2_ACTION"};
    post(game::BTXConnectSuccessNotification);
    EXPECT_TRUE(delegate.pendingActions().empty());
    EXPECT_EQ(game::DataManager::getIntForKey("BTX_DAY2_ACTION", -1), 1);
}

TEST_F(QuillabyAppDelegateTest, APayPerActionTheOfferServiceDidNotAcceptIsPutBackForALaterReport) {
    launch();
    auto action = game::BountixSetting::getPayPerAction(2);
    struct Case {
        char const* name;
        test::HttpResponse answer;
        int kept;
    };
    for (auto const& c : {Case {"accepted", test::HttpResponse::text("<ok/>"), 1},
             Case {"server error", test::HttpResponse::text("down", 503), 0},
             Case {"not found", test::HttpResponse::text("", 404), 0},
             Case {"no answer", test::HttpResponse::dropped(), 0}}) {
        SCOPED_TRACE(c.name);
        offers.route("GET", "/connect", c.answer);
        offers.clearRequests();
        game::DataManager::setInt(1, "BTX_DAY2_ACTION");
        delegate.pendingActions() = {"BTX_DAY2_ACTION"};
        game::AdClients::shared().actionComplete(action);
        ASSERT_TRUE(offersSettled());
        ASSERT_FALSE(offerRequests("/connect").empty());
        EXPECT_NE(offerRequests("/connect")[0].query.find("app_id=" + action), std::string::npos);
        EXPECT_TRUE(delegate.pendingActions().empty());
        EXPECT_EQ(game::DataManager::getIntForKey("BTX_DAY2_ACTION", -1), c.kept);
    }
}

TEST_F(
    QuillabyAppDelegateTest, ATransferStoreWithDataShowsOrHidesTheSeasonsButtonWithoutAQuestion) {
    launch();
    globals().curProgramState = game::ProgramStateMainMenu;
    struct Case {
        base::Value data;
        char const* shown;
    };
    for (auto const& c :
        {Case {0, "interface.showSeasonsButton YES"}, Case {3, "interface.showSeasonsButton NO"},
            Case {-1, "interface.showSeasonsButton NO"}}) {
        server.stores["qbykit_checkreward_datastore"] = store({{"data", c.data}});
        log.take();
        server.take();
        post("qbykit_checkreward_notification");
        EXPECT_EQ(log.only("interface.showSeasons"), std::vector<std::string>({c.shown}));
        EXPECT_TRUE(alerts.questions.empty());
    }
    // A missing or empty store asks nothing.
    server.stores.erase("qbykit_checkreward_datastore");
    post("qbykit_checkreward_notification");
    server.stores["qbykit_checkrestore_datastore"] = base::Dictionary::create();
    post("qbykit_checkrestore_notification");
    EXPECT_TRUE(alerts.questions.empty());
}

TEST_F(QuillabyAppDelegateTest, TheQuestionsComeOnlyInTheirProgramStates) {
    launch();
    struct Case {
        int state;
        bool transfer;
        bool restore;
    };
    for (auto const& c :
        {Case {game::ProgramStateNone, false, true}, Case {game::ProgramStateLoading, false, true},
            Case {game::ProgramStateMainMenu, true, true},
            Case {game::ProgramStateShop, false, false}}) {
        SCOPED_TRACE(c.state);
        globals().curProgramState = c.state;
        server.stores["qbykit_checkreward_datastore"] = store({{"DATA_money", "10"}});
        server.stores["qbykit_checkrestore_datastore"] = store({{"DATA_money", "20"}});
        log.take();
        post("qbykit_checkreward_notification");
        post("qbykit_checkrestore_notification");
        std::vector<std::string> expected;
        if (c.transfer)
            expected.push_back("question Data Transfer [Reject|Accept]");
        if (c.restore)
            expected.push_back("question Restore Previous Save [Reject|Accept]");
        EXPECT_EQ(log.only("question"), expected);
        alerts.questions.clear();
    }
}

TEST_F(QuillabyAppDelegateTest, AcceptImportsTheAnsweredQuestionsDataAndRejectTellsTheServer) {
    launch();
    globals().curProgramState = game::ProgramStateMainMenu;
    server.stores["qbykit_checkreward_datastore"] = store({{"DATA_Transfer", "from transfer"}});
    server.stores["qbykit_checkrestore_datastore"] = store({{"DATA_Restore", "from restore"}});
    post("qbykit_checkreward_notification");
    post("qbykit_checkrestore_notification");
    ASSERT_EQ(alerts.questions.size(), 2u);
    EXPECT_EQ(log.only("interface.HiddenMainMenu").size(), 2u);

    // Accepting the restore imports its data only, and the transfer question stays open.
    log.take();
    server.take();
    ASSERT_TRUE(alerts.answer("Restore Previous Save", 1));
    EXPECT_EQ(game::DataManager::getStringForKey("DATA_Restore"), "from restore");
    EXPECT_FALSE(game::DataManager::getStringForKey("DATA_Transfer"));
    EXPECT_EQ(server.calls(), std::vector<std::string>({"server.ConfirmRestore COMPLETE"}));
    EXPECT_EQ(log.only("interface.showMainMenu").size(), 1u);
    EXPECT_EQ(log.only("alert"), std::vector<std::string>({"alert Save data import"}));
    ASSERT_EQ(alerts.questions.size(), 1u);

    log.take();
    server.take();
    ASSERT_TRUE(alerts.answer("Data Transfer", 0));
    EXPECT_FALSE(game::DataManager::getStringForKey("DATA_Transfer"));
    EXPECT_EQ(server.calls(), std::vector<std::string>({"server.RejectReward"}));
    EXPECT_FALSE(delegate.pendingRestoreData());

    struct Case {
        char const* store;
        char const* notification;
        char const* title;
        int index;
        char const* call;
    };
    for (auto const& c : {Case {"qbykit_checkreward_datastore", "qbykit_checkreward_notification",
                              "Data Transfer", 1, "server.ConfirmReward"},
             Case {"qbykit_checkrestore_datastore", "qbykit_checkrestore_notification",
                 "Restore Previous Save", 0, "server.ConfirmRestore USER_CANCELLED"}}) {
        server.stores.clear();
        server.stores[c.store] = store({{"DATA_Again", c.title}});
        post(c.notification);
        log.take();
        server.take();
        ASSERT_TRUE(alerts.answer(c.title, c.index));
        EXPECT_EQ(server.calls(), std::vector<std::string>({c.call}));
    }
}

TEST_F(QuillabyAppDelegateTest, AnImportThatFailsIsNeitherConfirmedNorReportedAsDone) {
    launch();
    globals().curProgramState = game::ProgramStateMainMenu;
    auto bad = store({{"DATA_Money", "12"}});
    bad->setObject("DATA_Nested", base::Value(base::Dictionary::create()));
    server.stores["qbykit_checkrestore_datastore"] = bad;
    post("qbykit_checkrestore_notification");
    log.take();
    server.take();
    ASSERT_TRUE(alerts.answer("Restore Previous Save", 1));
    EXPECT_TRUE(server.calls().empty());
    EXPECT_EQ(alerts.messages.back(), "Save Data could not be imported.");
    EXPECT_FALSE(game::DataManager::getStringForKey("DATA_Money"));
}

TEST_F(QuillabyAppDelegateTest, InterstitialsAreAllowedOnlyInTheMainMenu) {
    launch();
    ASSERT_EQ(ads.marqueeDelegate, &delegate);
    for (int state : {0, 1, 2, 3}) {
        globals().curProgramState = state;
        EXPECT_EQ(delegate.shouldDisplayInterstitial("menu"), state == game::ProgramStateMainMenu)
            << state;
    }
}

TEST_F(QuillabyAppDelegateTest, AnUncaughtExceptionIsReportedToAnalytics) {
    game::QuillabyAppDelegate::handleUncaughtException(
        std::make_exception_ptr(std::runtime_error("broken")));
    EXPECT_EQ(
        log.only("analytics.error"), std::vector<std::string>({"analytics.error Uncaught broken"}));
}

TEST_F(QuillabyAppDelegateTest, TheDeviceHashIsTheUpperCaseMD5OfTheInstallationIdentifier) {
    auto hash = game::QuillabyAppDelegate::hashedISU();
    EXPECT_TRUE(std::regex_match(hash, std::regex("[0-9A-F]{32}"))) << hash;
    EXPECT_EQ(hash, game::Utilities::getMD5(game::Utilities::getUDID()));
    EXPECT_EQ(hash, game::QuillabyAppDelegate::hashedISU());
}

class InstallPingTest : public QuillabyAppDelegateTest {
protected:
    std::string marker() const { return (dir / "home/Documents/adnoria_app_open").string(); }
    void ping() {
        game::QuillabyAppDelegate::reportAppOpenToAdnoria(
            game::QuillabyAppDelegate::adnoriaAddress(), marker());
    }

    test::LoopbackServer adnoria;
};

TEST_F(InstallPingTest, WithoutAHostNothingIsSent) {
    EXPECT_EQ(game::QuillabyAppDelegate::adnoriaAddress(), "");
    launch();
    foundation::Thread::waitForDetachedThreads(10);
    EXPECT_EQ(adnoria.requestCount(), 0u);
}

TEST_F(InstallPingTest, OnlyAFullReplyLeavesTheMarkerSoAnyOtherOutcomeIsTriedAgain) {
    setenv(game::ServerConfig::adnoriaHostVariable, adnoria.baseURL().c_str(), 1);
    struct Case {
        char const* name;
        test::HttpResponse reply;
        bool marked;
    };
    for (auto const& c : {Case {"404", test::HttpResponse::text("gone", 404), false},
             Case {"500", test::HttpResponse::text("error", 500), false},
             Case {"empty", test::HttpResponse::text("", 200), false},
             Case {"dropped", test::HttpResponse::dropped(), false},
             Case {"ok", test::HttpResponse::text("OK", 200), true}}) {
        SCOPED_TRACE(c.name);
        adnoria.route("GET", "/f0", c.reply);
        adnoria.clearRequests();
        ping();
        // A dropped connection may be tried once more by the URL loading.
        ASSERT_GE(adnoria.requestCount(), 1u);
        EXPECT_EQ(std::filesystem::exists(marker()), c.marked);
    }
    auto request = adnoria.requests().front();
    EXPECT_EQ(request.query,
        "isu=" + game::QuillabyAppDelegate::hashedISU()
            + "&md5=1&app_id=" + game::GameSettingManager::getiTunesID());
    // Once marked, the ping is never sent again.
    adnoria.clearRequests();
    ping();
    EXPECT_EQ(adnoria.requestCount(), 0u);
}

TEST_F(InstallPingTest, TheLaunchSendsThePingOnAWorkerThread) {
    setenv(game::ServerConfig::adnoriaHostVariable, adnoria.baseURL().c_str(), 1);
    adnoria.route("GET", "/f0", test::HttpResponse::text("OK", 200));
    launch();
    ASSERT_TRUE(foundation::Thread::waitForDetachedThreads(10));
    EXPECT_EQ(adnoria.requestCount(), 1u);
    EXPECT_TRUE(std::filesystem::exists(marker()));
}

TEST_F(QuillabyAppDelegateTest, TheLanguagePreferenceSetsOrRemovesAppleLanguages) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    // Without a stored list, the defaults answer the system's.
    defaults.removeObjectForKey("AppleLanguages");
    auto system = defaults.stringArrayForKey("AppleLanguages");
    ASSERT_NE(system, std::vector<std::string>({"fr"}));
    struct Case {
        std::optional<std::string> preference;
        std::optional<std::vector<std::string>> languages;
    };
    for (auto const& c : {Case {std::nullopt, std::vector<std::string> {"fr"}},
             Case {"sys_default", system}, Case {"de", std::vector<std::string> {"de"}}}) {
        auto before = base::Array::create();
        before->add("fr");
        defaults.setObject(base::Value(before), "AppleLanguages");
        if (c.preference)
            defaults.setObject(*c.preference, "UserLangPreference");
        else
            defaults.removeObjectForKey("UserLangPreference");
        game::ProcessEntry::applyUserPreferences();
        EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages"), c.languages)
            << c.preference.value_or("none");
    }
}

}

TEST_F(QuillabyAppDelegateTest, ASaveOnTheServerReachesTheRestoreQuestionAndAcceptingConfirmsIt) {
    launch();
    globals().curProgramState = game::ProgramStateMainMenu;
    server.gameServer.offerRestore(R"({"DATA_Restored":"from the server"})");
    application().resignActive();
    log.take();
    application().becomeActive();
    auto sent = server.calls();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "server.CheckRestore");
    EXPECT_EQ(log.only("question"),
        std::vector<std::string>({"question Restore Previous Save [Reject|Accept]"}));

    ASSERT_TRUE(alerts.answer("Restore Previous Save", 1));
    EXPECT_EQ(game::DataManager::getStringForKey("DATA_Restored"), "from the server");
    EXPECT_EQ(server.calls(), std::vector<std::string>({"server.ConfirmRestore COMPLETE"}));
    EXPECT_TRUE(server.gameServer.calls().back().signatureValid);
}

// A pony day from the server to its popup: the directives call against the stand-in
// game server switches pony mode on, the next working day is a pony day whose owners
// pay times the server's multiplier, it ends with the day, and the popup shows the
// server's message and logs the player's answer. The same uid starts no second day
// unless its "freq" allows more.

#include "SalonDay.hpp"

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelEvent.hpp>
#include <analytics/KestrelSession.hpp>
#include <engine/Label.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/server/PonyDayPopup.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GameServerStandIn.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;
using serverkit::PonyDayDirectiveHandler;
using test::GameServerStandIn;

constexpr char const* thanks = "The ponies loved your salon! Visit their stable for more.";

class PonyDaySalonTest : public test::SalonDayTest {
protected:
    void SetUp() override {
        SalonDayTest::SetUp();
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        serverkit::QBYConnect::resetSharedManager();
        auto dataFolder = *foundation::Sandbox::devicePath("/var/mobile/Library/Marrowby");
        std::filesystem::create_directories(dataFolder);
        connection.setUp({gameServer.host(), "udid", dataFolder, "", ""});
        analytics::KestrelSession::setCurrentSession(
            analytics::KestrelSession::initWithAPIKey("pony-day", "1.0"));
    }
    void TearDown() override {
        analytics::KestrelSession::setCurrentSession(nullptr);
        analytics::KestrelAnalytics::reset();
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        SalonDayTest::TearDown();
    }

    // The application becoming active: the directives call with the game's handlers,
    // answered with records.
    void becomeActive(std::vector<std::string> const& records) {
        gameServer.setDirectives(GameServerStandIn::directives(records));
        connection.callAPIMethod({"CheckDirectives",
            {"NotifyDirectiveHandler", "PonyDayDirectiveHandler", "HowdyDirectiveHandler",
                "TransferCoinsDirectiveHandler"}});
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [] {
                return !serverkit::QBYConnect::sharedManager().isLoading()
                    && serverkit::QBYConnect::sharedManager().queuedCallCount() == 0;
            },
            20));
    }

    // A player who keeps the salon running until the day has ended; the fee ratio of
    // every owner who came, and each payment.
    void playTheDay() {
        for (int frames = 0; shop->getShopState() == 2 && frames < 60 * 400; ++frames) {
            for (int i = 0; i < game::Shop::customerSlots; ++i) {
                auto* customer = shop->getCustomer(i);
                auto* pet = shop->getPet(i);
                if (!customer || !pet)
                    break;
                if (std::find(seen.begin(), seen.end(), customer) == seen.end()) {
                    seen.push_back(customer);
                    if (customer->spCharType() < 0)
                        ratios.push_back(customer->fFeeRatio());
                }
                if (pet->getAIState() == QBY_Character::stateWaitingForService
                    && pet->getService() != 1)
                    pet->processCommand();
            }
            for (int i = 0; i < game::Shop::furnitureSlots; ++i) {
                auto* piece = shop->getFurniture(i);
                if (piece && piece->furnType() >= 2
                    && piece->curFurnState() == QBY_Furniture::stateTaken && piece->nNumOfPet >= 1)
                    shop->staffGoToWork(piece);
            }
            if (shop->canServeCounter())
                shop->staffGoToWork(shop->getCounterFurniture());
            frame();
        }
        ASSERT_EQ(shop->getShopState(), 3);
    }
    // The next working day opens.
    void nextDay() {
        shop->startPreWorkingHour();
        frame();
        ASSERT_EQ(shop->getShopState(), 2);
    }

    int count(std::string const& event) const {
        return int(std::count(services.events.begin(), services.events.end(), event));
    }
    static std::vector<std::string> finishes() {
        std::vector<std::string> found;
        for (auto const& event : analytics::KestrelSession::currentSession()->eventLog()) {
            if (event->name() == "PonyDay_Finish")
                found.push_back(event->parameters()->objectForKey("popup_response").stringValue());
        }
        return found;
    }
    static std::int64_t runs(int uid) {
        return foundation::UserDefaults::standardUserDefaults().integerForKey(
            "ponymode_runcount_key" + std::to_string(uid));
    }

    GameServerStandIn gameServer;
    game::GameServerConnection connection;
    std::vector<QBY_Character const*> seen;
    std::vector<float> ratios;
};

TEST_F(PonyDaySalonTest, ADirectiveMakesTheNextDayAPonyDayThatEndsWithThePopup) {
    auto const directive = GameServerStandIn::directive(
        9, std::string(R"({"type":"ponyday","feemult":2,"msg":")") + thanks + "\"}");
    becomeActive({directive});
    ASSERT_TRUE(PonyDayDirectiveHandler::isPonyModeEnabled());

    // Day 2 opens as a pony day: the ponies come, the banner is the pony one.
    GameGlobals::shared().day = 2;
    game::DataConrtoller::saveDay();
    load();
    EXPECT_EQ(count("PonyDay_Start"), 1);
    EXPECT_EQ(count("ponies"), 1);
    EXPECT_EQ(hud->calls, (std::vector<std::string> {"showPonyNewDay"}));
    EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    EXPECT_EQ(runs(9), 1);

    // Every owner pays twice the plain fee: plain owners carry a fee ratio of 1.
    int money = GameGlobals::shared().money;
    playTheDay();
    ASSERT_GE(ratios.size(), 5u);
    for (float ratio : ratios)
        EXPECT_FLOAT_EQ(ratio, 2);
    int paid = 0;
    for (int change : hud->moneyChanges) {
        EXPECT_EQ(change % 2, 0) << change;
        paid += change;
    }
    EXPECT_GE(hud->moneyChanges.size(), 5u);
    EXPECT_EQ(GameGlobals::shared().money, money + paid);

    // The day's end ends the pony day and asks for the popup.
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_EQ(count("pets"), 1);
    EXPECT_EQ(std::count(hud->calls.begin(), hud->calls.end(), "showPonyDayPopup"), 1);

    // The popup shows the server's message; the download and the close each log once.
    auto message = PonyDayDirectiveHandler::getMessage();
    ASSERT_EQ(message, thanks);
    for (auto const& presses : {std::vector<engine::Point> {{360, 100}, {360, 220}},
             std::vector<engine::Point> {{360, 220}}}) {
        auto popup = game::PonyDayPopup::showWithText(*message, layer.get(), 10011);
        frames(30);
        EXPECT_EQ(popup->popupLabel()->getText(), thanks);
        for (auto at : presses) {
            auto touches
                = ui::TouchSet({ui::Touch::create(nullptr, nullptr, {at.x, 320 - at.y}, 1, 0)});
            popup->ccTouchesBegan(touches, nullptr);
            frames(1);
        }
        frames(30);
        EXPECT_EQ(popup->parent(), nullptr);
    }
    EXPECT_EQ(finishes(), (std::vector<std::string> {"clickthru", "dismiss"}));

    // The same uid again: its one day is spent, so the next day is a plain one.
    becomeActive({directive});
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeEnabled());
    nextDay();
    EXPECT_EQ(count("PonyDay_Start"), 1);
    EXPECT_FALSE(PonyDayDirectiveHandler::isPonyModeActive());
    shop->startNonWorkingHour();

    // With "freq" 2 the uid may start a second day.
    becomeActive({GameServerStandIn::directive(
        9, std::string(R"({"type":"ponyday","freq":2,"feemult":3,"msg":")") + thanks + "\"}")});
    EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeEnabled());
    nextDay();
    EXPECT_EQ(count("PonyDay_Start"), 2);
    EXPECT_TRUE(PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_EQ(runs(9), 2);
    EXPECT_FLOAT_EQ(PonyDayDirectiveHandler::getFeeMult(), 3);
}

}

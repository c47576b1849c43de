#include "SalonDay.hpp"

#include <engine/Scheduler.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/GameCenter.hpp>
#include <game/progression/Leaderboard.hpp>
#include <game/salon/ComboTracker.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameCenterIDManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <services/GameKit.hpp>

#include <gtest/gtest.h>

#include <filesystem>

namespace test {

namespace {

// The achievement book, the leaderboard reporter and the game service start afresh in
// each test's sandbox.
void releaseProgression() {
    game::AchievementSystem::releaseManager();
    game::Leaderboard::releaseManager();
    game::GameCenter::releaseManager();
    services::GameKit::reset();
}

}

void SalonDayTest::SetUp() {
    SalonFixture::SetUp();
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::AdditiveRandom::shared().seed(7);
    foundation::Rand48::shared().seed(7);
    game::QBY_Character::resetIncomeMessages();
    game::ComboTracker::purgeSharedTracker();
    game::SalonServices::setShared(&services);
    releaseProgression();
    auto& globals = game::GameGlobals::shared();
    globals.day = 1;
    globals.shopLevel = 1;
    globals.money = 200;
    game::DataConrtoller::saveDay();
    game::DataConrtoller::saveShopLevel();
    game::DataConrtoller::saveMoney();
    SetUpGlobalsForReload();
}

void SalonDayTest::SetUpGlobalsForReload() {
    auto& globals = game::GameGlobals::shared();
    globals.pathFinder = game::PathFindingSystem::create();
    hud = base::make<RecordingHud>();
    globals.interface = hud;
    globals.customerPool = base::Dictionary::create();
    globals.customerPool->setObject("0", "CUS001");
    globals.customerPool->setObject("1", "CUS002");
    globals.customerPool->setObject("2", "CUS003");
    globals.petPool = base::Dictionary::create();
    globals.petPool->setObject("0", "DOG001");
    globals.petPool->setObject("1", "CAT001");
    shop = game::Shop::initWithLayer(layer.get());
    globals.shop = shop;
}

void SalonDayTest::TearDown() {
    if (shop)
        shop->cleanup();
    shop = nullptr;
    game::GameGlobals::shared().shop = nullptr;
    game::SalonServices::setShared(nullptr);
    releaseProgression();
    game::SoundEngine::releaseManager();
    // The store writes while the sandbox is still there.
    foundation::UserDefaults::resetStandardUserDefaults();
    SalonFixture::TearDown();
}

bool SalonDayTest::achieved(int number) {
    auto* record = game::AchievementSystem::sharedManager().getAchievementWithID(
        game::GameCenterIDManager::getAchievementID(number));
    return record && record->percent() >= 100;
}

std::set<int> SalonDayTest::achievedNumbers() {
    std::set<int> numbers;
    for (int number = 0; number < game::GameCenterIDManager::achievementCount; ++number) {
        if (achieved(number))
            numbers.insert(number);
    }
    return numbers;
}

void SalonDayTest::load() {
    for (int i = 0; i < 10 && !shop->loading(); ++i) { }
}

void SalonDayTest::frame() {
    auto& globals = game::GameGlobals::shared();
    globals.deltaTime = 1.0f / 60;
    globals.totalTime += globals.deltaTime;
    shop->update();
    foundation::RunLoop::main().runFor(1.0 / 60);
    engine::Scheduler::sharedScheduler().tick(1.0f / 60);
}

void SalonDayTest::framesFor(float seconds) {
    int count = int(seconds * 60 + 0.5f);
    for (int i = 0; i < count; ++i)
        frame();
}

SalonDayTest::Pair SalonDayTest::makePair() {
    Pair pair;
    pair.customer = game::QBY_Character::createCharacter(
        "CUS001", 100, 60, layer.get(), game::QBY_Character::typeCustomer);
    pair.pet = game::QBY_Character::createCharacter(
        "DOG001", 100, 70, layer.get(), game::QBY_Character::typePet);
    pair.customer->setPPet(pair.pet.get());
    pair.pet->setPMaster(pair.customer.get());
    return pair;
}

void SalonDayTest::writeUnpacked(base::Ref<base::Array> entries) {
    auto folder = std::filesystem::path(foundation::Sandbox::root()) / "Library/Marrowby";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(
        base::Value(entries), (folder / "unpacked.plist").string()));
}

}

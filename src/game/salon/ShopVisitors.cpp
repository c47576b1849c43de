// The salon's arrivals: ordinary customers, the built-in and downloaded special
// visitors and their events, challenge days and the daily challenge.

#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>

#include <algorithm>

namespace game {

using namespace shop_support;

namespace {

// The lowest time-out speed an ordinary customer gets: the level rule reaches 0 at
// level 27 and turns negative above it, which would stop patience from running out.
constexpr float minimumTimeOutSpeed = 0.05f;

struct BuiltInVisitor {
    char const* id;
    float timeOut;
    float punishment;
};

// President, rich lady, superhero.
constexpr BuiltInVisitor builtInVisitors[3] = {
    {"PREZ", 1.0f, 10},
    {"RICHLADY", 0.5f, 5},
    {"SKYW", 0.5f, 5},
};

}

Shop::VisitorChances Shop::visitorChances(float satisfaction, bool challengeDay, int vipsToday) {
    if (challengeDay)
        return {0.33, 0.33, 0.33};
    if (vipsToday >= 1)
        return {0, 0, 0};
    double s = std::min(100.0, double(satisfaction));
    double president = std::max(0.0, (s - 60) * 0.01) * 0.005;
    double lady = std::max(0.0, (s - 10) * 0.01) * 0.007;
    return {president, lady, lady};
}

float Shop::ordinaryTimeOutSpeed(int level) {
    if (level == 1)
        return 3.0f;
    if (level > 10)
        return std::max(minimumTimeOutSpeed, 1.0f - 0.06f * float(level - 10));
    return 1.0f;
}

bool Shop::isPrezVisiting() const {
    return std::any_of(pCustomer.begin(), pCustomer.end(),
        [](auto const& customer) { return customer && customer->spCharType() == 0; });
}

bool Shop::isChallengeMode() const {
    int day = GameGlobals::shared().day;
    return day % 30 == 0 && !bDeclinedChallengeMode;
}

bool Shop::isEligibleForChallengeMode() const {
    return (GameGlobals::shared().day + 1) % 30 == 0;
}

void Shop::declineChallengeMode() {
    bDeclinedChallengeMode = true;
    DataConrtoller::saveDeclinedVIPDay(true);
}

bool Shop::isEligibleForDailyChallenge() const {
    return DataConrtoller::getDailyChallengeEnabled();
}

bool Shop::isDailyChallenge() const {
    return !questCtrl_->getActiveQuests().empty();
}

void Shop::generateCustomer() {
    auto& globals = GameGlobals::shared();
    auto& services = SalonServices::shared();
    int slot = -1;
    for (int i = 0; i < arrivalSlots; ++i) {
        if (!pCustomer[std::size_t(i)]) {
            slot = i;
            break;
        }
    }
    if (slot < 0)
        return;
    auto* customers = globals.customerPool.get();
    auto* pets = globals.petPool.get();
    if (!customers || customers->empty() || !pets || pets->empty())
        return;

    auto packs = activePackData("vip");
    float feeMult = services.isPonyModeActive() ? services.ponyDayFeeMult() : 1.0f;
    bool challenge = isChallengeMode();
    auto chances = visitorChances(globals.satisfaction, challenge, pVIPAppearCount);
    double d = double(salonRandom() % 1000) * 0.001;
    auto spawn = scaled(460, 250);
    base::Ref<QBY_Character> customer;

    double const builtIn[3] = {chances.president, chances.richLady, chances.superhero};
    int* visitCounts[3]
        = {&globals.prezVisitCount, &globals.richLadyVisitCount, &globals.superVisitCount};
    for (int kind = 0; kind < 3 && !customer; ++kind) {
        if (d >= builtIn[kind]) {
            d -= builtIn[kind];
            continue;
        }
        auto const& visitor = builtInVisitors[kind];
        auto* pool = globals.visitorPool.get();
        auto key = pool ? pool->objectForKey(visitor.id).stringValue() : std::string();
        // A visitor missing from the list leaves the draw to the next in line.
        if (key.empty())
            continue;
        customer = QBY_Character::createCharacter(
            key, spawn.x, spawn.y, pLayer, QBY_Character::typeSpecial);
        customer->setSpCharType(kind);
        customer->setFSatisfactionPunishmentRatio(visitor.punishment);
        customer->setFFeeRatio(15);
        if (challenge)
            customer->setFTimeOutSpeed(0.7f);
        else if (kind != 0)
            customer->setFTimeOutSpeed(visitor.timeOut);
        *visitCounts[kind] += 1;
        pVIPAppearCount += 1;
    }

    float s = std::min(100.0f, globals.satisfaction);
    double packScale = std::max(0.0, (double(s) - 10) * 0.01);
    for (auto const& data : packs) {
        if (customer)
            break;
        int minLevel = data->objectForKey("min_level").intValue();
        int maxLevel = data->objectForKey("max_level").intValue();
        bool outOfRange = (minLevel != 0 && globals.shopLevel < minLevel)
            || (maxLevel != 0 && globals.shopLevel > maxLevel);
        double chance = data->objectForKey("appearChance").doubleValue();
        if (d < packScale * chance && !outOfRange) {
            auto id = data->objectForKey("char_id").stringValue();
            customer = QBY_Character::createCharacter(
                id, spawn.x, spawn.y, pLayer, QBY_Character::typeSpecial);
            customer->setSCharName(id);
            customer->setSpCharType(5);
            customer->setFTimeOutSpeed(data->objectForKey("timeout").floatValue());
            customer->setFSatisfactionPunishmentRatio(
                data->objectForKey("angryRatio").floatValue());
            customer->setFSatisfactionRatio(data->objectForKey("happyRatio").floatValue());
            customer->setFFeeRatio(data->objectForKey("feeRatio").floatValue());
        } else {
            d -= chance;
        }
    }

    if (!customer) {
        auto key = customers->objectForKey(std::to_string(salonRandom() % long(customers->size())))
                       .stringValue();
        customer = QBY_Character::createCharacter(
            key, spawn.x, spawn.y, pLayer, QBY_Character::typeCustomer);
        if (globals.shopLevel == 1 || globals.shopLevel > 10)
            customer->setFTimeOutSpeed(ordinaryTimeOutSpeed(globals.shopLevel));
    }
    customer->setWalkSpeed(isPad() ? 200 : 120);
    customer->setFPS(isPad() ? 6 : 12);
    if (services.isPonyModeActive())
        customer->setFFeeRatio(customer->fFeeRatio() * feeMult);
    makeVisitor(slot, customer);
}

void Shop::makeVisitor(int slot, base::Ref<QBY_Character> customer) {
    auto& globals = GameGlobals::shared();
    auto* pets = globals.petPool.get();
    auto spawn = scaled(460, 250);
    auto petKey
        = pets->objectForKey(std::to_string(salonRandom() % long(pets->size()))).stringValue();
    auto pet = QBY_Character::createCharacter(
        petKey, spawn.x + 10, spawn.y, pLayer, QBY_Character::typePet);
    pet->setWalkSpeed(isPad() ? 166.66667f : 100);
    pet->setFPS(isPad() ? 5 : 10);
    pCustomer[std::size_t(slot)] = customer;
    pPet[std::size_t(slot)] = pet;
    if (customer->getAIState() != QBY_Character::stateIdle)
        return;
    customer->changeAIState(QBY_Character::stateEntering);
    customer->setPPet(pet.get());
    pet->changeAIState(QBY_Character::stateEntering);
    pet->setPMaster(customer.get());
    pet->initServiceQuery();
    pet->setFTimeOutSpeed(customer->fTimeOutSpeed());
    pet->setFSatisfactionPunishmentRatio(customer->fSatisfactionPunishmentRatio());
    pet->setWildcardMode(bWildcardMode);
    lastGenCustomerTime_ = globals.shopTime;
    if (bBlockCustomers) {
        customer->cleanWalkPath();
        customer->leaveShop();
        customer->updateAIState();
    }
}

void Shop::muteMusicFor(std::optional<float> seconds) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->setVolumeMusicTrack(0);
    bWillFadeInBgm = true;
    if (seconds)
        fadeInBgmStartTime = GameGlobals::shared().totalTime + *seconds;
}

void Shop::sendEveryoneAway(std::function<bool(QBY_Character const&)> const& kept) {
    for (auto& staff : pStaff) {
        if (staff)
            staff->stopService();
    }
    for (int i = 0; i < customerSlots; ++i) {
        base::Ref<QBY_Character> customer = pCustomer[std::size_t(i)];
        if (!customer)
            continue;
        int state = customer->getAIState();
        if (state == QBY_Character::stateLeaving || state == QBY_Character::stateGone)
            continue;
        if (!kept(*customer))
            customer->leaveShop();
    }
}

void Shop::specialCustomerAppearEvent(int kind) {
    if (isChallengeMode())
        return;
    if (auto* hud = interface())
        hud->showEventCloseUp(kind);
    switch (kind) {
    case 0:
        sendEveryoneAway([](QBY_Character const& c) { return c.spCharType() == 0; });
        muteMusicFor(4.0f);
        playSound("EventPrez");
        break;
    case 1:
        muteMusicFor(5.0f);
        playSound("EventRichLady");
        break;
    case 2:
        // A fresh fade-back time: an old one would bring the music back at once.
        muteMusicFor(5.0f);
        playSound("EventSkyward");
        break;
    default:
        break;
    }
}

namespace {

base::Ref<base::Dictionary> vipData(std::string const& id, bool activeOnly) {
    auto entries = unpackedEntries();
    for (auto const& value : *entries) {
        auto* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").stringValue() != "vip")
            continue;
        if (activeOnly && !isActiveEntry(*entry))
            continue;
        auto data = entry->objectForKey("data").dictionaryRef();
        if (data && data->objectForKey("char_id").stringValue() == id)
            return data;
    }
    return nullptr;
}

void playPackSound(std::string const& file) {
    if (auto* engine = SoundEngine::sharedManager())
        engine->playSoundEffect(file);
}

}

void Shop::dlcSpecialCustomerAppearEvent(std::string const& id) {
    auto data = vipData(id, true);
    if (!data || isChallengeMode())
        return;
    if (auto* hud = interface())
        hud->showDLCEventCloseUp(data->objectForKey("closeup").stringValue());
    if (data->objectForKey("clearsRoom").boolValue())
        sendEveryoneAway([&id](QBY_Character const& c) { return c.sCharName() == id; });
    auto sound = data->objectForKey("enter_sfx").stringValue();
    if (!sound.empty()) {
        muteMusicFor(4.0f);
        playPackSound(sound);
    }
}

void Shop::dlcSpecialCustomerAngryEvent(std::string const& id) {
    auto data = vipData(id, false);
    if (!data || isChallengeMode())
        return;
    auto sound = data->objectForKey("angry_sfx").stringValue();
    if (!sound.empty()) {
        muteMusicFor(4.0f);
        playPackSound(sound);
    }
}

bool Shop::prepareDailyChallenge() {
    auto& globals = GameGlobals::shared();
    globals.customerHappyCountP = globals.customerHappyCount;
    globals.customerAngryCountP = globals.customerAngryCount;
    globals.customerHurryCountP = globals.customerHurryCount;
    globals.customerIncomeP = globals.customerIncome;
    globals.customerServiceP = globals.customerService;
    globals.customerFastServiceP = globals.customerFastService;
    globals.customerHappyCount = 0;
    globals.customerAngryCount = 0;
    globals.customerHurryCount = 0;
    globals.customerIncome = 0;
    globals.customerService = 0;
    globals.customerFastService = 0;
    DataConrtoller::saveCountingRecord();
    questCtrl_->clearCurrentQuests();
    auto quest = questCtrl_->getRandomEligibleQuest();
    if (!quest)
        return false;
    quest->setQuestDelegate(this);
    quest->setMarked(false);
    quest->setNotified(false);
    questCtrl_->addToCurrentQuests(quest.get());
    if (auto* hud = interface())
        hud->showQuestReport(quest->quest_id());
    playSound("ChallengeStart");
    return true;
}

void Shop::clearDailyChallenge() {
    questCtrl_->clearCurrentQuests();
}

void Shop::showQuestProgress() {
    auto active = questCtrl_->getActiveQuests();
    if (active.empty())
        return;
    pauseGame();
    if (auto* hud = interface())
        hud->showQuestReport(active.front()->quest_id());
}

}

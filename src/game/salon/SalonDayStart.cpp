#include <game/salon/SalonDayStart.hpp>

#include <foundation/Random.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace game {

namespace {

struct Request {
    bool pending {false};
    std::optional<int> level;
};

Request& pendingRequest() {
    static Request request;
    return request;
}

}

void SalonDayStart::request(std::optional<int> level) {
    pendingRequest() = {true, level};
}

void SalonDayStart::applyRequest() {
    auto& request = pendingRequest();
    if (!request.pending)
        return;
    request.pending = false;
    start(request.level);
}

bool SalonDayStart::parseArgument(char const* argument, std::optional<int>& level) {
    std::string_view text(argument ? argument : "");
    constexpr std::string_view flag = "--salon-day";
    if (text == flag) {
        level.reset();
        return true;
    }
    if (text.substr(0, flag.size() + 1) != "--salon-day=")
        return false;
    auto digits = text.substr(flag.size() + 1);
    int value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 99)
        return false;
    level = value;
    return true;
}

void SalonDayStart::start(std::optional<int> level) {
    auto& globals = GameGlobals::shared();
    {
        DataManager::Batch batch;
        if (level) {
            globals.shopLevel = *level;
            globals.money = 5000;
            globals.satisfaction = 50.0f * float(*level);
            globals.shopTime = 0;
            DataConrtoller::saveShopLevel();
            DataConrtoller::saveMoney();
            DataConrtoller::saveSatisfaction();
            DataConrtoller::saveShopTime();
            DataConrtoller::saveShopState(2);
        }
        globals.day = std::max(globals.day, 2);
        DataConrtoller::saveDay();
    }
    globals.nextProgramState = ProgramStateShop;
    foundation::AdditiveRandom::shared().seed(1);
    foundation::Rand48::shared().seed(1);
}

}

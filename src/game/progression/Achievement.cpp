#include <game/progression/Achievement.hpp>

#include <game/progression/GameCenter.hpp>

namespace game {

base::Ref<Achievement> Achievement::init() {
    return base::make<Achievement>();
}

void Achievement::syncWithGameCenter() {
    if (achId_.empty() || !GameCenter::isGameCenterAvailable())
        return;
    if (!(percent_ > _cachedPercent))
        return;
    GameCenter::sharedManager().reportAchievementIdentifier(achId_, percent_);
    _cachedPercent = percent_;
}

}

#include <services/GKAchievement.hpp>
#include <services/GKLocalPlayer.hpp>
#include <services/GKScore.hpp>

#include <base/SharedInstance.hpp>

namespace services {

GKLocalPlayer& GKLocalPlayer::localPlayer() {
    return base::SharedInstance<GKLocalPlayer>::get();
}

base::Ref<GKAchievement> GKAchievement::initWithIdentifier(std::string identifier) {
    if (identifier.empty())
        return nullptr;
    return base::make<GKAchievement>(std::move(identifier));
}

void GKAchievement::reportAchievementWithCompletionHandler(GameKit::Completion handler) {
    GameKit::shared().reportAchievement(identifier_, percentComplete_, std::move(handler));
}

void GKAchievement::loadAchievementsWithCompletionHandler(LoadCompletion handler) {
    GameKit::shared().loadAchievements(
        [handler = std::move(handler)](auto const& list, GKError const* error) {
            if (!handler)
                return;
            if (!list) {
                handler(std::nullopt, error);
                return;
            }
            std::vector<base::Ref<GKAchievement>> achievements;
            for (auto const& [identifier, percent] : *list) {
                auto achievement = base::make<GKAchievement>(identifier);
                achievement->setPercentComplete(percent);
                achievements.push_back(achievement);
            }
            handler(achievements, error);
        });
}

void GKAchievement::resetAchievementsWithCompletionHandler(GameKit::Completion handler) {
    GameKit::shared().resetAchievements(std::move(handler));
}

base::Ref<GKScore> GKScore::initWithCategory(std::string category) {
    return base::make<GKScore>(std::move(category));
}

}

#pragma once

#include <services/GameKit.hpp>

#include <functional>
#include <string>
#include <vector>

namespace services {

// One achievement of the local player, to report or as loaded. Main thread only.
class GKAchievement final : public base::Object {
public:
    using LoadCompletion = std::function<void(
        std::optional<std::vector<base::Ref<GKAchievement>>> const&, GKError const*)>;

    // Null for an empty identifier, which the service refuses.
    static base::Ref<GKAchievement> initWithIdentifier(std::string identifier);

    std::string const& identifier() const { return identifier_; }
    double percentComplete() const { return percentComplete_; }
    void setPercentComplete(double percent) { percentComplete_ = percent; }
    bool isCompleted() const { return percentComplete_ >= 100; }

    // Sends the percent; the handler runs later on the main run loop.
    void reportAchievementWithCompletionHandler(GameKit::Completion handler);
    // The player's achievements (none on failure), later on the main run loop.
    static void loadAchievementsWithCompletionHandler(LoadCompletion handler);
    static void resetAchievementsWithCompletionHandler(GameKit::Completion handler);

private:
    friend base::Factory;
    explicit GKAchievement(std::string identifier)
        : identifier_(std::move(identifier)) { }

    std::string identifier_;
    double percentComplete_ {0};
};

}

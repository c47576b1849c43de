#pragma once

#include <services/GameKit.hpp>

#include <cstdint>
#include <string>

namespace services {

// One score of the local player on a leaderboard (its category). Main thread only.
class GKScore final : public base::Object {
public:
    static base::Ref<GKScore> initWithCategory(std::string category);

    std::string const& category() const { return category_; }
    std::int64_t value() const { return value_; }
    void setValue(std::int64_t value) { value_ = value; }

    // Sends the score; the handler runs later on the main run loop.
    void reportScoreWithCompletionHandler(GameKit::Completion handler) {
        GameKit::shared().reportScore(category_, value_, std::move(handler));
    }

private:
    friend base::Factory;
    explicit GKScore(std::string category)
        : category_(std::move(category)) { }

    std::string category_;
    std::int64_t value_ {0};
};

}

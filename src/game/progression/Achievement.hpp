#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <string>

namespace game {

// One entry of the achievement book: what "Achievements.plist" says of it, the
// player's progress (0 to 100, kept on the device by the book) and the last percent
// reported to the game service in this run (-1: none since the last reset).
// Owned by AchievementSystem; main thread only.
class Achievement final : public base::Object {
public:
    static base::Ref<Achievement> init();

    std::string const& achId() const { return achId_; }
    void setAchId(std::string id) { achId_ = std::move(id); }
    std::string const& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    std::string const& desc() const { return desc_; }
    void setDesc(std::string desc) { desc_ = std::move(desc); }
    std::string const& picName() const { return picName_; }
    void setPicName(std::string name) { picName_ = std::move(name); }
    float percent() const { return percent_; }
    void setPercent(float percent) { percent_ = percent; }
    float cachedPercent() const { return _cachedPercent; }

    // Reports the percent to the game service when it is there and the percent is
    // above what was last reported; nothing without an identifier.
    void syncWithGameCenter();
    void cleanCachedPercent() { _cachedPercent = -1; }

private:
    friend base::Factory;
    Achievement() = default;

    std::string achId_;
    std::string title_;
    std::string desc_;
    std::string picName_;
    float percent_ {0};
    float _cachedPercent {-1};
};

}

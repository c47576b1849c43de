#pragma once

#include <engine/Geometry.hpp>
#include <engine/Layer.hpp>
#include <game/progression/CCTimerSprite.hpp>
#include <game/progression/ItemEffectProtocol.hpp>

#include <string>
#include <vector>

namespace game {

class CCItemBar;

// Told when the player presses a free button of the power-up bar.
class CCItemBarDelegate {
public:
    virtual ~CCItemBarDelegate() = default;
    virtual void ccItemBar(CCItemBar& bar, std::string const& buttonName) = 0;
};

// The row of power-up buttons on the salon HUD: per button a cooldown picture, a
// plate with the number of items owned and, between days, a pulsing "buy" bubble.
// The counts live in the user defaults, one dictionary per button under
// "SYS_SPITEM_BTN_<name>" with "ITEM_COUNT" and "ITEM_LEVEL". A press on a free
// button locks its picture and goes to the delegate, which decides whether an item
// is used. The interface makes it for the salon HUD and is its delegate; the
// delegate is not retained, as its owner outlives the bar. Main thread.
class CCItemBar final : public engine::Layer {
public:
    static constexpr int timerTag = 1000;
    static constexpr int countTag = 1001;
    static constexpr int bubbleTag = 3000;

    static base::Ref<CCItemBar> init();
    // The user-defaults key of a button's record.
    static std::string recordKey(std::string const& name);

    // Stores the point where the first button's node goes and lays the bar out.
    void setBarPosition(engine::Point position);
    engine::Point barPosition() const { return _barPos; }
    // A saved record's count wins over the given one; without a record, one of the
    // given count and level is saved.
    void addButton(
        std::string const& name, std::string const& path, int defaultCount, int defaultLevel);
    void layout();
    // Adds the delta to the saved count and answers true; refuses (false, nothing
    // changed) a count that would fall below 0. A button without a record has none to
    // use: a use is refused, an addition starts the record at 0.
    bool modItemCountForButton(std::string const& name, int delta);
    // The same for the level, with no lower bound.
    void modItemLevelForButton(std::string const& name, int delta);
    // True while the button's cooldown ratio is not 0, and for an unknown name.
    bool isButtonLocked(std::string const& name) const;
    // On: locks every button of the name and tells the delegate; off: unlocks them.
    void triggerButton(std::string const& name, bool on);
    // The buttons of the name show the effect's remaining time until it reaches 0.
    void attachItemEffect(base::Ref<ItemEffectProtocol> effect, std::string const& name);
    void setBubblesVisible(bool visible);

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;

    CCItemBarDelegate* delegate() const { return delegate_; }
    void setDelegate(CCItemBarDelegate* delegate) { delegate_ = delegate; }

    std::vector<base::Ref<engine::SceneNode>> const& buttons() const { return _buttonList; }
    // The cooldown picture of the first button of the name, or null.
    CCTimerSprite* timerSprite(std::string const& name) const;
    // The count the saved record holds, 0 without one.
    static int savedCount(std::string const& name);

private:
    friend base::Factory;
    CCItemBar();

    static CCTimerSprite* timerOf(engine::SceneNode& button);

    engine::Point _barPos {0, 0};
    std::vector<base::Ref<engine::SceneNode>> _buttonList;
    CCItemBarDelegate* delegate_ {nullptr};
};

}

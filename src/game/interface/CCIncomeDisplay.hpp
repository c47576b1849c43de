#pragma once

#include <engine/Label.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>

namespace game {

// What one customer brought, floating up over it: the money on a positive or
// negative tag and the change of satisfaction on a second tag beside it. It fades
// in, rises 25 points, fades out and removes itself from its parent after 2.1 s; a
// clock of its own removes it after 2.5 s should the actions not. The salon adds it
// to its layer. Main thread.
class CCIncomeDisplay final : public engine::SceneNode {
public:
    // Null when there is nothing to show (income 0 and no change of satisfaction).
    static base::Ref<CCIncomeDisplay> initWithIncome(
        int income, float satisfaction, engine::Point position);

    void update(float dt);
    // Off its parent with cleanup; nothing without a parent.
    void destroy();
    void cleanup() override;

    engine::Sprite* incomeMsgBg() const { return incomeMsgBg_.get(); }
    engine::Sprite* satMsgBg() const { return satMsgBg_.get(); }
    engine::Label* incomeMsgLabel() const { return incomeMsgLabel_.get(); }
    engine::Label* satMsgLabel() const { return satMsgLabel_.get(); }

private:
    friend base::Factory;
    CCIncomeDisplay() = default;

    base::Ref<engine::Sprite> incomeMsgBg_;
    base::Ref<engine::Sprite> satMsgBg_;
    base::Ref<engine::Label> incomeMsgLabel_;
    base::Ref<engine::Label> satMsgLabel_;
    float _clock {0};
};

// A bonus-money picture floating up from a point, removing itself as the income
// marker does.
class CCIncomeBonusDisplay final : public engine::SceneNode {
public:
    // Null when the picture cannot be made.
    static base::Ref<CCIncomeBonusDisplay> initWithPosition(engine::Point position);

    void update(float dt);
    void destroy();
    void cleanup() override;

    engine::Sprite* incomeMsgBg() const { return incomeMsgBg_.get(); }

private:
    friend base::Factory;
    CCIncomeBonusDisplay() = default;

    base::Ref<engine::Sprite> incomeMsgBg_;
    float _clock {0};
};

}

#include <game/interface/CCIncomeDisplay.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Texture2D.hpp>
#include <foundation/Format.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>

namespace game {

namespace {

// How long a marker may stay, should its actions not remove it.
constexpr float backstop = 2.5f;

base::Ref<engine::FiniteTimeAction> rise() {
    return engine::Sequence::actions(engine::FadeIn::actionWithDuration(0.1f),
        engine::MoveBy::actionWithDuration(1.5f, {0, 25}),
        engine::FadeOut::actionWithDuration(0.5f));
}

template<typename Marker> base::Ref<engine::FiniteTimeAction> riseAndGo(Marker* marker) {
    return engine::Sequence::actions(
        rise(), engine::CallFunc::actionWithTarget(marker, &Marker::destroy));
}

base::Ref<engine::Label> tagLabel(std::string const& text) {
    auto label = engine::Label::labelWithString(
        text, {50, 35}, engine::TextAlignment::Left, "Helvetica", 12);
    label->setColor({255, 255, 255});
    return label;
}

bool hasPicture(engine::Sprite const* sprite) {
    return sprite && sprite->texture();
}

}

base::Ref<CCIncomeDisplay> CCIncomeDisplay::initWithIncome(
    int income, float satisfaction, engine::Point position) {
    auto marker = base::make<CCIncomeDisplay>();
    if (income >= 1 || income < 0) {
        marker->incomeMsgBg_ = engine::Sprite::spriteWithFile(
            income >= 1 ? "income_positive.png" : "income_negative.png");
        marker->incomeMsgLabel_ = tagLabel(foundation::format("%d", income));
    }
    if (satisfaction > 0 || satisfaction < 0) {
        marker->satMsgBg_ = engine::Sprite::spriteWithFile(
            satisfaction > 0 ? "sat_positive.png" : "sat_negative.png");
        marker->satMsgLabel_ = tagLabel(foundation::format("%.2f", double(satisfaction)));
    }
    if (!marker->incomeMsgBg_ && !marker->satMsgBg_)
        return nullptr;

    float limit = Utilities::isiPad() ? 960 : 400;
    marker->setPosition({std::min(position.x, limit), position.y + 70});

    auto place = [&](engine::Sprite& picture, engine::Label& label, engine::Point at, int z) {
        picture.setPosition(at);
        picture.setOpacity(0);
        marker->addChild(base::Ref<engine::SceneNode>(&picture), z);
        label.setPosition({at.x + 20, at.y - 10});
        label.setOpacity(0);
        marker->addChild(base::Ref<engine::SceneNode>(&label), z + 1);
        picture.runAction(riseAndGo(marker.get()));
        label.runAction(rise());
    };
    engine::Point satAt {0, 0};
    if (auto& picture = marker->incomeMsgBg_) {
        place(*picture, *marker->incomeMsgLabel_, {0, 0}, 0);
        if (marker->satMsgBg_)
            satAt = {picture->position().x + picture->contentSize().width / 2
                    + marker->satMsgBg_->contentSize().width / 2,
                picture->position().y};
    }
    if (marker->satMsgBg_)
        place(*marker->satMsgBg_, *marker->satMsgLabel_, satAt, 2);
    marker->schedule(&CCIncomeDisplay::update);
    return marker;
}

void CCIncomeDisplay::update(float dt) {
    _clock += dt;
    if (_clock > backstop)
        destroy();
}

void CCIncomeDisplay::destroy() {
    if (auto* owner = parent())
        owner->removeChild(this, engine::Cleanup::Yes);
}

void CCIncomeDisplay::cleanup() {
    if (incomeMsgBg_)
        removeChild(incomeMsgBg_.get(), engine::Cleanup::Yes);
    if (satMsgBg_)
        removeChild(satMsgBg_.get(), engine::Cleanup::Yes);
    unschedule(&CCIncomeDisplay::update);
    SceneNode::cleanup();
}

base::Ref<CCIncomeBonusDisplay> CCIncomeBonusDisplay::initWithPosition(engine::Point position) {
    auto picture = engine::Sprite::spriteWithFile("plus_money.png");
    if (!hasPicture(picture.get()))
        return nullptr;
    auto marker = base::make<CCIncomeBonusDisplay>();
    marker->incomeMsgBg_ = picture;
    marker->setPosition(position);
    picture->setPosition({0, 0});
    picture->setOpacity(0);
    marker->addChild(picture, 0);
    picture->runAction(riseAndGo(marker.get()));
    marker->schedule(&CCIncomeBonusDisplay::update);
    return marker;
}

void CCIncomeBonusDisplay::update(float dt) {
    _clock += dt;
    if (_clock > backstop)
        destroy();
}

void CCIncomeBonusDisplay::destroy() {
    if (auto* owner = parent())
        owner->removeChild(this, engine::Cleanup::Yes);
}

void CCIncomeBonusDisplay::cleanup() {
    if (incomeMsgBg_)
        removeChild(incomeMsgBg_.get(), engine::Cleanup::Yes);
    unschedule(&CCIncomeBonusDisplay::update);
    SceneNode::cleanup();
}

}

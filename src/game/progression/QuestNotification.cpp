#include <game/progression/QuestNotification.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

base::Ref<QuestNotification> QuestNotification::initComplete() {
    return make("Challenge Complete");
}

base::Ref<QuestNotification> QuestNotification::initFail() {
    return make("Challenge Failed");
}

base::Ref<QuestNotification> QuestNotification::make(char const* text) {
    auto banner = base::make<QuestNotification>();
    banner->_bar = engine::Sprite::spriteWithFile("ChallengaAchieved_PopUp.png");
    if (banner->_bar) {
        banner->_bar->setAnchorPoint({0.5f, 0});
        banner->_info = engine::Label::labelWithString(text, "Helvetica", 18);
        auto size = banner->_bar->contentSize();
        banner->_info->setPosition({size.width / 2, size.height / 2});
        banner->_bar->addChild(banner->_info);
        banner->addChild(banner->_bar);
    }
    banner->layout();
    banner->show();
    return banner;
}

void QuestNotification::layout() {
    if (!_bar)
        return;
    // The salon's layer spans the screen: 480 points wide on the phone, 1024 on the tablet.
    float centre = Utilities::isiPad() ? 512 : 240;
    _bar->setPosition({centre, -_bar->contentSize().height});
}

void QuestNotification::show() {
    if (!_bar) {
        // Nothing to show: leave at once rather than stay in the tree.
        runAction(engine::CallFunc::actionWithTarget(this, &QuestNotification::destroy));
        return;
    }
    float height = _bar->contentSize().height;
    _bar->runAction(
        engine::Sequence::actions(engine::MoveBy::actionWithDuration(0.25f, {0, height}),
            engine::DelayTime::actionWithDuration(2),
            engine::MoveBy::actionWithDuration(0.25f, {0, -height}),
            engine::CallFunc::actionWithTarget(this, &QuestNotification::destroy)));
}

void QuestNotification::destroy() {
    if (auto* from = parent())
        from->removeChild(this, engine::Cleanup::Yes);
}

void QuestNotification::cleanup() {
    if (_bar && _info) {
        _bar->removeChild(_info.get(), engine::Cleanup::Yes);
        _info = nullptr;
    }
    if (_bar) {
        removeChild(_bar.get(), engine::Cleanup::Yes);
        _bar = nullptr;
    }
    SceneNode::cleanup();
}

}

#include <game/interface/CCTabBar.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/ScissorScope.hpp>
#include <engine/TextureMgr.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/Utilities.hpp>

#include <cmath>

namespace game {

namespace {

constexpr float slideDuration = 0.8f;

}

base::Ref<CCTabBar> CCTabBar::init() {
    return base::make<CCTabBar>();
}

CCTabBar::CCTabBar() {
    setIsTouchEnabled(true);
}

float CCTabBar::slideHeight() const {
    return Utilities::isiPad() ? 100 : 50;
}

void CCTabBar::addTab(std::string const& icon) {
    auto tab = engine::Sprite::spriteWithFile(tab_inactive_path);
    auto size = tab->contentSize();
    auto picture = engine::Sprite::spriteWithFile(icon);
    picture->setPosition({size.width / 2, size.height / 2 + 5});
    tab->addChild(picture);
    addChild(tab, 0);
    tab_list.push_back(tab);
    layout();
}

void CCTabBar::selectTab(int index, bool silent) {
    if (index == selected_tab || index < 0 || index >= int(tab_list.size()))
        return;
    selected_tab = index;
    layout();
    if (!silent && tab_delegate)
        tab_delegate->ccTabBar(*this, index);
}

void CCTabBar::layout() {
    if (_inTransition)
        return;
    float x = bar_position.x;
    float y = bar_position.y + (_isRetracted ? slideHeight() : 0);
    auto& textures = engine::TextureMgr::sharedTextureMgr();
    for (std::size_t i = 0; i < tab_list.size(); ++i) {
        auto& tab = tab_list[i];
        auto size = tab->contentSize();
        tab->setPosition({x + size.width / 2, y - size.height / 2});
        tab->setTexture(
            textures.addImage(int(i) == selected_tab ? tab_active_path : tab_inactive_path));
        x += size.width + tab_spacing;
    }
}

void CCTabBar::slide(float dy) {
    layout();
    for (std::size_t i = 0; i < tab_list.size(); ++i) {
        auto& tab = tab_list[i];
        tab->stopAllActions();
        auto move = engine::MoveBy::actionWithDuration(slideDuration, {0, dy});
        if (i == 0)
            tab->runAction(engine::Sequence::actions(
                move, engine::CallFunc::actionWithTarget(this, &CCTabBar::transitionEnd)));
        else
            tab->runAction(move);
    }
}

void CCTabBar::extendTabs() {
    if (!_isRetracted)
        return;
    slide(-slideHeight());
    _inTransition = true;
    _isRetracted = false;
}

void CCTabBar::retractTabs() {
    if (_isRetracted)
        return;
    slide(slideHeight());
    _inTransition = true;
    _isRetracted = true;
    endTutorial();
}

void CCTabBar::transitionEnd() {
    _inTransition = false;
    // The other tabs' moves end on the same frame and may come after this call in
    // it; stopped here, they cannot move a tab off the resting place set below.
    for (auto& tab : tab_list)
        tab->stopAllActions();
    layout();
    if (!_isRetracted)
        checkStartTutorial();
}

void CCTabBar::checkStartTutorial() {
    if (tab_list.size() < 2 || DataManager::getBoolForKey(firstRunKey))
        return;
    // Marked at once, so the hint shows once per installation even when cut short.
    DataManager::setBool(true, firstRunKey);
    auto& first = *tab_list[0];
    auto size = first.contentSize();
    engine::Point start {first.position().x + 20, first.position().y - size.height / 2};
    endTutorial();
    tutorial_finger = engine::Sprite::spriteWithFile("finger.png");
    tutorial_finger->setPosition(start);
    addChild(tutorial_finger, 0);
    engine::Point step {size.width + tab_spacing, 0};
    auto next
        = [this] { return engine::CallFunc::actionWithTarget(this, &CCTabBar::tutorialNextTab); };
    tutorial_finger->runAction(engine::Blink::actionWithDuration(7.5f, 12));
    tutorial_finger->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(2),
        engine::MoveBy::actionWithDuration(0.5f, step), next(),
        engine::DelayTime::actionWithDuration(2), engine::MoveBy::actionWithDuration(0.5f, step),
        next(), engine::DelayTime::actionWithDuration(2),
        engine::MoveTo::actionWithDuration(0.5f, start), next(),
        engine::CallFunc::actionWithTarget(this, &CCTabBar::endTutorial)));
}

void CCTabBar::tutorialNextTab() {
    tutorial_tab = (tutorial_tab + 1) % 3;
    selectTab(tutorial_tab, false);
}

void CCTabBar::endTutorial() {
    if (!tutorial_finger)
        return;
    auto finger = tutorial_finger;
    tutorial_finger = nullptr;
    finger->stopAllActions();
    removeChild(finger.get(), engine::Cleanup::Yes);
}

bool CCTabBar::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    if (_isRetracted)
        return false;
    auto* touch = touches.anyObject();
    if (!touch)
        return false;
    auto point = convertTouchToNodeSpace(touch);
    for (std::size_t i = 0; i < tab_list.size(); ++i) {
        auto& tab = *tab_list[i];
        auto size = tab.contentSize();
        engine::Rect box {
            {tab.position().x - size.width / 2, tab.position().y - size.height / 2}, size};
        if (!box.contains(point))
            continue;
        endTutorial();
        selectTab(int(i), false);
        return true;
    }
    return false;
}

void CCTabBar::visit() {
    engine::ScissorScope clip(0, int(bar_position.y - 150), 1024, 150);
    Layer::visit();
}

}

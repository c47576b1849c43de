#include <game/interface/CCStatusBar.hpp>

#include <engine/IntervalAction.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

constexpr engine::Color3B white {255, 255, 255};
constexpr engine::Color3B gain {17, 116, 0};
constexpr engine::Color3B loss {119, 0, 0};

// The tablet's offsets are the phone's scaled by 1024 / 480, added in double.
float padOffset(float base, double phone) {
    return float(double(base) + phone * 1024.0 / 480.0);
}

}

base::Ref<CCStatusBar> CCStatusBar::init() {
    return base::make<CCStatusBar>();
}

base::Ref<engine::Sprite> CCStatusBar::makeSprite(char const* file, int z) {
    auto sprite = engine::Sprite::spriteWithFile(file);
    addChild(sprite, z);
    return sprite;
}

base::Ref<engine::Label> CCStatusBar::makeReadout(
    char const* text, float phoneSize, float padSize, int z) {
    auto label = engine::Label::labelWithString(
        text, {250, 50}, engine::TextAlignment::Left, "Helvetica", _iPadMode ? padSize : phoneSize);
    label->setColor(white);
    label->setStrokeColor(white);
    label->setAnchorPoint({0, 0.5f});
    label->setVisible(true);
    addChild(label, z);
    return label;
}

CCStatusBar::CCStatusBar()
    : _iPadMode(Utilities::isiPad())
    , bar_position(_iPadMode ? engine::Point {0, 768} : engine::Point {0, 320}) {
    _bgBar = makeSprite("statusbar_gamebar.png", 0);
    _levelIcon = makeSprite("statusbar_level.png", 1);
    _levelText = makeReadout("99", 15, 32, 2);
    _scoreIcon = makeSprite("statusbar_happiness.png", 3);
    _scoreText = makeReadout("9999.9%", 15, 32, 4);
    _moneyIcon = makeSprite("statusbar_income.png", 5);
    _moneyText = makeReadout("99999999", 15, 32, 6);
    _dayBG = makeSprite("statusbar_day.png", 7);
    _dayText = makeReadout("9999", 11, 24, 8);
    _timeBG = makeSprite("statusbar_time.png", 9);
    _timeText = makeReadout("00:00", 11, 24, 10);
    layout();
}

void CCStatusBar::setLevelText(std::string const& text) {
    if (_levelText)
        _levelText->setString(text);
}

void CCStatusBar::setScoreText(std::string const& text) {
    if (_scoreText)
        _scoreText->setString(text);
}

void CCStatusBar::setMoneyText(std::string const& text) {
    if (_moneyText)
        _moneyText->setString(text);
}

void CCStatusBar::setDayText(std::string const& text) {
    if (_dayText)
        _dayText->setString(text);
}

void CCStatusBar::setTimeText(std::string const& text) {
    if (_timeText)
        _timeText->fastSetString(text);
}

void CCStatusBar::showChangeMoneyText(std::string const& text, bool positive) {
    if (_moneyText)
        showChange(_changeMoneyText, *_moneyText, text, positive);
}

void CCStatusBar::showChangeScoreText(std::string const& text, bool positive) {
    if (_scoreText)
        showChange(_changeScoreText, *_scoreText, text, positive);
}

void CCStatusBar::showChange(base::Ref<engine::Label>& change, engine::Label& readout,
    std::string const& text, bool positive) {
    if (!change) {
        change = engine::Label::labelWithString(
            text, {150, 50}, engine::TextAlignment::Left, "Helvetica", _iPadMode ? 32 : 15);
        change->setAnchorPoint({0, 0.5f});
        addChild(change, 20);
    }
    change->setString(text);
    change->stopAllActions();
    change->setOpacity(255);
    change->setPosition(readout.position());
    change->setColor(positive ? gain : loss);
    change->runAction(engine::MoveBy::actionWithDuration(2, {0, positive ? 8.0f : -8.0f}));
    GraphicEngine::fadeOutLabel(change.get(), 2);
}

bool CCStatusBar::hitTest(engine::Point worldPoint) {
    if (!_bgBar)
        return false;
    auto point = convertToNodeSpace(worldPoint);
    auto size = _bgBar->contentSize();
    engine::Rect strip {
        {_bgBar->position().x - size.width / 2, _bgBar->position().y - size.height / 2}, size};
    return strip.contains(point);
}

void CCStatusBar::layout() {
    if (!_bgBar)
        return;
    auto bar = bar_position;
    auto bgSize = _bgBar->contentSize();
    _bgBar->setPosition({bar.x + bgSize.width / 2, bar.y - bgSize.height / 2});

    // Each text starts 2 points right of its icon; the day and time texts 10 points
    // left of their backgrounds' centres.
    auto besideIcon = [](engine::Sprite& icon, float y) {
        return engine::Point {icon.position().x + icon.contentSize().width / 2 + 2, y};
    };
    if (_iPadMode) {
        _levelIcon->setPosition({padOffset(bar.x, 10), bar.y - 30});
        _levelText->setPosition(besideIcon(*_levelIcon, bar.y - 35));
        _scoreIcon->setPosition({padOffset(bar.x, 50), bar.y - 30});
        _scoreText->setPosition(besideIcon(*_scoreIcon, bar.y - 35));
        _moneyIcon->setPosition({padOffset(bar.x, 135), bar.y - 30});
        _moneyText->setPosition(besideIcon(*_moneyIcon, bar.y - 35));
        _dayBG->setPosition({float(double(bar.x) + 245 * 1024.0 / 480.0 - 10), bar.y - 30});
        _dayText->setPosition({_dayBG->position().x - 10, bar.y - 40});
        _timeBG->setPosition(
            {float(double(bar.x) + 245 * 1024.0 / 480.0 + double(_dayBG->contentSize().width) + 2),
                bar.y - 30});
        _timeText->setPosition({_timeBG->position().x - 10, bar.y - 40});
    } else {
        _levelIcon->setPosition({bar.x + 10, bar.y - 15});
        _levelText->setPosition(besideIcon(*_levelIcon, bar.y - 30));
        _scoreIcon->setPosition({bar.x + 50, bar.y - 15});
        _scoreText->setPosition(besideIcon(*_scoreIcon, bar.y - 30));
        _moneyIcon->setPosition({bar.x + 135, bar.y - 15});
        _moneyText->setPosition(besideIcon(*_moneyIcon, bar.y - 30));
        _dayBG->setPosition({bar.x + 245, bar.y - 15});
        _dayText->setPosition({_dayBG->position().x - 10, bar.y - 33});
        _timeBG->setPosition({bar.x + 245 + _dayBG->contentSize().width + 2, bar.y - 15});
        _timeText->setPosition({_timeBG->position().x - 10, bar.y - 33});
    }
}

void CCStatusBar::cleanup() {
    if (_bgBar) {
        for (engine::SceneNode* node :
            std::initializer_list<engine::SceneNode*> {_bgBar.get(), _levelIcon.get(),
                _levelText.get(), _scoreIcon.get(), _scoreText.get(), _moneyIcon.get(),
                _moneyText.get(), _dayBG.get(), _dayText.get(), _timeBG.get(), _timeText.get()})
            removeChild(node, engine::Cleanup::Yes);
        _bgBar = nullptr;
    }
    if (_changeMoneyText) {
        removeChild(_changeMoneyText.get(), engine::Cleanup::Yes);
        _changeMoneyText = nullptr;
    }
    if (_changeScoreText) {
        removeChild(_changeScoreText.get(), engine::Cleanup::Yes);
        _changeScoreText = nullptr;
    }
    Layer::cleanup();
}

}

#pragma once

#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>

#include <string>

namespace game {

// The strip across the top of the salon screen: the shop level, satisfaction, money,
// day and clock, each an icon or background with its text, and short coloured texts
// that drift up or down and fade when money or satisfaction change. It formats
// nothing and keeps no game values: the interface writes its texts. It answers
// whether a touch falls on the strip but takes no touches itself. The interface makes
// one for the salon HUD and drops it after cleanup. Main thread.
class CCStatusBar final : public engine::Layer {
public:
    static base::Ref<CCStatusBar> init();

    // Takes effect at the next layout().
    void setBarPosition(engine::Point position) { bar_position = position; }
    engine::Point barPosition() const { return bar_position; }

    void setLevelText(std::string const& text);
    void setScoreText(std::string const& text);
    void setMoneyText(std::string const& text);
    void setDayText(std::string const& text);
    // The clock changes most often: rendered at the label's size with no fitting.
    void setTimeText(std::string const& text);
    // A change shown beside the readout: green rising when positive, dark red sinking
    // otherwise, fading over 2 s. A second change restarts the first's text.
    void showChangeMoneyText(std::string const& text, bool positive);
    void showChangeScoreText(std::string const& text, bool positive);

    // Whether the point (world coordinates) falls on the background strip: its left
    // and bottom edges count, its right and top edges do not.
    bool hitTest(engine::Point worldPoint);
    void layout();
    void cleanup() override;

    engine::Sprite* bgBar() const { return _bgBar.get(); }
    engine::Sprite* levelIcon() const { return _levelIcon.get(); }
    engine::Sprite* scoreIcon() const { return _scoreIcon.get(); }
    engine::Sprite* moneyIcon() const { return _moneyIcon.get(); }
    engine::Sprite* dayBG() const { return _dayBG.get(); }
    engine::Sprite* timeBG() const { return _timeBG.get(); }
    engine::Label* levelText() const { return _levelText.get(); }
    engine::Label* scoreText() const { return _scoreText.get(); }
    engine::Label* moneyText() const { return _moneyText.get(); }
    engine::Label* dayText() const { return _dayText.get(); }
    engine::Label* timeText() const { return _timeText.get(); }
    engine::Label* changeMoneyText() const { return _changeMoneyText.get(); }
    engine::Label* changeScoreText() const { return _changeScoreText.get(); }

private:
    friend base::Factory;
    CCStatusBar();

    base::Ref<engine::Label> makeReadout(char const* text, float phoneSize, float padSize, int z);
    base::Ref<engine::Sprite> makeSprite(char const* file, int z);
    void showChange(base::Ref<engine::Label>& change, engine::Label& readout,
        std::string const& text, bool positive);

    bool _iPadMode {false};
    engine::Point bar_position;
    base::Ref<engine::Sprite> _bgBar, _levelIcon, _scoreIcon, _moneyIcon, _dayBG, _timeBG;
    base::Ref<engine::Label> _levelText, _scoreText, _moneyText, _dayText, _timeText;
    base::Ref<engine::Label> _changeMoneyText, _changeScoreText;
};

}

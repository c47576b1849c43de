#pragma once

#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>

#include <string>

namespace game {

// One bubble of the title backdrop: it rises a point a frame, sways on a sine
// path, spins slowly, fades out over 5 s and removes itself. Its motion is per
// frame, not per second. Its phase and spin come from the seedable generator of
// random(). Main thread only.
class DynamicBubble : public engine::SceneNode {
public:
    static base::Ref<DynamicBubble> initWithImageNamed(std::string const& image, bool dim);

    void update(float dt);
    // sin(phase + t) x 0.5: the sway of a frame at the bubble's age t.
    float sineFunc(float t) const;
    // Off its parent with cleanup; nothing without a parent.
    void destroy();
    void cleanup() override;

    engine::Sprite* bubbleSprite() const { return _bubbleSprite.get(); }
    float phase() const { return _phase; }
    float spin() const { return _spin; }
    engine::Point updateVector() const { return _updateVector; }

protected:
    friend base::Factory;
    DynamicBubble() = default;

private:
    base::Ref<engine::Sprite> _bubbleSprite;
    engine::Point _updateVector {0, 1};
    float _verticalSpeed {1};
    float _horizontalSpeed {0};
    float _clock {0};
    float _phase {0};
    float _spin {0};
};

// The animated backdrop of the title and loading screens: a still background, a
// foreground, the game's title picture and a bobbing title button, with bubbles
// rising between the background and the foreground, two a second while bubbles
// are on. The title screen shows the title and dims it when the main menu opens;
// the loading screen makes its own, stops its bubbles, hides it and fades it in
// dimmed and out around each load. The developer logo is made and kept but not
// drawn. Main thread only.
class DynamicBG : public engine::SceneNode {
public:
    static base::Ref<DynamicBG> node();

    // The button shown and bobbing; bubbles bright again.
    void showTitle();
    // 0.5 s: the button grows and fades away, the background to half opacity, the
    // foreground and title tinted grey; later bubbles are dim.
    void hideTitle();
    // Once a second: two new bubbles while bubbles are on.
    void update(float dt);

    void startBubbles() { _generateBubbles = true; }
    void stopBubbles() { _generateBubbles = false; }
    bool generatesBubbles() const { return _generateBubbles; }
    // Opacity 0 on every picture.
    void hideAll();
    // 0.25 s to full opacity, tinted to grey (128, 128, 128), on the background,
    // foreground and title.
    void fadeInDimmed();
    // 0.25 s to opacity 0 on the background, foreground and title.
    void fadeOut();
    // True when the button runs at most one action (its endless bob) and the
    // background runs none.
    bool isTitleActionDone() const;

    void cleanup() override;

    engine::Sprite* background() const { return _staticBG.get(); }
    engine::Sprite* foreground() const { return _staticFG.get(); }
    engine::Sprite* title() const { return _staticTitle.get(); }
    engine::Sprite* titleButton() const { return _titleButton.get(); }
    engine::Sprite* logo() const { return _bfLogo.get(); }
    bool isDimmed() const { return _isDimmed; }

protected:
    friend base::Factory;
    DynamicBG();

private:
    void initSprites();

    base::Ref<engine::Sprite> _staticBG;
    base::Ref<engine::Sprite> _staticFG;
    base::Ref<engine::Sprite> _staticTitle;
    // Made and kept, but not drawn.
    base::Ref<engine::Sprite> _bfLogo;
    base::Ref<engine::Sprite> _titleButton;
    void addBubble(float x);

    bool _isDimmed {false};
    bool _generateBubbles {false};
};

}

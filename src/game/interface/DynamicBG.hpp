#pragma once

#include <engine/SceneNode.hpp>
#include <engine/Sprite.hpp>

namespace game {

// The animated backdrop of the title and loading screens: a still background, a
// foreground, the game's title picture, the developer logo and the title button.
// The loading screen makes its own, hides it and fades it in dimmed and out
// around each load. Main thread only.
//
// The rising bubbles and the title screen's show and hide come with the title
// screen; this backdrop draws the still pictures and their fades.
class DynamicBG : public engine::SceneNode {
public:
    static base::Ref<DynamicBG> node();

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
    bool _isDimmed {false};
    bool _generateBubbles {false};
};

}

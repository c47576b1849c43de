#pragma once

#include <base/Ref.hpp>
#include <engine/Geometry.hpp>
#include <engine/Layer.hpp>

#include <string>

namespace engine {
class Sprite;
}

namespace game {

// A dial that the player turns with one finger: one sprite that turns round its
// own position to follow the finger, coasts after the finger lifts (keeping 45 %
// of its speed each frame) and keeps its accumulated angle between optional
// limits. It knows nothing of what it measures: the owner sets the limits and
// polls theta() on its own timer; nothing is called back.
//
// The touch is taken only when it begins inside the hit square: on the phone the
// fixed square (0, 0)-(230, 230) of the layer, wherever the sprite stands; on the
// tablet the 460 x 460 square centred on the sprite. A dial that is still coasting
// pauses while a finger is down and, when the finger lifts without moving, coasts
// on at its old speed. Angles are radians, positive clockwise on screen. Owned by
// its parent; main thread only.
class CCDragRotator : public engine::Layer {
public:
    static base::Ref<CCDragRotator> node();

    static constexpr double friction = 0.55;

    // Makes the dial's sprite from the file, at (0, 0) with the anchor point, shown,
    // at z 1. Called once, before setRotatorCenter.
    void loadRotatorImage(std::string const& file, engine::Point anchor);
    // Moves the sprite, and so the centre of rotation, to a point of the layer.
    void setRotatorCenter(engine::Point center);

    double theta() const { return mTheta; }
    double min_theta() const { return min_theta_; }
    void setMin_theta(double value) { min_theta_ = value; }
    double max_theta() const { return max_theta_; }
    void setMax_theta(double value) { max_theta_ = value; }

    // The signed angle swept from a to b round the centre. The centre counts with y
    // up; a and b count with y down from the top of the screen (height 768 on the
    // tablet, 320 on the phone), as a touch reports them in its view. A vector of
    // length 0 is used as it is, so a point on the centre gives 0.
    static double angleWithPointA(engine::Point a, engine::Point b, engine::Point center);

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesEnded(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesCancelled(ui::TouchSet& touches, ui::Event* event) override;

    // Coasting, every frame.
    void update(float dt = 0);
    void cleanup() override;

    // For the owner and tests.
    engine::Sprite* rotatorSprite() const { return mRotatorSprite.get(); }
    double omega() const { return mOmega; }
    bool isTouching() const { return mIsTouching; }
    // The square in which a touch must begin, in layer coordinates.
    engine::Rect hitSquare() const;

protected:
    friend base::Factory;
    CCDragRotator();

private:
    // Keeps mTheta within the limits unless both are 0; the upper one wins when
    // they cross. Then turns the sprite.
    void applyTheta();
    // The touch's location in the frame that angleWithPointA expects.
    engine::Point screenPoint(engine::Point locationInView);

    base::Ref<engine::Sprite> mRotatorSprite;
    double mTheta {0};
    double mOmega {0};
    bool mIsTouching {false};
    double mFriction {friction};
    double min_theta_ {0};
    double max_theta_ {0};
};

}

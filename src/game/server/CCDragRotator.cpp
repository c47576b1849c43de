#include <game/server/CCDragRotator.hpp>

#include <game/shell/Utilities.hpp>

#include <engine/Sprite.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace game {

namespace {

double screenHeight() {
    return Utilities::isiPad() ? 768 : 320;
}

}

base::Ref<CCDragRotator> CCDragRotator::node() {
    return base::make<CCDragRotator>();
}

CCDragRotator::CCDragRotator() {
    setIsTouchEnabled(true);
    schedule(&CCDragRotator::update);
}

void CCDragRotator::loadRotatorImage(std::string const& file, engine::Point anchor) {
    if (mRotatorSprite)
        removeChild(mRotatorSprite.get(), engine::Cleanup::Yes);
    mRotatorSprite = engine::Sprite::spriteWithFile(file);
    mRotatorSprite->setPosition({0, 0});
    mRotatorSprite->setAnchorPoint(anchor);
    mRotatorSprite->setVisible(true);
    addChild(mRotatorSprite, 1);
}

void CCDragRotator::setRotatorCenter(engine::Point center) {
    if (mRotatorSprite)
        mRotatorSprite->setPosition(center);
}

engine::Rect CCDragRotator::hitSquare() const {
    if (!Utilities::isiPad())
        return {{0, 0}, {230, 230}};
    auto at = mRotatorSprite ? mRotatorSprite->position() : engine::Point {};
    return {{at.x - 230, at.y - 230}, {460, 460}};
}

double CCDragRotator::angleWithPointA(engine::Point a, engine::Point b, engine::Point center) {
    double height = screenHeight();
    double ax = double(a.x) - center.x;
    double ay = (height - a.y) - center.y;
    double bx = double(b.x) - center.x;
    double by = (height - b.y) - center.y;
    if (double length = std::hypot(ax, ay); length > 0) {
        ax /= length;
        ay /= length;
    }
    if (double length = std::hypot(bx, by); length > 0) {
        bx /= length;
        by /= length;
    }
    // Rounding can carry the cross product of two unit vectors just past 1.
    double cross = std::clamp(ax * by - ay * bx, -1.0, 1.0);
    return -std::asin(cross);
}

engine::Point CCDragRotator::screenPoint(engine::Point locationInView) {
    // The touch in this layer's own space (y up, wherever the layer and its parents
    // stand), turned back to y down against the screen's height, so that the angle
    // is measured round the sprite as the player sees it, also while the panel
    // that holds the dial is moved away from the screen's origin.
    auto inLayer = convertTouchToNodeSpace(locationInView);
    return {inLayer.x, float(screenHeight() - inLayer.y)};
}

bool CCDragRotator::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch || !isTouchEnabled())
        return false;
    if (!hitSquare().contains(convertTouchToNodeSpace(touch)))
        return false;
    mIsTouching = true;
    return true;
}

bool CCDragRotator::ccTouchesMoved(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch || !mIsTouching)
        return false;
    auto a = screenPoint(touch->previousLocationInView(touch->view()));
    auto b = screenPoint(touch->locationInView(touch->view()));
    auto center = mRotatorSprite ? mRotatorSprite->position() : engine::Point {};
    double angle = angleWithPointA(a, b, center);
    mOmega = angle;
    mTheta += angle;
    applyTheta();
    return true;
}

bool CCDragRotator::ccTouchesEnded(ui::TouchSet&, ui::Event*) {
    mIsTouching = false;
    return true;
}

bool CCDragRotator::ccTouchesCancelled(ui::TouchSet&, ui::Event*) {
    mIsTouching = false;
    return true;
}

void CCDragRotator::update(float) {
    if (mOmega == 0 || mIsTouching)
        return;
    mTheta += mOmega;
    applyTheta();
    double slowed = mOmega - mFriction * mOmega;
    mOmega = mOmega > 0 ? std::max(slowed, 0.0) : std::min(slowed, 0.0);
}

void CCDragRotator::applyTheta() {
    if (min_theta_ != 0 || max_theta_ != 0) {
        if (mTheta < min_theta_)
            mTheta = min_theta_;
        if (mTheta > max_theta_)
            mTheta = max_theta_;
    }
    if (mRotatorSprite)
        mRotatorSprite->setRotation(float(mTheta * 180 / std::numbers::pi));
}

void CCDragRotator::cleanup() {
    unschedule(&CCDragRotator::update);
    if (mRotatorSprite) {
        removeChild(mRotatorSprite.get(), engine::Cleanup::Yes);
        mRotatorSprite = nullptr;
    }
    Layer::cleanup();
}

}

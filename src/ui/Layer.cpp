#include <ui/Animator.hpp>
#include <ui/Layer.hpp>
#include <ui/View.hpp>

namespace ui {

bool Layer::masksToBounds() const {
    return view_.clipsToBounds();
}

void Layer::setMasksToBounds(bool masks) {
    view_.setClipsToBounds(masks);
}

float Layer::opacity() const {
    return view_.alpha();
}

void Layer::setOpacity(float opacity) {
    view_.setAlpha(opacity);
}

void Layer::setNeedsDisplay() {
    view_.setNeedsDisplay();
}

void Layer::addAnimation(LayerAnimation const& animation, std::string const& key) {
    Animator::shared().addLayerAnimation(view_, animation, key);
}

void Layer::removeAnimationForKey(std::string const& key) {
    Animator::shared().removeLayerAnimation(view_, key);
}

void Layer::removeAllAnimations() {
    Animator::shared().removeAllAnimations(view_);
}

LayerAnimation const* Layer::animationForKey(std::string const& key) const {
    return Animator::shared().layerAnimation(view_, key);
}

std::vector<std::string> Layer::animationKeys() const {
    return Animator::shared().animationKeys(view_);
}

}

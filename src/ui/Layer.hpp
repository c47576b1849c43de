#pragma once

#include <base/Ref.hpp>
#include <ui/Color.hpp>

#include <string>
#include <vector>

namespace ui {

class LayerAnimation;
class View;

// The drawing side of a view that the platform keeps in a layer: rounded corners, a
// border, masking, and the explicit animations (basic, keyframe, transition) added by
// key. Part of its view, which it lives and dies with; main thread only.
class Layer {
public:
    explicit Layer(View& view)
        : view_(view) { }
    Layer(Layer const&) = delete;
    Layer& operator=(Layer const&) = delete;

    View& view() const { return view_; }

    // Rounds the background and the border; with masksToBounds the renderer still clips
    // to the square bounds.
    float cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(float radius) { cornerRadius_ = radius < 0 ? 0 : radius; }
    // Drawn inside the bounds, over the content and under the subviews.
    float borderWidth() const { return borderWidth_; }
    void setBorderWidth(float width) { borderWidth_ = width < 0 ? 0 : width; }
    Color borderColor() const { return borderColor_; }
    void setBorderColor(Color color) { borderColor_ = color; }
    // The view's clipsToBounds and alpha under the layer's names.
    bool masksToBounds() const;
    void setMasksToBounds(bool masks);
    float opacity() const;
    void setOpacity(float opacity);
    void setNeedsDisplay();

    // Starts animation on this layer under key, replacing (and ending with finished
    // false) one already there under the same key; an empty key never replaces. The
    // animation is copied, so the caller may change and add it again.
    void addAnimation(LayerAnimation const& animation, std::string const& key);
    // Ends the animation under key, or all of them, with finished false.
    void removeAnimationForKey(std::string const& key);
    void removeAllAnimations();
    // The running animation under key, or null.
    LayerAnimation const* animationForKey(std::string const& key) const;
    std::vector<std::string> animationKeys() const;

private:
    View& view_;
    float cornerRadius_ {0};
    float borderWidth_ {0};
    Color borderColor_ {Color::blackColor()};
};

}

#pragma once

#include <ui/View.hpp>

#include <string>

namespace ui {

// Minimal stand-ins for the label and image view of the controls, which the
// composite views hold until they take the real controls: they keep what the
// callers set and take no touches (as the platform's labels and image views), so
// a tap on them reaches the cell or panel around them. They draw nothing.

class LabelStandIn : public View {
public:
    static base::Ref<LabelStandIn> create(graphics::Rect frame = {}) {
        return base::make<LabelStandIn>(frame);
    }
    explicit LabelStandIn(graphics::Rect frame = {})
        : View(frame) {
        setUserInteractionEnabled(false);
    }

    std::string const& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }

private:
    std::string text_;
};

class ImageViewStandIn : public View {
public:
    static base::Ref<ImageViewStandIn> create(graphics::Rect frame = {}) {
        return base::make<ImageViewStandIn>(frame);
    }
    explicit ImageViewStandIn(graphics::Rect frame = {})
        : View(frame) {
        setUserInteractionEnabled(false);
    }
};

}

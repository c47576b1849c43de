#pragma once

#include <ui/View.hpp>

#include <functional>
#include <string>

namespace ui {

// A titled rectangle that answers a tap: highlighted while a finger that went down
// on it is over it, and calling its action when that finger lifts inside it (the
// platform's touch-up-inside). The buttons of alerts, action sheets and bars are
// made of it. It keeps every touch to itself. Main thread only.
class TapArea : public View {
public:
    using Action = std::function<void()>;

    static base::Ref<TapArea> create(graphics::Rect frame, std::string title, Action action);

    TapArea(graphics::Rect frame, std::string title, Action action);

    std::string const& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    void setAction(Action action) { action_ = std::move(action); }
    // A disabled area takes touches (so they do not fall through) but does nothing.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isHighlighted() const { return highlighted_; }

    void touchesBegan(TouchSet const& touches, Event* event) override;
    void touchesMoved(TouchSet const& touches, Event* event) override;
    void touchesEnded(TouchSet const& touches, Event* event) override;
    void touchesCancelled(TouchSet const& touches, Event* event) override;

private:
    bool isInside(TouchSet const& touches) const;

    std::string title_;
    Action action_;
    bool enabled_ {true};
    bool highlighted_ {false};
    bool tracking_ {false};
};

}

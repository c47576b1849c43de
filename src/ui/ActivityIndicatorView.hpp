#pragma once

#include <ui/Color.hpp>
#include <ui/View.hpp>

namespace ui {

// The sizes and colours of the spinner, numbered as the platform numbers them.
enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

// The spinning wheel of twelve spokes shown while something loads: one turn a second,
// read from the clock. Hidden while stopped unless told otherwise; a new one is
// stopped. Takes no touches. Main thread only.
class ActivityIndicatorView : public View {
public:
    // 37 x 37 points for the large style, 20 x 20 for the others.
    static base::Ref<ActivityIndicatorView> create(
        ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);
    static base::Ref<ActivityIndicatorView> create(graphics::Rect frame);

    ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
    void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
    // The spokes' colour; the style's (white or grey) unless set.
    Color color() const;
    void setColor(Color color);
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides);

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return animating_; }

    graphics::Size sizeThatFits(graphics::Size size) const override;
    std::uint64_t contentVersion() const override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    // The spoke drawn brightest now, 0 to 11.
    int step() const;

    ActivityIndicatorViewStyle style_;
    Color color_ {Color::clearColor()};
    double start_ {0};
    bool hidesWhenStopped_ {true};
    bool animating_ {false};

    friend base::Factory;

    ActivityIndicatorView(graphics::Rect frame, ActivityIndicatorViewStyle style);
};

}

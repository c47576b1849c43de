#pragma once

#include <base/Ref.hpp>
#include <ui/Control.hpp>
#include <ui/Image.hpp>

#include <string>
#include <vector>

namespace ui {

enum class SegmentedControlStyle { Plain = 0, Bordered = 1, Bar = 2, Bezeled = 3 };

// A row of buttons of which one is selected. A finger going down on an enabled segment
// other than the selected one selects it and sends ValueChanged; a momentary control
// shows the segment pressed only while the finger is down (its selected index still
// names the last segment pressed). Segments are as wide as set, the rest sharing what
// is left equally. Main thread only.
class SegmentedControl : public Control {
public:
    static constexpr int noSegment = -1;

    // One segment per title.
    static base::Ref<SegmentedControl> create(std::vector<std::string> const& titles = {});

    std::size_t numberOfSegments() const { return segments_.size(); }
    // index past the end appends.
    void insertSegmentWithTitle(std::string title, std::size_t index, bool animated = false);
    void insertSegmentWithImage(base::Ref<Image> image, std::size_t index, bool animated = false);
    void removeSegmentAtIndex(std::size_t index, bool animated = false);
    void removeAllSegments();

    // The operations on one segment do nothing (or answer empty) for an index out of range.
    void setTitle(std::string title, std::size_t index);
    std::string titleForSegmentAtIndex(std::size_t index) const;
    void setImage(base::Ref<Image> image, std::size_t index);
    Image* imageForSegmentAtIndex(std::size_t index) const;
    // 0 shares the width left equally.
    void setWidth(float width, std::size_t index);
    float widthForSegmentAtIndex(std::size_t index) const;
    void setEnabled(bool enabled, std::size_t index);
    bool isEnabledForSegmentAtIndex(std::size_t index) const;
    using Control::setEnabled;

    int selectedSegmentIndex() const { return selected_; }
    // Sends nothing; an index out of range selects none.
    void setSelectedSegmentIndex(int index);
    bool isMomentary() const { return momentary_; }
    void setMomentary(bool momentary) { momentary_ = momentary; }
    SegmentedControlStyle segmentedControlStyle() const { return style_; }
    void setSegmentedControlStyle(SegmentedControlStyle style);
    Color tintColor() const { return tint_; }
    void setTintColor(Color color);

    // Each segment's rectangle within bounds.
    std::vector<graphics::Rect> segmentRects() const;
    // The segment under point (in the control's coordinates), or noSegment.
    int segmentAtPoint(graphics::Point point) const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    bool beginTrackingWithTouch(Touch& touch, Event* event) override;
    void endTrackingWithTouch(Touch& touch, Event* event) override;
    void cancelTrackingWithEvent(Event* event) override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    struct Segment {
        std::string title;
        base::Ref<Image> image;
        float width {0};
        bool enabled {true};
    };

    std::vector<Segment> segments_;
    SegmentedControlStyle style_ {SegmentedControlStyle::Plain};
    Color tint_ {Color::colorWithRed(0.27f, 0.45f, 0.75f)};
    int selected_ {noSegment};
    int pressed_ {noSegment};
    bool momentary_ {false};

    friend base::Factory;

    explicit SegmentedControl(graphics::Rect frame = {});
};

}

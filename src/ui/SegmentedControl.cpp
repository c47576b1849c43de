#include <graphics/StringDrawing.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/SegmentedControl.hpp>
#include <ui/TextLayout.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

base::Ref<graphics::Font> segmentFont() {
    return graphics::Font::boldSystemFontOfSize(13);
}

}

base::Ref<SegmentedControl> SegmentedControl::create(std::vector<std::string> const& titles) {
    auto control = base::make<SegmentedControl>();
    for (auto const& title : titles)
        control->insertSegmentWithTitle(title, control->numberOfSegments());
    control->sizeToFit();
    return control;
}

SegmentedControl::SegmentedControl(graphics::Rect frame)
    : Control(frame) {
    setOpaque(false);
}

void SegmentedControl::insertSegmentWithTitle(std::string title, std::size_t index, bool) {
    index = std::min(index, segments_.size());
    segments_.insert(
        segments_.begin() + std::ptrdiff_t(index), Segment {std::move(title), {}, 0, true});
    if (selected_ >= int(index))
        ++selected_;
    setNeedsDisplay();
}

void SegmentedControl::insertSegmentWithImage(base::Ref<Image> image, std::size_t index, bool) {
    index = std::min(index, segments_.size());
    segments_.insert(
        segments_.begin() + std::ptrdiff_t(index), Segment {{}, std::move(image), 0, true});
    if (selected_ >= int(index))
        ++selected_;
    setNeedsDisplay();
}

void SegmentedControl::removeSegmentAtIndex(std::size_t index, bool) {
    if (index >= segments_.size())
        return;
    segments_.erase(segments_.begin() + std::ptrdiff_t(index));
    if (selected_ == int(index))
        selected_ = noSegment;
    else if (selected_ > int(index))
        --selected_;
    setNeedsDisplay();
}

void SegmentedControl::removeAllSegments() {
    segments_.clear();
    selected_ = noSegment;
    setNeedsDisplay();
}

void SegmentedControl::setTitle(std::string title, std::size_t index) {
    if (index < segments_.size()) {
        segments_[index].title = std::move(title);
        segments_[index].image = nullptr;
        setNeedsDisplay();
    }
}

std::string SegmentedControl::titleForSegmentAtIndex(std::size_t index) const {
    return index < segments_.size() ? segments_[index].title : std::string();
}

void SegmentedControl::setImage(base::Ref<Image> image, std::size_t index) {
    if (index < segments_.size()) {
        segments_[index].image = std::move(image);
        segments_[index].title.clear();
        setNeedsDisplay();
    }
}

Image* SegmentedControl::imageForSegmentAtIndex(std::size_t index) const {
    return index < segments_.size() ? segments_[index].image.get() : nullptr;
}

void SegmentedControl::setWidth(float width, std::size_t index) {
    if (index < segments_.size()) {
        segments_[index].width = std::fmax(0.0f, width);
        setNeedsDisplay();
    }
}

float SegmentedControl::widthForSegmentAtIndex(std::size_t index) const {
    return index < segments_.size() ? segments_[index].width : 0;
}

void SegmentedControl::setEnabled(bool enabled, std::size_t index) {
    if (index < segments_.size()) {
        segments_[index].enabled = enabled;
        setNeedsDisplay();
    }
}

bool SegmentedControl::isEnabledForSegmentAtIndex(std::size_t index) const {
    return index < segments_.size() && segments_[index].enabled;
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index < 0 || std::size_t(index) >= segments_.size())
        index = noSegment;
    if (index != selected_) {
        selected_ = index;
        setNeedsDisplay();
    }
}

void SegmentedControl::setSegmentedControlStyle(SegmentedControlStyle style) {
    style_ = style;
    setNeedsDisplay();
}

void SegmentedControl::setTintColor(Color color) {
    tint_ = color;
    setNeedsDisplay();
}

std::vector<graphics::Rect> SegmentedControl::segmentRects() const {
    std::vector<graphics::Rect> rects;
    auto b = bounds();
    float fixed = 0;
    int shared = 0;
    for (auto const& segment : segments_) {
        if (segment.width > 0)
            fixed += segment.width;
        else
            ++shared;
    }
    float each = shared > 0 ? std::fmax(0.0f, b.size.width - fixed) / float(shared) : 0;
    float x = b.origin.x;
    for (auto const& segment : segments_) {
        float width = segment.width > 0 ? segment.width : each;
        rects.push_back({{x, b.origin.y}, {width, b.size.height}});
        x += width;
    }
    return rects;
}

int SegmentedControl::segmentAtPoint(graphics::Point point) const {
    auto rects = segmentRects();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(point))
            return int(i);
    }
    return noSegment;
}

graphics::Size SegmentedControl::sizeThatFits(graphics::Size) const {
    float height = style_ == SegmentedControlStyle::Bar ? 30 : 44;
    float widest = 0;
    auto font = segmentFont();
    for (auto const& segment : segments_) {
        float width = 0;
        if (segment.image)
            width = segment.image->size().width;
        else if (font)
            width = graphics::sizeWithFont(segment.title, *font).width;
        widest = std::fmax(widest, width);
    }
    float width = 0;
    for (auto const& segment : segments_)
        width += segment.width > 0 ? segment.width : widest + 20;
    return {std::ceil(width), height};
}

bool SegmentedControl::beginTrackingWithTouch(Touch& touch, Event* event) {
    int index = segmentAtPoint(touch.locationInView(this));
    if (index == noSegment || !segments_[std::size_t(index)].enabled)
        return false;
    pressed_ = index;
    bool changed = index != selected_;
    selected_ = index;
    setNeedsDisplay();
    if (changed || momentary_)
        sendActions(ControlEvents::ValueChanged, event);
    return true;
}

void SegmentedControl::endTrackingWithTouch(Touch&, Event*) {
    pressed_ = noSegment;
    setNeedsDisplay();
}

void SegmentedControl::cancelTrackingWithEvent(Event*) {
    pressed_ = noSegment;
    setNeedsDisplay();
}

void SegmentedControl::drawRect(GraphicsContext& context, graphics::Rect) {
    auto rects = segmentRects();
    auto b = bounds().insetBy(0.5f, 0.5f);
    float radius = style_ == SegmentedControlStyle::Bar ? 4 : 8;
    context.setFillColor(style_ == SegmentedControlStyle::Bar ? tint_ : Color::whiteColor());
    context.fillRoundedRect(b, radius);
    int shown = momentary_ ? pressed_ : selected_;
    auto font = segmentFont();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        auto const& segment = segments_[i];
        auto r = rects[i];
        bool on = int(i) == shown;
        if (on) {
            context.saveGState();
            context.beginPath();
            context.addRoundedRect(b, radius);
            context.clip();
            context.setFillColor(
                style_ == SegmentedControlStyle::Bar ? Color::colorWithWhite(0, 0.3f) : tint_);
            context.fillRect(r);
            context.restoreGState();
        }
        if (i > 0) {
            context.setStrokeColor(Color::colorWithWhite(0.55f));
            context.strokeLineSegments({{r.minX(), b.minY()}, {r.minX(), b.maxY()}});
        }
        float alpha = segment.enabled && isEnabled() ? 1.0f : 0.4f;
        if (segment.image) {
            auto size = segment.image->size();
            context.drawImage(*segment.image,
                {{r.midX() - size.width / 2, r.midY() - size.height / 2}, size}, alpha);
        } else if (!segment.title.empty() && font) {
            bool light = on || style_ == SegmentedControlStyle::Bar;
            Color color = light ? Color::whiteColor() : Color::colorWithWhite(0.3f);
            context.setFillColor(color.colorWithAlphaComponent(alpha));
            graphics::Rect text {{r.minX() + 4, r.midY() - font->lineHeight() / 2},
                {r.size.width - 8, font->lineHeight()}};
            context.drawText(segment.title, text, font.get(), LineBreakMode::TailTruncation,
                TextAlignment::Center);
        }
    }
    context.setStrokeColor(Color::colorWithWhite(0.55f));
    context.strokeRoundedRect(b, radius);
}

}

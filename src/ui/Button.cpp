#include <graphics/StringDrawing.hpp>
#include <ui/Button.hpp>
#include <ui/GraphicsContext.hpp>

#include <cairo.h>

#include <cmath>

namespace ui {

namespace {

Color const pressedOverlay = Color::colorWithWhite(0, 0.3f);
Color const disabledOverlay = Color::colorWithWhite(1, 0.4f);

graphics::Rect inset(graphics::Rect r, EdgeInsets const& e) {
    return {{r.origin.x + e.left, r.origin.y + e.top},
        {r.size.width - e.left - e.right, r.size.height - e.top - e.bottom}};
}

}

base::Ref<Button> Button::buttonWithType(ButtonType type) {
    return base::make<Button>(graphics::Rect {}, type);
}

base::Ref<Button> Button::create(graphics::Rect frame) {
    return base::make<Button>(frame, ButtonType::Custom);
}

base::Ref<Button> Button::create(
    graphics::Rect frame, std::string title, std::function<void()> action) {
    auto button = create(frame);
    button->setTitle(std::move(title), ControlState::Normal);
    if (action) {
        button->addTarget(
            nullptr, [action = std::move(action)](Control&, Event*) { action(); },
            ControlEvents::TouchUpInside);
    }
    return button;
}

Button::Button(graphics::Rect frame, ButtonType type)
    : Control(frame)
    , type_(type) {
    setOpaque(false);
    imageView_ = ImageView::create();
    imageView_->setContentMode(ContentMode::Center);
    titleLabel_ = Label::create();
    titleLabel_->setBackgroundColor(Color::clearColor());
    titleLabel_->setOpaque(false);
    titleLabel_->setFont(graphics::Font::boldSystemFontOfSize(15));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setLineBreakMode(LineBreakMode::MiddleTruncation);
    titleLabel_->setShadowOffset({0, 0});
    addSubview(imageView_);
    addSubview(titleLabel_);
    if (type == ButtonType::RoundedRect) {
        titleColors_[ControlState::Normal] = Color::colorWithRed(0.196f, 0.310f, 0.522f);
        titleColors_[ControlState::Highlighted] = Color::whiteColor();
    } else {
        titleColors_[ControlState::Normal] = Color::whiteColor();
    }
    updateContent();
}

template<typename T> std::optional<T> Button::lookup(PerState<T> const& table, unsigned state) {
    if (auto it = table.find(state); it != table.end())
        return it->second;
    // Highlighted while selected falls back to selected before normal.
    if (state & ControlState::Selected) {
        if (auto it = table.find(ControlState::Selected); it != table.end())
            return it->second;
    }
    if (auto it = table.find(ControlState::Normal); it != table.end())
        return it->second;
    return std::nullopt;
}

void Button::setTitle(std::string title, unsigned state) {
    titles_[state] = std::move(title);
    updateContent();
}

std::string Button::titleForState(unsigned state) const {
    return lookup(titles_, state).value_or(std::string());
}

void Button::setTitleColor(Color color, unsigned state) {
    titleColors_[state] = color;
    updateContent();
}

Color Button::titleColorForState(unsigned state) const {
    return lookup(titleColors_, state).value_or(Color::whiteColor());
}

void Button::setTitleShadowColor(Color color, unsigned state) {
    titleShadowColors_[state] = color;
    updateContent();
}

Color Button::titleShadowColorForState(unsigned state) const {
    return lookup(titleShadowColors_, state).value_or(Color::clearColor());
}

void Button::setImage(base::Ref<Image> image, unsigned state) {
    images_[state] = std::move(image);
    updateContent();
}

Image* Button::imageForState(unsigned state) const {
    auto found = lookup(images_, state);
    return found ? found->get() : nullptr;
}

void Button::setBackgroundImage(base::Ref<Image> image, unsigned state) {
    backgroundImages_[state] = std::move(image);
    updateContent();
}

Image* Button::backgroundImageForState(unsigned state) const {
    auto found = lookup(backgroundImages_, state);
    return found ? found->get() : nullptr;
}

void Button::setContentEdgeInsets(EdgeInsets insets) {
    contentInsets_ = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(EdgeInsets insets) {
    titleInsets_ = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(EdgeInsets insets) {
    imageInsets_ = insets;
    setNeedsLayout();
}

void Button::setShowsTouchWhenHighlighted(bool shows) {
    showsTouch_ = shows;
    setNeedsDisplay();
}

void Button::setAdjustsImageWhenHighlighted(bool adjusts) {
    adjustsWhenHighlighted_ = adjusts;
    updateContent();
}

void Button::setAdjustsImageWhenDisabled(bool adjusts) {
    adjustsWhenDisabled_ = adjusts;
    updateContent();
}

void Button::stateDidChange() {
    updateContent();
}

void Button::updateContent() {
    unsigned now = state();
    titleLabel_->setText(titleForState(now));
    titleLabel_->setTextColor(titleColorForState(now));
    titleLabel_->setShadowColor(titleShadowColorForState(now));
    imageView_->setImage(base::Ref<Image>(imageForState(now)));
    Color overlay = Color::clearColor();
    if (isHighlighted() && adjustsWhenHighlighted_ && !images_.contains(now))
        overlay = pressedOverlay;
    else if (!isEnabled() && adjustsWhenDisabled_ && !images_.contains(now))
        overlay = disabledOverlay;
    imageView_->setImageOverlay(overlay);
    setNeedsDisplay();
    setNeedsLayout();
}

graphics::Size Button::titleSize() const {
    auto const* font = titleLabel_->font();
    if (titleLabel_->text().empty() || !font)
        return {};
    return graphics::sizeWithFont(titleLabel_->text(), *font);
}

graphics::Size Button::imageSize() const {
    auto* image = currentImage();
    return image ? image->size() : graphics::Size {};
}

graphics::Rect Button::contentRectForBounds(graphics::Rect bounds) const {
    return inset(bounds, contentInsets_);
}

namespace {

// One element's place across its area: the run of image and title starts at runStart.
float placeAcross(ControlContentHorizontalAlignment alignment, graphics::Rect const& area,
    float total, float offsetInRun, float width, bool isTitle) {
    switch (alignment) {
    case ControlContentHorizontalAlignment::Left:
        return area.origin.x + offsetInRun;
    case ControlContentHorizontalAlignment::Right:
        return isTitle ? area.maxX() - width : area.maxX() - total;
    default:
        return area.midX() - total / 2 + offsetInRun;
    }
}

graphics::Rect placeDown(ControlContentVerticalAlignment alignment, graphics::Rect const& area,
    float x, float width, float height) {
    switch (alignment) {
    case ControlContentVerticalAlignment::Top:
        return {{x, area.origin.y}, {width, height}};
    case ControlContentVerticalAlignment::Bottom:
        return {{x, area.maxY() - height}, {width, height}};
    case ControlContentVerticalAlignment::Fill:
        return {{x, area.origin.y}, {width, area.size.height}};
    default:
        return {{x, area.midY() - height / 2}, {width, height}};
    }
}

}

graphics::Rect Button::imageRectForContentRect(graphics::Rect content) const {
    auto image = imageSize();
    if (image.width <= 0 || image.height <= 0)
        return {{content.midX(), content.midY()}, {0, 0}};
    auto title = titleSize();
    float titleWidth = std::fmin(title.width, std::fmax(0.0f, content.size.width - image.width));
    auto area = inset(content, imageInsets_);
    float x = placeAcross(
        contentHorizontalAlignment(), area, image.width + titleWidth, 0, image.width, false);
    return placeDown(contentVerticalAlignment(), area, x, image.width, image.height);
}

graphics::Rect Button::titleRectForContentRect(graphics::Rect content) const {
    auto title = titleSize();
    if (title.width <= 0)
        return {{content.midX(), content.midY()}, {0, 0}};
    auto image = imageSize();
    auto area = inset(content, titleInsets_);
    float width = std::fmin(title.width, std::fmax(0.0f, area.size.width - image.width));
    float x = placeAcross(
        contentHorizontalAlignment(), area, image.width + width, image.width, width, true);
    return placeDown(
        contentVerticalAlignment(), area, x, width, std::fmin(title.height, area.size.height));
}

void Button::layoutSubviews() {
    auto content = contentRectForBounds(bounds());
    imageView_->setFrame(imageRectForContentRect(content));
    titleLabel_->setFrame(titleRectForContentRect(content));
}

graphics::Size Button::sizeThatFits(graphics::Size) const {
    auto title = titleSize();
    auto image = imageSize();
    graphics::Size size {image.width + title.width + contentInsets_.left + contentInsets_.right,
        std::fmax(image.height, title.height) + contentInsets_.top + contentInsets_.bottom};
    if (auto* background = currentBackgroundImage()) {
        size.width = std::fmax(size.width, background->size().width);
        size.height = std::fmax(size.height, background->size().height);
    }
    return size;
}

void Button::drawRect(GraphicsContext& context, graphics::Rect) {
    auto b = bounds();
    unsigned now = state();
    if (auto* background = currentBackgroundImage()) {
        Color overlay = Color::clearColor();
        if (isHighlighted() && adjustsWhenHighlighted_ && !backgroundImages_.contains(now))
            overlay = pressedOverlay;
        else if (!isEnabled() && adjustsWhenDisabled_ && !backgroundImages_.contains(now))
            overlay = disabledOverlay;
        context.drawImage(*background, b, overlay);
    } else if (type_ == ButtonType::RoundedRect) {
        auto box = b.insetBy(0.5f, 0.5f);
        context.setFillColor(
            isHighlighted() ? Color::colorWithRed(0.02f, 0.45f, 0.93f) : Color::whiteColor());
        context.fillRoundedRect(box, 9);
        context.setStrokeColor(Color::colorWithWhite(0.6f));
        context.setLineWidth(1);
        context.strokeRoundedRect(box, 9);
    }
    if (showsTouch_ && isHighlighted()) {
        auto* cairo = context.cairo();
        auto* glow = cairo_pattern_create_radial(b.midX(), b.midY(), 0, b.midX(), b.midY(), 20);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 1, 0.9);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 1, 0);
        cairo_save(cairo);
        cairo_set_source(cairo, glow);
        cairo_arc(cairo, b.midX(), b.midY(), 20, 0, 2 * M_PI);
        cairo_fill(cairo);
        cairo_restore(cairo);
        cairo_pattern_destroy(glow);
        context.markDrawn();
    }
}

}

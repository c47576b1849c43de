#include <foundation/Clock.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/ImageView.hpp>

#include <algorithm>
#include <cmath>

namespace ui {

graphics::Rect rectForContentMode(ContentMode mode, graphics::Size content, graphics::Rect bounds) {
    auto const& b = bounds;
    float w = content.width, h = content.height;
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return bounds;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
        if (w <= 0 || h <= 0)
            return bounds;
        float sx = b.size.width / w, sy = b.size.height / h;
        float s = mode == ContentMode::ScaleAspectFit ? std::fmin(sx, sy) : std::fmax(sx, sy);
        w *= s;
        h *= s;
        return {{b.midX() - w / 2, b.midY() - h / 2}, {w, h}};
    }
    default:
        break;
    }
    float left = b.minX(), right = b.maxX() - w, midX = b.midX() - w / 2;
    float top = b.minY(), bottom = b.maxY() - h, midY = b.midY() - h / 2;
    float x = midX, y = midY;
    switch (mode) {
    case ContentMode::Top:
        y = top;
        break;
    case ContentMode::Bottom:
        y = bottom;
        break;
    case ContentMode::Left:
        x = left;
        break;
    case ContentMode::Right:
        x = right;
        break;
    case ContentMode::TopLeft:
        x = left;
        y = top;
        break;
    case ContentMode::TopRight:
        x = right;
        y = top;
        break;
    case ContentMode::BottomLeft:
        x = left;
        y = bottom;
        break;
    case ContentMode::BottomRight:
        x = right;
        y = bottom;
        break;
    default:
        break;
    }
    return {{x, y}, {w, h}};
}

base::Ref<ImageView> ImageView::create(graphics::Rect frame) {
    return base::make<ImageView>(frame);
}

base::Ref<ImageView> ImageView::imageViewWithImage(
    base::Ref<Image> image, base::Ref<Image> highlightedImage) {
    graphics::Rect frame;
    if (image)
        frame.size = image->size();
    auto view = create(frame);
    view->setImage(std::move(image));
    view->setHighlightedImage(std::move(highlightedImage));
    return view;
}

ImageView::ImageView(graphics::Rect frame)
    : View(frame) {
    setUserInteractionEnabled(false);
}

void ImageView::setImage(base::Ref<Image> image) {
    if (image.get() == image_.get())
        return;
    image_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setHighlightedImage(base::Ref<Image> image) {
    highlightedImage_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted) {
    if (highlighted != highlighted_) {
        highlighted_ = highlighted;
        setNeedsDisplay();
    }
}

void ImageView::setAnimationImages(std::vector<base::Ref<Image>> images) {
    std::erase_if(images, [](auto const& image) { return !image; });
    animationImages_ = std::move(images);
    if (animationImages_.empty())
        animating_ = false;
    setNeedsDisplay();
}

double ImageView::cycleDuration() const {
    return animationDuration_ > 0 ? animationDuration_ : double(animationImages_.size()) / 30.0;
}

void ImageView::startAnimating() {
    if (animationImages_.empty())
        return;
    animating_ = true;
    animationStart_ = foundation::Clock::current().monotonic();
    setNeedsDisplay();
}

void ImageView::stopAnimating() {
    if (animating_) {
        animating_ = false;
        setNeedsDisplay();
    }
}

bool ImageView::isAnimating() const {
    if (!animating_ || animationImages_.empty())
        return false;
    if (animationRepeatCount_ == 0)
        return true;
    double elapsed = foundation::Clock::current().monotonic() - animationStart_;
    return elapsed < cycleDuration() * animationRepeatCount_;
}

int ImageView::frameIndex() const {
    if (!isAnimating())
        return -1;
    double cycle = cycleDuration();
    if (cycle <= 0)
        return 0;
    double elapsed = foundation::Clock::current().monotonic() - animationStart_;
    double position = std::fmod(elapsed, cycle) / cycle;
    auto count = int(animationImages_.size());
    return std::clamp(int(position * count), 0, count - 1);
}

Image* ImageView::displayedImage() const {
    int index = frameIndex();
    if (index >= 0)
        return animationImages_[std::size_t(index)].get();
    if (highlighted_ && highlightedImage_)
        return highlightedImage_.get();
    return image_.get();
}

graphics::Size ImageView::sizeThatFits(graphics::Size) const {
    auto* image = displayedImage();
    return image ? image->size() : graphics::Size {};
}

std::uint64_t ImageView::contentVersion() const {
    // Each animation frame is a drawing of its own.
    return (View::contentVersion() << 16) + std::uint64_t(frameIndex() + 1);
}

void ImageView::setImageOverlay(Color overlay) {
    if (overlay != overlay_) {
        overlay_ = overlay;
        setNeedsDisplay();
    }
}

void ImageView::drawRect(GraphicsContext& context, graphics::Rect) {
    if (auto* image = displayedImage())
        context.drawImage(
            *image, rectForContentMode(contentMode(), image->size(), bounds()), overlay_);
}

}

#pragma once

#include <base/Ref.hpp>
#include <ui/Image.hpp>
#include <ui/View.hpp>

#include <vector>

namespace ui {

// Where content of contentSize goes in bounds under mode: stretched, fitted, filled,
// or placed at a side or corner at its own size.
graphics::Rect rectForContentMode(
    ContentMode mode, graphics::Size contentSize, graphics::Rect bounds);

// Shows an image, its highlighted image while highlighted, or cycles through a list of
// images. Takes no touches unless told to. The cycle is read from the clock, so it needs
// no timer: frame i of n shows from i / n of the duration on, and after repeatCount
// cycles (0: for ever) the view stops animating and shows its image again.
// Main thread only.
class ImageView : public View {
public:
    static base::Ref<ImageView> create(graphics::Rect frame = {});
    // Sized to the image.
    static base::Ref<ImageView> imageViewWithImage(
        base::Ref<Image> image, base::Ref<Image> highlightedImage = {});

    Image* image() const { return image_.get(); }
    void setImage(base::Ref<Image> image);
    Image* highlightedImage() const { return highlightedImage_.get(); }
    void setHighlightedImage(base::Ref<Image> image);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    std::vector<base::Ref<Image>> const& animationImages() const { return animationImages_; }
    void setAnimationImages(std::vector<base::Ref<Image>> images);
    // One cycle; 0 (the default) means 1/30 s per image.
    double animationDuration() const { return animationDuration_; }
    void setAnimationDuration(double duration) { animationDuration_ = duration; }
    int animationRepeatCount() const { return animationRepeatCount_; }
    void setAnimationRepeatCount(int count) { animationRepeatCount_ = count < 0 ? 0 : count; }
    // Restarts the cycle from its first image; nothing without animation images.
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const;

    // The image on show now.
    Image* displayedImage() const;
    // Laid over the image's own pixels when drawn (clear: nothing), as buttons darken a
    // pressed image.
    Color imageOverlay() const { return overlay_; }
    void setImageOverlay(Color overlay);

    graphics::Size sizeThatFits(graphics::Size size) const override;
    std::uint64_t contentVersion() const override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

private:
    double cycleDuration() const;
    // The index of the animation image on show, or -1.
    int frameIndex() const;

    base::Ref<Image> image_;
    base::Ref<Image> highlightedImage_;
    std::vector<base::Ref<Image>> animationImages_;
    double animationDuration_ {0};
    double animationStart_ {0};
    int animationRepeatCount_ {0};
    bool animating_ {false};
    Color overlay_ {Color::clearColor()};
    bool highlighted_ {false};

    friend base::Factory;

    explicit ImageView(graphics::Rect frame = {});
};

}

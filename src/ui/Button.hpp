#pragma once

#include <base/Ref.hpp>
#include <ui/Control.hpp>
#include <ui/EdgeInsets.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ui {

// The kinds of button, numbered as the platform numbers them.
enum class ButtonType {
    Custom = 0,
    RoundedRect = 1,
    DetailDisclosure = 2,
    InfoLight = 3,
    InfoDark = 4,
    ContactAdd = 5
};

// A control with a title, an image and a background image for each state. A state
// without a value of its own uses the normal state's. The title (in titleLabel) and the
// image (in imageView) sit side by side, centred in the bounds less contentEdgeInsets and
// moved by their own insets; the background image is stretched over the bounds. A
// rounded-rect button draws a white rounded box instead of a background image.
// Main thread only.
class Button : public Control {
public:
    static base::Ref<Button> buttonWithType(ButtonType type);
    // A custom button.
    static base::Ref<Button> create(graphics::Rect frame = {});
    // A custom button titled title (normal state) that calls action on each touch-up
    // inside: the buttons of alerts, action sheets and bars.
    static base::Ref<Button> create(
        graphics::Rect frame, std::string title, std::function<void()> action);

    ButtonType buttonType() const { return type_; }

    void setTitle(std::string title, unsigned state);
    std::string titleForState(unsigned state) const;
    void setTitleColor(Color color, unsigned state);
    Color titleColorForState(unsigned state) const;
    void setTitleShadowColor(Color color, unsigned state);
    Color titleShadowColorForState(unsigned state) const;
    void setImage(base::Ref<Image> image, unsigned state);
    Image* imageForState(unsigned state) const;
    void setBackgroundImage(base::Ref<Image> image, unsigned state);
    Image* backgroundImageForState(unsigned state) const;

    std::string currentTitle() const { return titleForState(state()); }
    Color currentTitleColor() const { return titleColorForState(state()); }
    Image* currentImage() const { return imageForState(state()); }
    Image* currentBackgroundImage() const { return backgroundImageForState(state()); }

    // The subviews that show the title and the image: set their fonts, shadows and the like
    // here; their text, colours and pictures follow the state.
    Label* titleLabel() const { return titleLabel_.get(); }
    ImageView* imageView() const { return imageView_.get(); }

    EdgeInsets contentEdgeInsets() const { return contentInsets_; }
    void setContentEdgeInsets(EdgeInsets insets);
    EdgeInsets titleEdgeInsets() const { return titleInsets_; }
    void setTitleEdgeInsets(EdgeInsets insets);
    EdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(EdgeInsets insets);

    // A soft white glow in the middle while highlighted.
    bool showsTouchWhenHighlighted() const { return showsTouch_; }
    void setShowsTouchWhenHighlighted(bool shows);
    // Darkens the images while highlighted when no highlighted image of their own is set.
    bool adjustsImageWhenHighlighted() const { return adjustsWhenHighlighted_; }
    void setAdjustsImageWhenHighlighted(bool adjusts);
    // Pales the images while disabled when no disabled image of their own is set.
    bool adjustsImageWhenDisabled() const { return adjustsWhenDisabled_; }
    void setAdjustsImageWhenDisabled(bool adjusts);

    // Where the title and the image go within bounds.
    graphics::Rect titleRectForContentRect(graphics::Rect contentRect) const;
    graphics::Rect imageRectForContentRect(graphics::Rect contentRect) const;
    graphics::Rect contentRectForBounds(graphics::Rect bounds) const;

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void layoutSubviews() override;
    void drawRect(GraphicsContext& context, graphics::Rect rect) override;

protected:
    void stateDidChange() override;

private:
    template<typename T> using PerState = std::map<unsigned, T>;

    template<typename T> static std::optional<T> lookup(PerState<T> const& table, unsigned state);

    void updateContent();
    graphics::Size titleSize() const;
    graphics::Size imageSize() const;

    ButtonType type_;
    base::Ref<Label> titleLabel_;
    base::Ref<ImageView> imageView_;
    PerState<std::string> titles_;
    PerState<Color> titleColors_;
    PerState<Color> titleShadowColors_;
    PerState<base::Ref<Image>> images_;
    PerState<base::Ref<Image>> backgroundImages_;
    EdgeInsets contentInsets_;
    EdgeInsets titleInsets_;
    EdgeInsets imageInsets_;
    bool showsTouch_ {false};
    bool adjustsWhenHighlighted_ {true};
    bool adjustsWhenDisabled_ {true};

    friend base::Factory;

    explicit Button(graphics::Rect frame = {}, ButtonType type = ButtonType::Custom);
};

}

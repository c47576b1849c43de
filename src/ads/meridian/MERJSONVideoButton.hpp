#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Coding.hpp>
#include <foundation/URLConnection.hpp>
#include <ui/Color.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace graphics {
class Font;
}

namespace ui {
class Button;
class Image;
}

namespace ads::meridian {

class MERJSONVideoButton;

// Told when a video button is tapped: the video overlay's control view.
class MERJSONVideoButtonDelegate {
public:
    virtual ~MERJSONVideoButtonDelegate() = default;
    virtual void jsonVideoButtonWasTapped(MERJSONVideoButton& button) = 0;
};

// One button that a video ad lays over its video, as the ad's JSON describes it: an
// image or a title at a place, with its tap URL, tracking URLs and fade timings. The
// ad model makes it, the video cache archives it with the ad, and the video views
// place it. The platform button is built once, on first request; a button with only
// an image URL starts the image download then and shows the image when it is in.
// Main thread only.
class MERJSONVideoButton final : public base::Object,
                                 public foundation::Coding,
                                 private foundation::URLConnectionDelegate {
public:
    static constexpr char const* tappedNotification = "MERVideoOverlayButtonWasTapped";

    // One object of an ad's "buttons" array; a field of the wrong kind counts as absent.
    static base::Ref<MERJSONVideoButton> initWithJSONButton(base::Value const& json);
    ~MERJSONVideoButton() override;

    static std::optional<ui::Color> colorFromString(std::string_view text);

    // The platform button, built on the first call.
    ui::Button& button();
    void buttonWasTapped();
    bool isEqualToVideoButton(MERJSONVideoButton const& other) const;
    std::string animationId() const;
    std::string description() const;

    std::optional<std::string> const& imageURL() const { return imageURL_; }
    std::optional<std::string> const& tapURL() const { return tapURL_; }
    float xLocation() const { return xLocation_; }
    float yLocation() const { return yLocation_; }
    std::optional<std::string> const& title() const { return title_; }
    ui::Color buttonColor() const { return buttonColor_; }
    ui::Color textColor() const { return textColor_; }
    float buttonWidth() const { return buttonWidth_; }
    float buttonHeight() const { return buttonHeight_; }
    float fontSize() const;
    std::string const& component() const { return component_; }
    void setComponent(std::string component) { component_ = std::move(component); }
    base::Value const& activity() const { return activity_; }
    void setActivity(base::Value activity) { activity_ = std::move(activity); }
    float appearanceDelay() const { return appearanceDelay_; }
    float inactivityTimeout() const { return inactivityTimeout_; }
    float startOpacity() const { return startOpacity_; }
    float endOpacity() const { return endOpacity_; }
    float fadeDuration() const { return fadeDuration_; }
    base::Bytes const& imageData() const { return imageData_; }
    ui::Image* image() const { return image_.get(); }
    bool isBuilt() const { return generatedButton_ != nullptr; }

    MERJSONVideoButtonDelegate* delegate() const { return delegate_; }
    void setDelegate(MERJSONVideoButtonDelegate* delegate) { delegate_ = delegate; }

    static base::Ref<MERJSONVideoButton> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;
    static void registerCoding();

private:
    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;

    void applyImage();

    std::optional<std::string> imageURL_;
    base::Ref<ui::Image> image_;
    base::Bytes imageData_;
    std::optional<std::string> tapURL_;
    float xLocation_ {0};
    float yLocation_ {0};
    std::optional<std::string> title_;
    ui::Color buttonColor_ {ui::Color::blackColor()};
    ui::Color textColor_ {ui::Color::whiteColor()};
    float buttonHeight_ {0};
    float buttonWidth_ {0};
    base::Ref<graphics::Font> buttonFont_;
    std::string component_;
    base::Ref<ui::Button> generatedButton_;
    base::Value activity_;
    float appearanceDelay_ {0};
    float inactivityTimeout_ {0};
    float startOpacity_ {1};
    float endOpacity_ {1};
    float fadeDuration_ {1};
    MERJSONVideoButtonDelegate* delegate_ {nullptr};
    base::Ref<foundation::URLConnection> imageConnection_;

    friend base::Factory;
    MERJSONVideoButton();
};

}

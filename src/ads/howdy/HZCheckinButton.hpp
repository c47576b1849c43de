#pragma once

#include <base/Ref.hpp>
#include <ui/Control.hpp>

#include <optional>
#include <string>

namespace ui {
class Image;
}

namespace ads::howdy {

class HowdySDK;

// A ready-made check-in button: draws the service's check-in icon (or, in style 1,
// the host's image), reports "checkin-button-shown" the first time it is drawn and
// checks in when tapped, with its message when it has one. It goes through its own
// client, or the shared one when it has none. Main thread only.
class HZCheckinButton final : public ui::Control {
public:
    static constexpr int HostImageStyle = 1;

    static base::Ref<HZCheckinButton> initWithFrame(graphics::Rect frame);

    void drawRect(ui::GraphicsContext& context, graphics::Rect rect) override;
    void buttonTapped();

    ui::Image* image() const { return image_.get(); }
    void setImage(base::Ref<ui::Image> image) { image_ = std::move(image); }
    int style() const { return style_; }
    void setStyle(int style) { style_ = style; }
    std::optional<std::string> const& checkinMessage() const { return checkinMessage_; }
    void setCheckinMessage(std::optional<std::string> message) {
        checkinMessage_ = std::move(message);
    }
    HowdySDK* sdk() const { return sdk_.get(); }
    void setSdk(base::Ref<HowdySDK> sdk) { sdk_ = std::move(sdk); }
    bool seen() const { return seen_; }

private:
    friend base::Factory;
    explicit HZCheckinButton(graphics::Rect frame);

    HowdySDK* client() const;

    base::Ref<ui::Image> image_;
    bool seen_ {false};
    int style_ {0};
    std::optional<std::string> checkinMessage_;
    base::Ref<HowdySDK> sdk_;
};

}

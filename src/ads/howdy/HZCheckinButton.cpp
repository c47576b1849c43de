#include <ads/howdy/HZCheckinButton.hpp>

#include <ads/howdy/HowdySDK.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>

namespace ads::howdy {

base::Ref<HZCheckinButton> HZCheckinButton::initWithFrame(graphics::Rect frame) {
    return base::make<HZCheckinButton>(frame);
}

HZCheckinButton::HZCheckinButton(graphics::Rect frame)
    : ui::Control(frame) {
    setBackgroundColor(ui::Color::clearColor());
    setOpaque(false);
    addTarget(
        this, [this](ui::Control&, ui::Event*) { buttonTapped(); },
        ui::ControlEvents::TouchUpInside);
}

HowdySDK* HZCheckinButton::client() const {
    return sdk_ ? sdk_.get() : HowdySDK::sharedSDK();
}

void HZCheckinButton::drawRect(ui::GraphicsContext& context, graphics::Rect rect) {
    ui::Control::drawRect(context, rect);
    if (!seen_) {
        seen_ = true;
        if (auto* sdk = client())
            sdk->logAnalyticsEvent("checkin-button-shown");
    }
    auto picture = style_ == HostImageStyle
        ? image_
        : ui::Image::imageNamed("Howdy.bundle/sdk-icon-checkin.png");
    if (picture)
        context.drawImage(*picture, bounds());
}

void HZCheckinButton::buttonTapped() {
    auto* sdk = client();
    if (!sdk)
        return;
    base::Ref<HowdySDK> keep(sdk);
    if (checkinMessage_)
        sdk->checkinWithMessage(checkinMessage_);
    else
        sdk->checkin();
}

}

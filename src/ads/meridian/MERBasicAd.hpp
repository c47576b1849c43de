#pragma once

#include <base/Object.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::meridian {

// The questions the ad view and the overlay ask of one loaded ad, with the fixed
// answers of an ad that says nothing: no modal overlay, title bar and bottom bar
// shown, no colours, no transition. The HTML and JSON ad models answer from their
// page or reply. Main thread only.
class MERBasicAd : public base::Object {
public:
    static constexpr char const* defaultTitle = "Advertisement.";

    virtual std::string overlayTitle() { return defaultTitle; }
    virtual bool shouldShowModal() { return false; }
    virtual bool shouldMakeOverlayTransparent() { return false; }
    virtual bool shouldAccelerate() { return false; }
    virtual bool showTitlebar() { return true; }
    virtual bool showBottomBar() { return true; }
    virtual bool isBottomBarEnabled() { return true; }
    virtual graphics::Size modalSize() { return {}; }
    virtual graphics::Point modalLocation() { return {}; }
    virtual std::optional<ui::Color> modalBorderColor() { return std::nullopt; }
    virtual std::optional<ui::Color> titlebarColor() { return std::nullopt; }
    virtual std::optional<std::string> overlayTransition() { return std::nullopt; }
    virtual std::optional<std::string> openURL() { return std::nullopt; }
    virtual float alphaForModalBorder() { return 0; }
    virtual float transitionDuration() { return 0; }
    virtual int orientationLock() { return 0; }

    virtual void startBottomBarTimer() { }
    virtual void stopShowBottomBarTimer() { }
    virtual void startEnableBottomBarTimer() { }
    virtual void stopEnableBottomBarTimer() { }
    virtual void startCloseOverlayTimer() { }
    virtual void stopCloseOverlayTimer() { }

    // "FlipLeft" 1, "FlipRight" 2, "CurlUp" 3, "CurlDown" 4, anything else 0.
    static int transitionFromHeader(std::string_view header);

protected:
    MERBasicAd() = default;
};

}

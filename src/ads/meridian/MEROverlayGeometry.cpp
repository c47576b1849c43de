#include <ads/meridian/MEROverlayGeometry.hpp>

#include <cmath>
#include <numbers>
#include <string_view>

namespace ads::meridian::overlay_geometry {

bool isLandscape(int orientation) {
    return orientation == 3 || orientation == 4;
}

graphics::AffineTransform transformForOrientation(int statusBarOrientation) {
    switch (statusBarOrientation) {
    case 2:
        return graphics::AffineTransform::makeRotation(-std::numbers::pi_v<float>);
    case 3:
        return graphics::AffineTransform::makeRotation(std::numbers::pi_v<float> / 2);
    case 4:
        return graphics::AffineTransform::makeRotation(4.712389f);
    default:
        return graphics::AffineTransform::identity();
    }
}

graphics::Rect fullScreenFrame(FullScreenInput const& input) {
    bool explicitSize = input.overlaySize.width != 0 || input.overlaySize.height != 0;
    if (explicitSize)
        return {{0, 0}, input.overlaySize};
    auto const& b = input.screenBounds.size;
    if (input.windowSubviews < 2) {
        float s = input.statusBarVisible ? statusBarHeight : 0;
        if (isLandscape(input.interfaceOrientation))
            return {{0, s}, {b.height, b.width - s}};
        return {{0, s}, {b.width, b.height - s}};
    }
    auto const& f = input.windowFrame.size;
    bool landscape = isLandscape(input.overlayOrientation);
    bool allowance = input.statusBarVisible
        && (landscape ? (f.height == 320 || f.height == 768)
                      : (f.height == 480 || f.height == 1024));
    float y = allowance ? statusBarHeight : 0;
    float h = allowance ? f.height - statusBarHeight : f.height;
    if (landscape)
        return {{0, y}, {h, f.width}};
    return {{0, y}, {f.width, h}};
}

graphics::Rect applicationFrame(graphics::Rect screenBounds, bool statusBarVisible) {
    if (!statusBarVisible)
        return screenBounds;
    return {{screenBounds.origin.x, screenBounds.origin.y + statusBarHeight},
        {screenBounds.size.width, screenBounds.size.height - statusBarHeight}};
}

ModalFrame modalFrame(graphics::Rect applicationFrame, graphics::Point modalLocation,
    graphics::Size modalSize, int interfaceOrientation) {
    auto const& a = applicationFrame;
    ModalFrame result;
    result.centre = {
        a.origin.x + std::ceil(a.size.width * 0.5f), a.origin.y + std::ceil(a.size.height * 0.5f)};
    result.centred = modalLocation.x == 0 && modalLocation.y == 0;
    graphics::Point o = result.centred ? graphics::Point {10, 10} : modalLocation;
    graphics::Size s = (modalSize.width == 0 || modalSize.height == 0)
        ? graphics::Size {a.size.width - 20, a.size.height - 20}
        : modalSize;
    if (isLandscape(interfaceOrientation))
        result.frame = {{o.y, o.x}, {s.height, s.width}};
    else
        result.frame = {o, s};
    if (result.centred) {
        result.frame.origin = {result.centre.x - result.frame.size.width / 2,
            result.centre.y - result.frame.size.height / 2};
    }
    return result;
}

ModalLayout modalLayout(graphics::Size panel, bool titlebar, float labelHeight) {
    float w = panel.width;
    float h = panel.height;
    ModalLayout layout;
    if (!titlebar) {
        layout.webView = {{11, 10}, {w - 22, h - 21}};
        return layout;
    }
    layout.titleLabel = {{26, 10}, {w - 22 - (labelHeight + 16), labelHeight + 8}};
    float t = layout.titleLabel.size.height;
    layout.closeButton = {{w - (t + 10), 10}, {t, t}};
    layout.webView = {{11, t + 10}, {w - 22, h - t - 21}};
    return layout;
}

FullScreenLayout fullScreenLayout(graphics::Size overlay, bool titlebar, bool bottomBar) {
    FullScreenLayout layout;
    layout.webView = {{0, 0}, overlay};
    if (titlebar) {
        layout.titleBar = {{0, 0}, {overlay.width, barHeight}};
        layout.webView = {{0, barHeight}, {overlay.width, overlay.height - barHeight}};
    }
    if (bottomBar) {
        layout.webView.size.height -= barHeight;
        layout.bottomBar = {{0, layout.webView.size.height + (titlebar ? barHeight : 0)},
            {layout.webView.size.width, barHeight}};
    }
    return layout;
}

graphics::Point slideOffset(std::string_view transition, graphics::Size size) {
    if (transition == "SlideUp")
        return {0, size.height};
    if (transition == "SlideDown")
        return {0, -size.height};
    if (transition == "SlideRight")
        return {-size.width, 0};
    if (transition == "SlideLeft")
        return {size.width, 0};
    return {};
}

}

#pragma once

#include <graphics/Geometry.hpp>

#include <cstddef>
#include <string_view>

namespace ads::meridian {

// The overlay's geometry as pure functions of what the screen, the window and the
// status bar say, so every case can be checked without a window. Orientations are
// the platform's interface orientations: 1 portrait, 2 upside down, 3 and 4 landscape.
namespace overlay_geometry {

inline constexpr float statusBarHeight = 20;
inline constexpr float barHeight = 44;

bool isLandscape(int orientation);

// The turn that matches the status bar: 2 by -pi, 3 by pi/2, 4 by 3pi/2, else none.
graphics::AffineTransform transformForOrientation(int statusBarOrientation);

// What the full-screen frame depends on.
struct FullScreenInput {
    graphics::Rect screenBounds;
    graphics::Rect windowFrame;
    std::size_t windowSubviews {0};
    bool statusBarVisible {true};
    int interfaceOrientation {1};
    graphics::Size overlaySize;
    int overlayOrientation {0};
};
graphics::Rect fullScreenFrame(FullScreenInput const& input);

// The screen less the status bar when it shows.
graphics::Rect applicationFrame(graphics::Rect screenBounds, bool statusBarVisible);

// The panel: its frame, and whether it is then centred on centre.
struct ModalFrame {
    graphics::Rect frame;
    bool centred {false};
    graphics::Point centre;
};
ModalFrame modalFrame(graphics::Rect applicationFrame, graphics::Point modalLocation,
    graphics::Size modalSize, int interfaceOrientation);

// The panel's inner layout for a W x H panel: the title label (when there is one, of
// fitted height labelHeight), its close button and the web view.
struct ModalLayout {
    graphics::Rect titleLabel;
    graphics::Rect closeButton;
    graphics::Rect webView;
};
ModalLayout modalLayout(graphics::Size panel, bool titlebar, float labelHeight);

// The full-screen layout of a W x H overlay with its bars.
struct FullScreenLayout {
    graphics::Rect titleBar;
    graphics::Rect webView;
    graphics::Rect bottomBar;
};
FullScreenLayout fullScreenLayout(graphics::Size overlay, bool titlebar, bool bottomBar);

// Where a slide transition starts, as an offset of the frame ("SlideUp" from below and
// so on); zero for every other name.
graphics::Point slideOffset(std::string_view transition, graphics::Size size);

}

}

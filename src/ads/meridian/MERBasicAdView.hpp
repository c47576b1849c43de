#pragma once

#include <ui/View.hpp>

namespace ads::meridian {

// The base of the ad view's two inner views (the HTML banner and the JSON banner):
// a plain view with no state of its own.
class MERBasicAdView : public ui::View {
protected:
    explicit MERBasicAdView(graphics::Rect frame)
        : View(frame) { }
};

}

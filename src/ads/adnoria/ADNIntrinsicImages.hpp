#pragma once

#include <base/Ref.hpp>

#include <string_view>

namespace ui {
class Image;
}

namespace ads::adnoria {

// The three button pictures the client carries in its code, as Base64 text of PNG
// files: the web app's close mark (50 x 50 pixels) and the browser's back and
// forward arrows (54 x 54 pixels), all shown at half size (25 and 27 points). Each
// is made on first use and kept for the life of the process. Main thread.
class ADNIntrinsicImages {
public:
    static ui::Image* closeButton();
    static ui::Image* browserBackButton();
    static ui::Image* browserForwardButton();

    // Null when the text or the PNG does not decode.
    static base::Ref<ui::Image> createImageFromEncoding(std::string_view encoded);
};

}

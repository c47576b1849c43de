#include <ads/adnoria/ADNIntrinsicImages.hpp>

#include <ads/adnoria/ADNStringEncoding.hpp>

#include <ui/Image.hpp>

namespace ads::adnoria {

namespace {

// PNG files, drawn by tools/adnoria-button-images.py: a white cross on a dark disc
// with a white ring (50 x 50 pixels), and white arrows (54 x 54 pixels).
constexpr char const* CloseButtonPNG
    = "iVBORw0KGgoAAAANSUhEUgAAADIAAAAyCAYAAAAeP4ixAAAB20lEQVR42u2aga2EIAxAHYERHMFRGMFR3OBGcARG"
      "YARGuBEcgaMJ5k4spaDe/9fYpMlFgfLOtlSw8953ErS7QQSDqKA66BTUBnV+Ly7em2Jb9Z9AYELGt4uJY/wZCBh/"
      "+vPkeQSopVMf3SMrzjlvjPHTNG0UrsG9gtho41KQMeiC+keY5DiOXikVRu1IhTbQFvpkZIm2LgF5YBbnefZ93xcn"
      "n1PoC2Nk5HE2yM6StfYQAAYEY2L/1VkguycB/n4WQKowdsuT4cTERsC3r4JYFWwgMraC9GlgfwOCgFmobEaB2G+5"
      "U4Wb2VoQnQZ2LkDXNaIl8Dn9kQSga0A2KzZmBK4ty9vz4PcwDGwIaJv2z9lBKgAWiE7XCW524cKkECX3RdYZzQEx"
      "padBpMkiTA6CAkGeiimBqLTsoPw7N6EcDAWRc61VkXJGUSC6Jt2WJvYJU9OWmY41BbLxF04ByJngUYi10Ew9kQKx"
      "n6V4awZKJ3oUYtXkFcBSII4TH7UwZ0AgceIokEMrORemBSKTKa8B4cC0Qtwgv+5aYoJdTPoVsyCKKVHEFI1iynhR"
      "L1ZiXnVFbT6I2Q4StUEnZstU1Ca2qGMFUQc9oo7eRB2GijqeFvfBgLhPOO6vg24QRF9eMXJ4LSAwqQAAAABJRU5E"
      "rkJggg==";
constexpr char const* BackButtonPNG
    = "iVBORw0KGgoAAAANSUhEUgAAADYAAAA2CAYAAACMRWrdAAAAvklEQVR42u3ZAQmAMBCF4UUwglEWxShrYhSjGMEI"
      "5wRBFJEpCrvnf3ABPng7tzOYWVDsAAwYMGDAgAEDBgyYM1ibe1CCNbmTbSUB63JPti/XsLjG7qxcwpbY9XZd7mDp"
      "JHauYUvsRiuv6mHtxTlyCTuObwlYV3iO3MDiw9hVCysZ3+5g6YXYVQW7O76BEUWGB+P+fx9o+SuV9CVY/tki/9CU"
      "Xw1IL3Pk12/yC1PpFTd/W4ABAwYMGDBgwIB93jPu5lqWg9XoGwAAAABJRU5ErkJggg==";
constexpr char const* ForwardButtonPNG
    = "iVBORw0KGgoAAAANSUhEUgAAADYAAAA2CAYAAACMRWrdAAAAuElEQVR42u3ZYQ2EMAyG4UlAAlJOClJwclKQchKQ"
      "sBs/miCAbuPN26QCnqTs20qptRZiF2HChAkTJkyYMGHCkmBH65UIi9pbL0TYVWfrjQiLusbzQ4RFfUeOZyYsxnMn"
      "wqJ+vcezF+z+/a1EWLd4GAVLj4eRsNR4mAGWEg8zwR6Nh9lgj8WDMEfRw4N73CMDGnelwl2Ccc8W5EMTtxrALXOQ"
      "6zfcwhS74vZvizBhwoQJEyZMmLDX9R+/TFqWEjmyDwAAAABJRU5ErkJggg==";

}

base::Ref<ui::Image> ADNIntrinsicImages::createImageFromEncoding(std::string_view encoded) {
    auto bytes = ADNStringEncoding::rfc4648Base64StringEncoding()->decode(encoded);
    if (!bytes)
        return nullptr;
    auto image = ui::Image::imageWithData(*bytes);
    if (!image)
        return nullptr;
    // Images here carry a scale: the pixels are shown at half size.
    return ui::Image::imageWithBitmap(image->bitmap(), 2.0f);
}

ui::Image* ADNIntrinsicImages::closeButton() {
    static base::Ref<ui::Image> const image = createImageFromEncoding(CloseButtonPNG);
    return image.get();
}

ui::Image* ADNIntrinsicImages::browserBackButton() {
    static base::Ref<ui::Image> const image = createImageFromEncoding(BackButtonPNG);
    return image.get();
}

ui::Image* ADNIntrinsicImages::browserForwardButton() {
    static base::Ref<ui::Image> const image = createImageFromEncoding(ForwardButtonPNG);
    return image.get();
}

}

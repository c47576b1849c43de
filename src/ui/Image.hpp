#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/Image.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace ui {

// A picture for views: a decoded bitmap (RGBA, premultiplied) with its size in points
// and, for stretchable images, the caps that keep their size when it is drawn larger.
// Immutable; stretchable copies share the pixels. Main thread for the named cache,
// anything else on any thread.
class Image final : public base::Object {
public:
    // The picture of that name in the application bundle, cached by name for the rest of
    // the run (purgeCache drops the cache). A name without an extension means ".png".
    // On a tablet (the current device's idiom) the name with "_iPad" before the extension
    // is tried first, and each name is looked for in the tablet folder of the bundle before
    // the bundle itself: "a.png" tries tablet/a_iPad.png, bundle/a_iPad.png, tablet/a.png,
    // bundle/a.png. Null (and nothing cached) when no file is found or it cannot be decoded.
    static base::Ref<Image> imageNamed(std::string_view name);
    static base::Ref<Image> imageWithContentsOfFile(std::string const& path);
    static base::Ref<Image> imageWithData(std::span<std::uint8_t const> bytes);
    // Takes a bitmap as it is (straight alpha is premultiplied); null for an empty one.
    static base::Ref<Image> imageWithBitmap(graphics::Image bitmap, float scale = 1);

    // The tablet folder; empty (the default) means the folder "bundle-ipad" beside the main
    // bundle's folder.
    static void setTabletBundlePath(std::string path);
    static void purgeCache();

    // Pixels divided by scale.
    graphics::Size size() const;
    float scale() const { return scale_; }
    graphics::Image const& bitmap() const { return *bitmap_; }

    // A copy whose leftCap columns at the left and topCap rows at the top, with as many
    // at the right and bottom less one, keep their size when drawn larger; the column and
    // row between them stretch. A cap of 0 stretches the whole width (or height).
    base::Ref<Image> stretchableImageWithLeftCapWidth(int leftCap, int topCap) const;
    int leftCapWidth() const { return leftCap_; }
    int topCapHeight() const { return topCap_; }

private:
    std::shared_ptr<graphics::Image const> bitmap_;
    float scale_ {1};
    int leftCap_ {0};
    int topCap_ {0};

    friend base::Factory;

    Image(std::shared_ptr<graphics::Image const> bitmap, float scale);
};

}

#include <foundation/Bundle.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>

#include <algorithm>
#include <filesystem>
#include <map>

namespace ui {

namespace {

struct Lookup {
    std::string tabletPath;
    std::map<std::string, base::Ref<Image>, std::less<>> cache;
};

Lookup& lookup() {
    static Lookup instance;
    return instance;
}

std::string tabletFolder() {
    auto const& configured = lookup().tabletPath;
    if (!configured.empty())
        return configured;
    std::filesystem::path main = foundation::Bundle::mainBundle().bundlePath();
    return (main.parent_path() / "bundle-ipad").string();
}

// Name and extension, split at the last dot of the last path component.
std::pair<std::string, std::string> split(std::string_view name) {
    auto slash = name.rfind('/');
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)
        || dot == 0)
        return {std::string(name), "png"};
    return {std::string(name.substr(0, dot)), std::string(name.substr(dot + 1))};
}

}

Image::Image(std::shared_ptr<graphics::Image const> bitmap, float scale)
    : bitmap_(std::move(bitmap))
    , scale_(scale > 0 ? scale : 1) {
}

base::Ref<Image> Image::imageWithBitmap(graphics::Image bitmap, float scale) {
    if (bitmap.isEmpty())
        return nullptr;
    if (bitmap.format() != graphics::Image::Format::RGBA8) {
        // A mask draws as black with its alpha.
        graphics::Image rgba(bitmap.width(), bitmap.height());
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x)
                rgba.setPixel(x, y, {0, 0, 0, bitmap.pixel(x, y).a});
        }
        bitmap = std::move(rgba);
    }
    bitmap.premultiplyAlpha();
    return base::make<Image>(std::make_shared<graphics::Image const>(std::move(bitmap)), scale);
}

base::Ref<Image> Image::imageWithContentsOfFile(std::string const& path) {
    auto bitmap = graphics::Image::decodeFile(path);
    return bitmap ? imageWithBitmap(std::move(*bitmap)) : nullptr;
}

base::Ref<Image> Image::imageWithData(std::span<std::uint8_t const> bytes) {
    auto bitmap = graphics::Image::decode(bytes);
    return bitmap ? imageWithBitmap(std::move(*bitmap)) : nullptr;
}

base::Ref<Image> Image::imageNamed(std::string_view name) {
    if (name.empty())
        return nullptr;
    auto& state = lookup();
    bool tabletDevice = Device::currentDevice().isPad();
    std::string key = (tabletDevice ? "tablet:" : "phone:") + std::string(name);
    if (auto it = state.cache.find(key); it != state.cache.end())
        return it->second;

    auto [base, extension] = split(name);
    std::vector<std::string> names;
    if (tabletDevice && !base.ends_with("_iPad"))
        names.push_back(base + "_iPad");
    names.push_back(base);

    auto& main = foundation::Bundle::mainBundle();
    base::Ref<foundation::Bundle> tablet;
    if (tabletDevice)
        tablet = foundation::Bundle::bundleWithPath(tabletFolder());
    for (auto const& candidate : names) {
        for (foundation::Bundle* bundle : {tablet.get(), &main}) {
            if (!bundle)
                continue;
            auto path = bundle->pathForResource(candidate, extension);
            if (!path)
                continue;
            if (auto image = imageWithContentsOfFile(*path)) {
                state.cache[key] = image;
                return image;
            }
        }
    }
    return nullptr;
}

void Image::setTabletBundlePath(std::string path) {
    lookup().tabletPath = std::move(path);
}

void Image::purgeCache() {
    lookup().cache.clear();
}

graphics::Size Image::size() const {
    return {float(bitmap_->width()) / scale_, float(bitmap_->height()) / scale_};
}

base::Ref<Image> Image::stretchableImageWithLeftCapWidth(int leftCap, int topCap) const {
    auto copy = base::make<Image>(bitmap_, scale_);
    copy->leftCap_ = std::max(leftCap, 0);
    copy->topCap_ = std::max(topCap, 0);
    return copy;
}

}

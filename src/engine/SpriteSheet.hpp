#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>

#include <optional>
#include <string>
#include <vector>

namespace engine {

// One frame of a sprite sheet: its rectangle on the sheet image in pixels from
// the top-left, and the offset of its reference point in points.
struct SpriteSheetFrame {
    Rect rect;
    Point offset;
};

// A sprite sheet: an image "<name>.png" beside a property list "<name>.plist"
// whose "frames" dictionary maps each frame name to its "x", "y", "width",
// "height", "offsetX" and "offsetY" (numbers, read as floats; missing ones are 0).
// Both are found through the resource lookup, the list read through its cache;
// a sheet the bundle lacks is read from the data folder (downloaded packs).
// Main thread.
class SpriteSheet final : public base::Object {
public:
    // Null when neither place has the list or it has no "frames" dictionary.
    static base::Ref<SpriteSheet> sheetWithName(std::string const& name);
    // A list already read, and the path of its image.
    static base::Ref<SpriteSheet> sheetWithDictionary(
        base::Ref<base::Dictionary> list, std::string imagePath);

    // The image's path, for the texture cache.
    std::string const& imagePath() const { return imagePath_; }
    // The "frames" dictionary itself.
    base::Dictionary* framesDictionary() const { return frames_.get(); }
    // Null for a name that is not there or whose entry is not a dictionary.
    std::optional<SpriteSheetFrame> frameNamed(std::string const& frameName) const;
    // Frame names in case-insensitive order (ties in byte order).
    std::vector<std::string> frameNames() const;

    // A sprite batch over the sheet's image.
    base::Ref<AtlasSpriteManager> spriteManager(std::size_t capacity) const;

private:
    base::Ref<base::Dictionary> frames_;
    std::string imagePath_;

    friend base::Factory;

    // Use the factories.
    SpriteSheet(base::Ref<base::Dictionary> frames, std::string imagePath);
};

}

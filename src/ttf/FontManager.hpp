#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/FontFace.hpp>
#include <ttf/TTFont.hpp>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ttf {

// The process-wide registry of the TrueType fonts of the application bundle: finds a font
// file by name ("<name>.ttf", else a resource of exactly that name), loads it once and keeps
// it for the life of the process. The engine's text textures ask it for a TTFont on every
// render and use the platform font of the same name when it answers null.
//
// It remembers the last name it searched for and what the search found, so asking again and
// again for a name that is no file of the bundle ("Helvetica") costs one comparison after
// the first miss. A file that is found but is no usable font (damaged, or without a readable
// character map) is refused with a logged line and not read again.
//
// Made on first use under a lock; everything else on the main thread.
class FontManager final : public base::Object {
public:
    // Answers the path of a resource of the bundle by name and type (an empty type: the name
    // as it is); the main bundle by default.
    using ResourceLocator = std::function<std::optional<std::string>(
        std::string const& name, std::string const& type)>;

    static FontManager& sharedManager();
    // Forgets the shared manager and every font it loaded (tests).
    static void purgeSharedManager();

    // Finds and loads the font and keeps it under the name; false when there is no such
    // file or it is no usable font.
    bool loadFont(std::string const& name);
    // The font kept under the name, loading it on a miss; null when it cannot be loaded.
    base::Ref<graphics::FontFace> fontWithName(std::string const& name);
    // That font at pointSize; null when no font of the name can be loaded.
    base::Ref<TTFont> ttFontWithName(std::string const& name, float pointSize);
    // Every loaded font, in the order of their names.
    std::vector<base::Ref<graphics::FontFace>> copyAllFonts() const;

    std::optional<std::string> const& lastFontName() const { return lastFontName_; }
    std::optional<std::string> const& lastFontPath() const { return lastFontPath_; }

    void setResourceLocator(ResourceLocator locator) { locator_ = std::move(locator); }

private:
    std::map<std::string, base::Ref<graphics::FontFace>> fonts;
    std::optional<std::string> lastFontName_;
    std::optional<std::string> lastFontPath_;
    std::set<std::string> refusedPaths_;
    ResourceLocator locator_;

    friend base::Factory;

    FontManager();
};

}

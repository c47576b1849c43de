#include <ttf/FontManager.hpp>

#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <foundation/Bundle.hpp>
#include <ttf/FontTable.hpp>

namespace ttf {

FontManager& FontManager::sharedManager() {
    return base::SharedInstance<FontManager>::get();
}

void FontManager::purgeSharedManager() {
    base::SharedInstance<FontManager>::reset();
}

FontManager::FontManager()
    : locator_([](std::string const& name, std::string const& type) {
        return foundation::Bundle::mainBundle().pathForResource(name, type);
    }) {
}

bool FontManager::loadFont(std::string const& name) {
    std::optional<std::string> path;
    if (lastFontName_ == name) {
        path = lastFontPath_;
        if (!path)
            return false;
    } else {
        lastFontName_ = name;
        path = locator_(name, "ttf");
        if (!path)
            path = locator_(name, "");
        lastFontPath_ = path;
        if (!path)
            return false;
    }
    if (refusedPaths_.count(*path))
        return false;

    auto font = graphics::FontFace::createWithFile(*path);
    // Text is drawn through the font's own character map: a font whose map is missing or
    // damaged could draw nothing, so the platform font of the name takes its place.
    std::optional<FontTable> table;
    if (font)
        table = FontTable::readFontTableFromCGFont(*font);
    if (!table || table->isDamaged()) {
        base::logLine("FontManager: the font file " + *path + " for \"" + name + "\" is refused");
        refusedPaths_.insert(*path);
        return false;
    }
    fonts[name] = std::move(font);
    return true;
}

base::Ref<graphics::FontFace> FontManager::fontWithName(std::string const& name) {
    auto found = fonts.find(name);
    if (found != fonts.end())
        return found->second;
    if (!loadFont(name))
        return nullptr;
    return fonts[name];
}

base::Ref<TTFont> FontManager::ttFontWithName(std::string const& name, float pointSize) {
    auto font = fontWithName(name);
    if (!font)
        return nullptr;
    return TTFont::fontWithCGFont(std::move(font), pointSize);
}

std::vector<base::Ref<graphics::FontFace>> FontManager::copyAllFonts() const {
    std::vector<base::Ref<graphics::FontFace>> all;
    all.reserve(fonts.size());
    for (auto const& [name, font] : fonts)
        all.push_back(font);
    return all;
}

}

#include <engine/AtlasSpriteManager.hpp>
#include <engine/FileUtils.hpp>
#include <engine/SpriteSheet.hpp>
#include <engine/StaticFileCache.hpp>

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>

#include <algorithm>
#include <cctype>

namespace engine {

namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}

base::Ref<SpriteSheet> SpriteSheet::sheetWithName(std::string const& name) {
    auto& cache = StaticFileCache::sharedCache();
    base::Ref<base::Dictionary> list;
    std::string image;
    if (auto path = cache.pathForResource(name + ".plist"))
        list = cache.dictionaryWithContentsOfFile(*path);
    if (list) {
        auto imagePath = cache.pathForResource(name + ".png");
        image = imagePath ? *imagePath : name + ".png";
    } else {
        auto folder = FileUtils::dataFolderPath();
        auto listPath = foundation::Sandbox::safeJoin(folder, name + ".plist");
        auto imagePath = foundation::Sandbox::safeJoin(folder, name + ".png");
        if (!listPath || !imagePath)
            return nullptr;
        list = foundation::PropertyList::dictionaryWithContentsOfFile(*listPath);
        image = *imagePath;
    }
    if (!list)
        return nullptr;
    return sheetWithDictionary(list, image);
}

base::Ref<SpriteSheet> SpriteSheet::sheetWithDictionary(
    base::Ref<base::Dictionary> list, std::string imagePath) {
    if (!list)
        return nullptr;
    auto frames = list->objectForKey("frames").dictionaryRef();
    if (!frames)
        return nullptr;
    return base::make<SpriteSheet>(std::move(frames), std::move(imagePath));
}

SpriteSheet::SpriteSheet(base::Ref<base::Dictionary> frames, std::string imagePath)
    : frames_(std::move(frames))
    , imagePath_(std::move(imagePath)) {
}

std::optional<SpriteSheetFrame> SpriteSheet::frameNamed(std::string const& frameName) const {
    auto* entry = frames_->objectForKey(frameName).dictionary();
    if (!entry)
        return std::nullopt;
    auto number = [entry](char const* key) { return entry->objectForKey(key).floatValue(); };
    return SpriteSheetFrame {
        makeRect(number("x"), number("y"), number("width"), number("height")),
        makePoint(number("offsetX"), number("offsetY")),
    };
}

std::vector<std::string> SpriteSheet::frameNames() const {
    auto names = frames_->keys();
    std::sort(names.begin(), names.end(), [](std::string const& a, std::string const& b) {
        auto la = lowercase(a), lb = lowercase(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

base::Ref<AtlasSpriteManager> SpriteSheet::spriteManager(std::size_t capacity) const {
    return AtlasSpriteManager::spriteManagerWithFile(imagePath_, capacity);
}

}

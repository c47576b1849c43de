#include <engine/Director.hpp>
#include <engine/FileUtils.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>

#include <base/Log.hpp>
#include <base/SharedInstance.hpp>
#include <base/Verify.hpp>
#include <foundation/Paths.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>
#include <graphics/Image.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace engine {

namespace {

TextureMgr* constructed = nullptr;

bool endsWith(std::string const& text, std::string_view suffix) {
    return text.size() >= suffix.size()
        && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<graphics::Image> decode(std::string const& path) {
    auto local = FileUtils::localPath(path);
    if (!local)
        return std::nullopt;
    auto image = graphics::Image::decodeFile(*local);
    // The device's decoder hands the program premultiplied bitmaps.
    if (image)
        image->premultiplyAlpha();
    return image;
}

// The place in the data folder for a name: its last component, which may not
// lead out of the folder.
std::optional<std::string> dataFolderCandidate(std::string const& path) {
    std::string last = foundation::lastPathComponent(path);
    if (last.empty() || last == "/")
        return std::nullopt;
    return foundation::Sandbox::safeJoin(FileUtils::dataFolderPath(), last);
}

}

TextureMgr& TextureMgr::sharedTextureMgr() {
    return base::SharedInstance<TextureMgr>::get([](TextureMgr&) {
        // The director's end releases the cache, as it does the scheduler.
        Director::setTextureCachePurger(&TextureMgr::purgeSharedTextureMgr);
    });
}

void TextureMgr::purgeSharedTextureMgr() {
    base::SharedInstance<TextureMgr>::reset();
}

TextureMgr::TextureMgr() {
    VERIFY_MSG(!constructed, "Attempted to allocate a second instance of a singleton.");
    constructed = this;
}

TextureMgr::~TextureMgr() {
    constructed = nullptr;
}

std::string TextureMgr::addressKey(void const* address) {
    char text[24];
    std::snprintf(text, sizeof text, "%08lX",
        static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

Texture2DPixelFormat TextureMgr::pixelFormatForName(std::string const& name) {
    return endsWith(name, ".jpg") ? Texture2DPixelFormat::RGB565 : Texture2DPixelFormat::RGBA4444;
}

std::optional<graphics::Image> TextureMgr::loadImage(
    std::optional<std::string> const& resolved, std::string const& name) {
    if (resolved) {
        if (auto image = decode(*resolved))
            return image;
    }
    // A name the bundle lacks has no resolved path: look for the name itself.
    auto candidate = dataFolderCandidate(resolved ? *resolved : name);
    std::error_code error;
    if (candidate && std::filesystem::exists(*candidate, error))
        return decode(*candidate);
    return std::nullopt;
}

base::Ref<Texture2D> TextureMgr::cacheImage(
    std::string const& name, std::optional<graphics::Image> const& image) {
    Texture2D::setDefaultAlphaPixelFormat(pixelFormatForName(name));
    auto texture = Texture2D::initWithImage(image ? &*image : nullptr);
    if (texture)
        textures[name] = texture;
    return texture;
}

base::Ref<Texture2D> TextureMgr::addImage(std::string const& name) {
    std::lock_guard lock(dictLock);
    if (auto found = textures.find(name); found != textures.end())
        return found->second;
    auto resolved = StaticFileCache::sharedCache().pathForResource(name);
    if (endsWith(lowercase(name), ".pvr")) {
        auto path = resolved ? resolved : dataFolderCandidate(name);
        if (!path) {
            base::logLine("TextureMgr: no PVR file " + name);
            return nullptr;
        }
        return addPVRTCImage(*path);
    }
    return cacheImage(name, loadImage(resolved, name));
}

base::Ref<Texture2D> TextureMgr::addPVRTCImage(std::string const& path) {
    std::lock_guard lock(dictLock);
    if (auto found = textures.find(path); found != textures.end())
        return found->second;
    auto local = FileUtils::localPath(path);
    auto texture = local ? Texture2D::initWithPVRTCFile(*local) : nullptr;
    // A file that did not load gives a texture with no GL name: caching it would
    // keep the image from ever loading once the file is there.
    if (!texture || texture->name() == 0) {
        base::logLine("TextureMgr: cannot load the PVR file " + path);
        return nullptr;
    }
    textures[path] = texture;
    return texture;
}

base::Ref<Texture2D> TextureMgr::addPVRTCImage(
    std::string const& name, int bpp, bool hasAlpha, unsigned width) {
    VERIFY_MSG(bpp == 2 || bpp == 4, "TextureMgr: bpp must be either 2 or 4");
    std::lock_guard lock(dictLock);
    if (auto found = textures.find(name); found != textures.end())
        return found->second;
    auto local = FileUtils::localPath(FileUtils::fullPathFromRelativePath(name));
    auto bytes = local ? FileUtils::readFile(*local) : std::nullopt;
    if (!bytes) {
        base::logLine("TextureMgr: cannot read the PVRTC data " + name);
        return nullptr;
    }
    auto texture = Texture2D::initWithPVRTCData(*bytes, 0, bpp, hasAlpha, width);
    if (texture)
        textures[name] = texture;
    return texture;
}

base::Ref<Texture2D> TextureMgr::addCGImage(graphics::Image const& image, std::string const& key) {
    std::lock_guard lock(dictLock);
    if (auto found = textures.find(key); found != textures.end())
        return found->second;
    auto texture = Texture2D::initWithImage(image);
    if (texture)
        textures[key] = texture;
    return texture;
}

base::Ref<Texture2D> TextureMgr::addCGImage(graphics::Image const& image) {
    return addCGImage(image, addressKey(&image));
}

void TextureMgr::addImageAsync(
    std::string const& name, base::Ref<base::Object> target, AsyncObject::Selector selector) {
    VERIFY_MSG(selector, "Argument must be non-nil");
    if (auto texture = cachedTexture(name)) {
        selector(texture.get());
        return;
    }
    auto async = base::make<AsyncObject>();
    async->setTarget(std::move(target));
    async->setSelector(std::move(selector));
    async->setData(name);
    // The lookup tables are the main thread's: resolve before leaving it.
    auto resolved = StaticFileCache::sharedCache().pathForResource(name);
    bool started = foundation::Thread::detach([async, resolved] {
        auto image
            = std::make_shared<std::optional<graphics::Image>>(loadImage(resolved, async->data()));
        foundation::RunLoop::main().perform([async, image] {
            auto& manager = sharedTextureMgr();
            base::Ref<Texture2D> texture;
            {
                std::lock_guard lock(manager.dictLock);
                texture = manager.cachedTexture(async->data());
                if (!texture)
                    texture = manager.cacheImage(async->data(), *image);
            }
            async->selector()(texture.get());
        });
    });
    if (!started)
        async->selector()(addImage(name).get());
}

void TextureMgr::removeAllTextures() {
    std::lock_guard lock(dictLock);
    textures.clear();
}

void TextureMgr::removeUnusedTextures() {
    std::lock_guard lock(dictLock);
    auto keys = this->keys();
    for (auto const& key : keys) {
        auto found = textures.find(key);
        if (found != textures.end() && found->second->retainCount() == 1)
            textures.erase(found);
    }
}

void TextureMgr::removeTexture(Texture2D const* texture) {
    if (!texture)
        return;
    std::lock_guard lock(dictLock);
    std::erase_if(textures, [texture](auto const& entry) { return entry.second.get() == texture; });
}

base::Ref<Texture2D> TextureMgr::cachedTexture(std::string const& key) const {
    std::lock_guard lock(dictLock);
    auto found = textures.find(key);
    return found == textures.end() ? nullptr : found->second;
}

std::vector<std::string> TextureMgr::keys() const {
    std::lock_guard lock(dictLock);
    std::vector<std::string> result;
    for (auto const& entry : textures)
        result.push_back(entry.first);
    return result;
}

std::size_t TextureMgr::count() const {
    std::lock_guard lock(dictLock);
    return textures.size();
}

}

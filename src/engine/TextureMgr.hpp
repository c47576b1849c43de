#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Texture2D.hpp>

#include <graphics/Forward.hpp>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// What a background load hands back: the callback's owner (kept alive until the
// call), the callback and the image name.
class AsyncObject final : public base::Object {
public:
    using Selector = std::function<void(Texture2D*)>;

    Selector const& selector() const { return selector_; }
    void setSelector(Selector selector) { selector_ = std::move(selector); }
    base::Object* target() const { return target_.get(); }
    void setTarget(base::Ref<base::Object> target) { target_ = std::move(target); }
    std::string const& data() const { return data_; }
    void setData(std::string data) { data_ = std::move(data); }

private:
    Selector selector_;
    base::Ref<base::Object> target_;
    std::string data_;

    friend base::Factory;

    AsyncObject() = default;
};

// The process-wide texture cache: every image the program draws is loaded once
// by name and shared. The cache holds one reference to each texture; a texture a
// node still holds outlives a purge, but the next addImage of its name loads a
// new one. Made on first use; the director's end purges it, program-state
// changes empty it and memory warnings drop the textures nobody else holds.
//
// Keys: the image name exactly as passed (not the resolved path); the resolved
// path for PVR files; the caller's key, or the image's address as eight
// upper-case hexadecimal digits, for in-memory images.
//
// Main thread, with the GL context current, for everything but the background
// half of addImageAsync: a worker thread reads and decodes the image, and the
// texture is made, cached and handed over on the main run loop, so GL is only
// ever called on the main thread.
class TextureMgr final : public base::Object {
public:
    // Made on first use, which also has the director's end purge it.
    static TextureMgr& sharedTextureMgr();
    // Drops the instance and with it the cache's hold on every texture; the next
    // sharedTextureMgr() makes a new, empty one. A background load finishing later
    // fills the new one.
    static void purgeSharedTextureMgr();

    // The texture cached under the name, or the image loaded, cached and returned:
    // the name is resolved through the resource lookup; ".pvr" names (any case) go
    // to addPVRTCImage with the resolved path; other images are decoded from the
    // resolved path, else from the data folder under the name's last component
    // (also for names the bundle lacks). Images named "*.jpg" (lower case) become
    // RGB565 textures, the others RGBA4444. Null, with "Image is Null" logged,
    // when neither place has a readable image; nothing is cached then.
    base::Ref<Texture2D> addImage(std::string const& name);
    // The texture cached under the path, or the PVR file loaded and cached under it.
    base::Ref<Texture2D> addPVRTCImage(std::string const& path);
    // Raw PVRTC data of a square texture of side `width`, from the file that
    // FileUtils::fullPathFromRelativePath finds for the name, cached under the
    // name. bpp must be 2 or 4 (asserted).
    base::Ref<Texture2D> addPVRTCImage(
        std::string const& name, int bpp, bool hasAlpha, unsigned width);
    // The texture cached under the key, or one made from the image and cached.
    base::Ref<Texture2D> addCGImage(graphics::Image const& image, std::string const& key);
    // Keyed by the image's address ("%08X").
    base::Ref<Texture2D> addCGImage(graphics::Image const& image);

    // A cached name calls selector at once on the calling thread. Otherwise a
    // worker thread decodes the image and the main run loop makes the texture,
    // caches it and calls selector with it (null when the image could not be
    // read); target is kept alive until then. Returns at once.
    void addImageAsync(
        std::string const& name, base::Ref<base::Object> target, AsyncObject::Selector selector);

    void removeAllTextures();
    // Drops every texture that nothing but the cache holds.
    void removeUnusedTextures();
    // Drops every key under which the texture is cached; null does nothing.
    void removeTexture(Texture2D const* texture);

    // For tests and diagnostics.
    base::Ref<Texture2D> cachedTexture(std::string const& key) const;
    std::vector<std::string> keys() const;
    std::size_t count() const;

    // The key of an in-memory image: its address as eight upper-case hex digits.
    static std::string addressKey(void const* address);
    // The format images of that name are stored in.
    static Texture2DPixelFormat pixelFormatForName(std::string const& name);

    ~TextureMgr() override;

private:
    // Reads the image for a name: the resolved path, then the data folder.
    static std::optional<graphics::Image> loadImage(
        std::optional<std::string> const& resolved, std::string const& name);
    base::Ref<Texture2D> cacheImage(
        std::string const& name, std::optional<graphics::Image> const& image);

    std::map<std::string, base::Ref<Texture2D>> textures;
    // Guards textures between the main thread and the cache's own completion
    // of background loads; recursive because addImage reaches addPVRTCImage.
    mutable std::recursive_mutex dictLock;

    friend base::Factory;

    // Use sharedTextureMgr.
    TextureMgr();
};

}

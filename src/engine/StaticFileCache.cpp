#include <engine/FileUtils.hpp>
#include <engine/StaticFileCache.hpp>
#include <ui/Device.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>

namespace engine {

namespace {

std::string lookupKey(std::string const& name, std::string const& type) {
    return name + "." + type;
}

// The folder joined to the name with a character no path can hold, so that
// ("deep", "txt", "sub") and ("subdeep", "txt", "") are two keys, not one.
std::string lookupKey(
    std::string const& name, std::string const& type, std::string const& directory) {
    return directory + '\0' + lookupKey(name, type);
}

base::Value readList(std::string const& path) {
    auto local = FileUtils::localPath(path);
    if (!local)
        return {};
    return foundation::PropertyList::propertyListWithContentsOfFile(*local);
}

}

StaticFileCache& StaticFileCache::sharedCache() {
    return base::SharedInstance<StaticFileCache>::get();
}

void StaticFileCache::clearCache() {
    base::SharedInstance<StaticFileCache>::reset();
}

StaticFileCache::StaticFileCache() = default;

StaticFileCache::~StaticFileCache() = default;

base::Value const* StaticFileCache::cachedList(std::string const& path) const {
    auto found = cache.find(path);
    return found == cache.end() ? nullptr : &found->second;
}

base::Ref<base::Dictionary> StaticFileCache::dictionaryWithContentsOfFile(std::string const& path) {
    // A path read before as an array stays an array: answering it here would hand
    // the caller a list of the wrong kind.
    if (auto const* cached = cachedList(path))
        return cached->dictionaryRef();
    base::Value list = readList(path);
    if (!list.isDictionary())
        return nullptr;
    cache.emplace(path, list);
    return list.dictionaryRef();
}

base::Ref<base::Array> StaticFileCache::arrayWithContentsOfFile(std::string const& path) {
    if (auto const* cached = cachedList(path))
        return cached->arrayRef();
    base::Value list = readList(path);
    if (!list.isArray())
        return nullptr;
    cache.emplace(path, list);
    return list.arrayRef();
}

std::optional<std::string> StaticFileCache::pathForResource(std::string const& file) {
    if (file.starts_with('/'))
        return file;
    return pathForResource(
        foundation::stringByDeletingPathExtension(file), foundation::pathExtension(file));
}

std::optional<std::string> StaticFileCache::pathForResource(
    std::string const& name, std::string const& type) {
    if (name.starts_with('/'))
        return foundation::stringByAppendingPathExtension(name, type);
    auto key = lookupKey(name, type);
    if (auto found = pathCache.find(key); found != pathCache.end())
        return found->second;
    auto path = askBundles(name, type, {});
    if (path)
        pathCache.emplace(key, *path);
    return path;
}

std::optional<std::string> StaticFileCache::pathForResource(
    std::string const& name, std::string const& type, std::string const& directory) {
    auto key = lookupKey(name, type, directory);
    if (auto found = pathCache.find(key); found != pathCache.end())
        return found->second;
    auto path = askBundles(name, type, directory);
    if (path)
        pathCache.emplace(key, *path);
    return path;
}

std::optional<std::string> StaticFileCache::cachedPath(std::string const& key) const {
    auto found = pathCache.find(key);
    if (found == pathCache.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::string> StaticFileCache::askBundles(
    std::string const& name, std::string const& type, std::string const& directory) {
    auto& main = foundation::Bundle::mainBundle();
    if (ui::Device::currentDevice().isPad()) {
        if (!tabletBundle_)
            tabletBundle_ = foundation::Bundle::bundleWithPath(main.bundlePath() + "-ipad");
        if (auto path = tabletBundle_->pathForResource(name, type, directory))
            return path;
    }
    return main.pathForResource(name, type, directory);
}

}

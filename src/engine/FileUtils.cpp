#include <engine/FileUtils.hpp>
#include <engine/StaticFileCache.hpp>

#include <foundation/Paths.hpp>
#include <foundation/Sandbox.hpp>

#include <base/Log.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace engine {

namespace {

bool isUnder(std::string_view path, std::string_view folder) {
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

}

std::string FileUtils::fullPathFromRelativePath(std::string const& path) {
    if (path.empty() || path.starts_with('/'))
        return path;
    auto components = foundation::pathComponents(path);
    if (components.empty())
        return path;
    // Handed back unchanged, "../outside.txt" would be read beside the program's
    // working folder: a resource name never climbs out of the bundle.
    if (std::find(components.begin(), components.end(), "..") != components.end()) {
        base::logLine("FileUtils: refused " + path + ", which climbs out of the bundle");
        return {};
    }
    std::string file = components.back();
    components.pop_back();
    std::string directory = foundation::pathWithComponents(components);
    auto found = StaticFileCache::sharedCache().pathForResource(file, {}, directory);
    return found ? *found : path;
}

std::optional<std::string> FileUtils::localPath(std::string const& path) {
    if (isUnder(path, "/var/mobile") || isUnder(path, "/private/var/mobile") || isUnder(path, "~"))
        return foundation::Sandbox::devicePath(path);
    return path;
}

std::string FileUtils::dataFolderPath() {
    auto path = foundation::Sandbox::devicePath(dataFolderDevicePath);
    // The root itself cannot be refused, so neither can a fixed folder inside it.
    return path ? *path : foundation::Sandbox::libraryPath() + "/Marrowby";
}

std::optional<std::vector<std::uint8_t>> FileUtils::readFile(
    std::string const& path, std::uintmax_t maxBytes) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > maxBytes)
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size)))
        return std::nullopt;
    return bytes;
}

}

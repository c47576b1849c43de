#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Path helpers of the engine's resource loading. Stateless; main thread (it goes
// through the shared StaticFileCache).
class FileUtils {
public:
    // A path that begins with "/" comes back unchanged. Otherwise the last
    // component is looked for, with no type, in the bundle folder named by the
    // other components ("fonts/arial.fnt": "arial.fnt" in "fonts"); the path found,
    // or the relative path unchanged when the bundle lacks it. An empty path gives
    // an empty path, and so does a relative path with a ".." component (logged),
    // which could only name a file outside the bundle. There is no data-folder
    // fallback here.
    static std::string fullPathFromRelativePath(std::string const& path);

    // Where a path is read on this machine: the device's paths ("/var/mobile/...",
    // "/private/var/mobile/...", "~/...") map into the sandbox; anything else is
    // returned as it is. Null for a device path that would climb out of it.
    static std::optional<std::string> localPath(std::string const& path);

    // The data folder, "/var/mobile/Library/Marrowby" on the device: downloads and
    // the images and sounds the bundle lacks. Its place in the sandbox; not created.
    static std::string dataFolderPath();

    // The whole file, or nullopt when it cannot be read or is larger than
    // maxBytes (a stray path must not pull a huge file into memory).
    static std::optional<std::vector<std::uint8_t>> readFile(
        std::string const& path, std::uintmax_t maxBytes = 64u * 1024 * 1024);
};

// The device path of the data folder, as the game writes it.
inline constexpr std::string_view dataFolderDevicePath = "/var/mobile/Library/Marrowby";

}

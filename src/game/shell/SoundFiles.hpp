#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace game {

// Where the sound code finds its files: resources of the application bundle, the
// data folder "/var/mobile/Library/Marrowby" inside the sandbox (downloaded
// content), and the property lists it reads. Main thread.
class SoundFiles {
public:
    // The bundle's resource name.type, or empty when the bundle lacks it.
    static std::string pathForResource(std::string const& name, std::string const& type);
    static std::string dataFolderPath();
    // The dictionary in the property list at path, or null.
    static base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string const& path);

    // A relative path that stays inside the folder it is joined to: not
    // absolute, no ".." part. Names that come from content data must pass
    // before they are joined to a folder.
    static bool isContainedPath(std::string const& name);
};

}

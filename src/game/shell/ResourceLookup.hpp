#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace game {

// The shared resource lookup as the shell's save and configuration code uses it:
// a resource name to its path in the application bundle, and property lists read
// by path. The engine's file cache answers these questions for the whole game
// once it is installed with setShared; until then the bundle answers them
// directly, without a cache. Main thread only.
class ResourceLookup {
public:
    virtual ~ResourceLookup() = default;

    // The bundle path of a file name with its extension; a name that begins with
    // "/" is a path already and comes back unchanged. None when the bundle lacks it.
    virtual std::optional<std::string> pathForResource(std::string_view name) = 0;
    // The property list at path when it is a dictionary (or an array); null when
    // the file is missing, unreadable or of the other kind.
    virtual base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string_view path) = 0;
    virtual base::Ref<base::Array> arrayWithContentsOfFile(std::string_view path) = 0;

    // The installed lookup, or the bundle's own.
    static ResourceLookup& shared();
    // Installs a lookup that the caller keeps alive; null goes back to the bundle.
    static void setShared(ResourceLookup* lookup);
};

}

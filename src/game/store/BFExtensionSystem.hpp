#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace game {

class BFPackageManager;

// An application class that an installed package can bring to life: the package's
// "extension.plist" names it and gives it a configuration. Made with its
// registered factory, then handed each active configuration that names its class
// (addConfiguration, any number of times) and started.
class BFExtension : public base::Object {
public:
    virtual void addConfiguration(base::Ref<base::Dictionary> configuration) = 0;
    virtual void start() = 0;
};

// Finds the installed "extension.plist" files (resource key "extension.plist" of
// any package), makes one extension object per class they name, configures and
// starts it. Classes are found by name in a registry of factories that the
// application fills (registerClass) before scanning. The package manager is not
// retained; it must outlive the system. Main thread only.
//
// An extension file is a property-list dictionary; the whole of it is the
// configuration, and the system reads only "extension_header" -> "active" (only
// active files are used) and "extension_header" -> "class_name".
class BFExtensionSystem final : public base::Object {
public:
    static constexpr char const* ExtensionFileKey = "extension.plist";

    using ClassFactory = std::function<base::Ref<BFExtension>()>;
    // Makes name known to every extension system; a later registration replaces it.
    static void registerClass(std::string name, ClassFactory factory);
    static void unregisterClass(std::string const& name);

    static base::Ref<BFExtensionSystem> initWithPackageManager(BFPackageManager& manager);

    // For every readable, active extension file, in the manager's record order:
    // adds the file's dictionary to the cached extension of its class, making it
    // first when the class is registered (files naming unknown classes are
    // skipped). Then starts every cached extension, in the order they were made.
    // The cache is never emptied: each scan configures and starts them again.
    void scanForExtensionPackages();
    // The "extension_header" of the package's first readable extension file; null
    // when it has none.
    base::Ref<base::Dictionary> getExtensionInfo(std::string const& packageID);
    // Sets "extension_header" -> "active" in the package's first readable extension
    // file and writes the file back in place atomically; nothing when it has none.
    void setExtension(std::string const& packageID, bool enabled);
    base::Ref<BFExtension> extensionForKey(std::string const& className) const;

private:
    friend base::Factory;
    explicit BFExtensionSystem(BFPackageManager& manager);

    // The path and contents of the package's first readable extension file.
    std::pair<std::string, base::Ref<base::Dictionary>> extensionFile(std::string const& packageID);
    std::string pathOf(std::string const& fileOnDisk) const;

    BFPackageManager* package_mgr;
    // Class name -> its one extension, in the order they were made.
    std::vector<std::pair<std::string, base::Ref<BFExtension>>> ext_cache;
};

}

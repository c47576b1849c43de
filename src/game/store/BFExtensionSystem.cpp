#include <game/store/BFExtensionSystem.hpp>

#include <game/store/BFPackageManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>

#include <map>
#include <mutex>

namespace game {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, BFExtensionSystem::ClassFactory> classes;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

BFExtensionSystem::ClassFactory factoryFor(std::string const& name) {
    auto& classes = registry();
    std::lock_guard lock(classes.mutex);
    auto found = classes.classes.find(name);
    return found == classes.classes.end() ? nullptr : found->second;
}

base::Dictionary* headerOf(base::Dictionary const& extension) {
    return extension.objectForKey("extension_header").dictionary();
}

}

void BFExtensionSystem::registerClass(std::string name, ClassFactory factory) {
    auto& classes = registry();
    std::lock_guard lock(classes.mutex);
    classes.classes[std::move(name)] = std::move(factory);
}

void BFExtensionSystem::unregisterClass(std::string const& name) {
    auto& classes = registry();
    std::lock_guard lock(classes.mutex);
    classes.classes.erase(name);
}

base::Ref<BFExtensionSystem> BFExtensionSystem::initWithPackageManager(BFPackageManager& manager) {
    return base::make<BFExtensionSystem>(manager);
}

BFExtensionSystem::BFExtensionSystem(BFPackageManager& manager)
    : package_mgr(&manager) {
}

std::string BFExtensionSystem::pathOf(std::string const& fileOnDisk) const {
    return foundation::Sandbox::safeJoin(BFPackageManager::cachesDirectory(), fileOnDisk)
        .value_or(std::string());
}

base::Ref<BFExtension> BFExtensionSystem::extensionForKey(std::string const& className) const {
    for (auto const& [name, extension] : ext_cache)
        if (name == className)
            return extension;
    return nullptr;
}

void BFExtensionSystem::scanForExtensionPackages() {
    auto records = package_mgr->allFileRecordsForAsset(ExtensionFileKey);
    for (auto const& record : records.value_or(BFPackageManager::FileRecords {})) {
        auto path = pathOf(record->fileOnDisk);
        auto extension
            = path.empty() ? nullptr : foundation::PropertyList::dictionaryWithContentsOfFile(path);
        auto const* header = extension ? headerOf(*extension) : nullptr;
        if (!header || !header->objectForKey("active").boolValue())
            continue;
        auto const* className = header->objectForKey("class_name").string();
        if (!className)
            continue;
        if (auto cached = extensionForKey(*className)) {
            cached->addConfiguration(extension);
            continue;
        }
        auto factory = factoryFor(*className);
        if (!factory) {
            foundation::log("Extension class %@ not found", *className);
            continue;
        }
        auto made = factory();
        if (!made)
            continue;
        made->addConfiguration(extension);
        ext_cache.emplace_back(*className, std::move(made));
    }
    // Starting may scan again (an extension that changes a package); the copy keeps
    // the loop safe.
    auto extensions = ext_cache;
    for (auto const& [name, extension] : extensions)
        extension->start();
}

std::pair<std::string, base::Ref<base::Dictionary>> BFExtensionSystem::extensionFile(
    std::string const& packageID) {
    auto records = package_mgr->allFileRecordsForAsset(ExtensionFileKey);
    for (auto const& record : records.value_or(BFPackageManager::FileRecords {})) {
        if (!record->ParentUPK || record->ParentUPK->packageID != packageID)
            continue;
        auto path = pathOf(record->fileOnDisk);
        if (path.empty())
            continue;
        if (auto extension = foundation::PropertyList::dictionaryWithContentsOfFile(path))
            return {path, extension};
    }
    return {};
}

base::Ref<base::Dictionary> BFExtensionSystem::getExtensionInfo(std::string const& packageID) {
    auto [path, extension] = extensionFile(packageID);
    if (!extension)
        return nullptr;
    return extension->objectForKey("extension_header").dictionaryRef();
}

void BFExtensionSystem::setExtension(std::string const& packageID, bool enabled) {
    auto [path, extension] = extensionFile(packageID);
    if (!extension)
        return;
    auto header = extension->objectForKey("extension_header").dictionaryRef();
    if (!header) {
        header = base::Dictionary::create();
        extension->setObject("extension_header", header);
    }
    header->setObject("active", enabled);
    foundation::PropertyList::writeToFile(extension, path);
}

}

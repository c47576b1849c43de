#include <game/shell/ResourceLookup.hpp>

#include <foundation/PropertyList.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

// The main bundle asked directly, each list read afresh.
class BundleLookup final : public ResourceLookup {
public:
    std::optional<std::string> pathForResource(std::string_view name) override {
        if (!name.empty() && name.front() == '/')
            return std::string(name);
        return Utilities::getPathForResource(name);
    }

    base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string_view path) override {
        return foundation::PropertyList::dictionaryWithContentsOfFile(std::string(path));
    }

    base::Ref<base::Array> arrayWithContentsOfFile(std::string_view path) override {
        return foundation::PropertyList::arrayWithContentsOfFile(std::string(path));
    }
};

BundleLookup bundleLookup;
ResourceLookup* installed = nullptr;

}

ResourceLookup& ResourceLookup::shared() {
    return installed ? *installed : bundleLookup;
}

void ResourceLookup::setShared(ResourceLookup* lookup) {
    installed = lookup;
}

}

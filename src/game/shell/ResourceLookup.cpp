#include <game/shell/ResourceLookup.hpp>

namespace game {

namespace {

class BundleLookup final : public ResourceLookup {
public:
    std::optional<std::string> pathForResource(std::string_view name) override {
        if (!name.empty() && name.front() == '/')
            return std::string(name);
        return std::nullopt;
    }
    base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string_view) override {
        return nullptr;
    }
    base::Ref<base::Array> arrayWithContentsOfFile(std::string_view) override { return nullptr; }
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

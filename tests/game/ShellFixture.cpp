#include "ShellFixture.hpp"

#include <foundation/Bundle.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/GameGlobals.hpp>
#include <ui/Device.hpp>

namespace test {

void FakeResourceLookup::add(std::string const& name, base::Value list) {
    files_["/bundle/" + name] = std::move(list);
}

std::optional<std::string> FakeResourceLookup::pathForResource(std::string_view name) {
    if (!name.empty() && name.front() == '/')
        return std::string(name);
    auto path = "/bundle/" + std::string(name);
    if (!files_.contains(path))
        return std::nullopt;
    return path;
}

base::Ref<base::Dictionary> FakeResourceLookup::dictionaryWithContentsOfFile(
    std::string_view path) {
    auto found = files_.find(path);
    return found == files_.end() ? nullptr : found->second.dictionaryRef();
}

base::Ref<base::Array> FakeResourceLookup::arrayWithContentsOfFile(std::string_view path) {
    auto found = files_.find(path);
    return found == files_.end() ? nullptr : found->second.arrayRef();
}

ShellFixture::ShellFixture()
    : previousRoot(foundation::Sandbox::root())
    , previousBundle(foundation::Bundle::mainBundle().bundlePath()) {
    foundation::Sandbox::setRoot(sandbox.path().string());
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Bundle::setMainBundlePath((sandbox / "bundle").string());
    game::GameGlobals::reset();
    ui::Device::reset();
    game::ResourceLookup::setShared(&bundle);
    game::AlertPresenter::setShared(&alerts);
}

ShellFixture::~ShellFixture() {
    game::ResourceLookup::setShared(nullptr);
    game::AlertPresenter::setShared(nullptr);
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Bundle::setMainBundlePath(previousBundle);
    foundation::Sandbox::setRoot(previousRoot);
}

}

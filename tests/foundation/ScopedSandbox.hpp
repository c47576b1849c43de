#pragma once

#include <foundation/Bundle.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/TempDir.hpp>

#include <string>

namespace test {

// A fresh sandbox for one test: the sandbox root is a new temporary folder, the
// standard user defaults start empty there, and the main bundle is the given
// folder (an empty folder inside the sandbox by default). Everything is put back
// when it goes, unsaved user-defaults changes dropped.
class ScopedSandbox {
public:
    explicit ScopedSandbox(std::string bundlePath = {})
        : previousRoot_(foundation::Sandbox::root())
        , previousBundle_(foundation::Bundle::mainBundle().bundlePath()) {
        foundation::Sandbox::setRoot(dir_.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Bundle::setMainBundlePath(
            bundlePath.empty() ? (dir_ / "bundle").string() : bundlePath);
    }
    ~ScopedSandbox() {
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Bundle::setMainBundlePath(previousBundle_);
        foundation::Sandbox::setRoot(previousRoot_);
    }
    ScopedSandbox(ScopedSandbox const&) = delete;
    ScopedSandbox& operator=(ScopedSandbox const&) = delete;

    std::string root() const { return dir_.path().string(); }
    std::string operator/(std::string const& relative) const { return (dir_ / relative).string(); }

private:
    TempDir dir_;
    std::string previousRoot_;
    std::string previousBundle_;
};

}

#pragma once

#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXStore.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <services/StoreKit.hpp>
#include <support/TempDir.hpp>

#include <string>

namespace test {

// "sha:" and the SHA-1 of MosaicInstallationId.
inline constexpr char const* MosaicInstallationId = "install-1234";
inline constexpr char const* MosaicHashedId = "sha:D74FF3A1238C65734E081454E0BC31B7F1408C58";

// A fresh sandbox, store and run loop, and the client pointed at adServerHost ("" for
// none) with the test installation id; all undone at the end of the scope.
class MosaicScope {
public:
    explicit MosaicScope(std::string adServerHost) {
        foundation::Sandbox::setRoot(sandbox_.path().string());
        foundation::RunLoop::main().reset();
        services::SKPaymentQueue::reset();
        ads::mosaic::MXConfiguration configuration;
        configuration.adServerHost = std::move(adServerHost);
        configuration.storeLinkHost = "store.example";
        configuration.mapsHost = "maps.example";
        configuration.installationIdentifier = MosaicInstallationId;
        ads::mosaic::MXConfiguration::setUp(configuration);
        ads::mosaic::MXResetDeviceHelpers();
    }
    ~MosaicScope() {
        ads::mosaic::MXStore::resetSharedStore();
        services::SKPaymentQueue::reset();
        foundation::RunLoop::main().reset();
        ads::mosaic::MXConfiguration::reset();
        ads::mosaic::MXResetDeviceHelpers();
        foundation::Sandbox::setRoot({});
    }
    MosaicScope(MosaicScope const&) = delete;
    MosaicScope& operator=(MosaicScope const&) = delete;

    TempDir const& sandbox() const { return sandbox_; }

private:
    TempDir sandbox_;
};

// "127.0.0.1:PORT" of a loopback server's base URL.
inline std::string hostOf(std::string const& baseURL) {
    return baseURL.substr(baseURL.find("://") + 3);
}

}

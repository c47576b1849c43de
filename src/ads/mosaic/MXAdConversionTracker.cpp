#include <ads/mosaic/MXAdConversionTracker.hpp>

#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXDeviceHelpers.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <base/SharedInstance.hpp>
#include <foundation/Paths.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>
#include <foundation/URLConnection.hpp>

#include <filesystem>
#include <fstream>

namespace ads::mosaic {

MXAdConversionTracker& MXAdConversionTracker::sharedConversionTracker() {
    return base::SharedInstance<MXAdConversionTracker>::get();
}

std::string MXAdConversionTracker::markerPath() {
    return foundation::stringByAppendingPathComponent(
        foundation::Sandbox::documentsPath(), "mosaicAppOpen.log");
}

std::optional<std::string> MXAdConversionTracker::applicationOpenURL(
    std::string const& applicationID) {
    auto const& host = MXConfiguration::current().adServerHost;
    if (host.empty())
        return std::nullopt;
    return foundation::format(
        "http://%@/m/open?v=6&udid=%@&id=%@", host, MXHashedDeviceIdentifier(), applicationID);
}

void MXAdConversionTracker::reportApplicationOpenForApplicationID(
    std::string const& applicationID) {
    base::Ref<MXAdConversionTracker> self(this);
    foundation::Thread::detach(
        [self, applicationID] { self->reportApplicationOpenSynchronous(applicationID); });
}

void MXAdConversionTracker::reportApplicationOpenSynchronous(std::string const& applicationID) {
    auto const marker = markerPath();
    std::error_code error;
    if (std::filesystem::exists(marker, error))
        return;
    auto const url = applicationOpenURL(applicationID);
    if (!url) {
        MXLogInfoMessage("No ad server is configured; the application open is not reported.");
        return;
    }
    MXLogInfoMessage("Reporting application did launch for the first time to Mosaic: %@", *url);
    auto const result
        = foundation::URLConnection::sendSynchronousRequest(foundation::URLRequest(*url));
    if (result.error || result.response.statusCode() != 200 || result.data.empty())
        return;
    std::filesystem::create_directories(std::filesystem::path(marker).parent_path(), error);
    std::ofstream(marker, std::ios::binary | std::ios::trunc);
}

}

#include <serverkit/marketing/CHKManager.hpp>

#include <serverkit/marketing/CHKEventLogManager.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/rest/RLAdditions.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <ui/Device.hpp>

#include <cmath>

namespace serverkit {

using namespace toolkit::rest;

namespace {

// Seconds from 1970 to the platform's reference date of 2001.
constexpr double secondsFrom1970To2001 = 978307200.0;

}

CHKManager& CHKManager::sharedManager() {
    return base::SharedInstance<CHKManager>::get();
}

void CHKManager::resetSharedManager() {
    base::SharedInstance<CHKManager>::reset();
}

CHKManager::CHKManager()
    : applicationBundleIdentifier_(foundation::Bundle::mainBundle().bundleIdentifier()) {
    auto& device = ui::Device::currentDevice();
    deviceModel_ = device.isPad() ? "iPad" : "iPhone";
    systemVersion_ = device.systemVersion();
}

std::string CHKManager::preferredLanguage() const {
    auto languages
        = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
    return languages && !languages->empty() ? languages->front() : std::string("en");
}

base::Ref<base::Dictionary> CHKManager::newInstallationBody() const {
    return dictionaryWithKeysAndObjects({
        "user",
        dictionaryWithKeysAndObjects({"ios:deviceId", deviceId_}),
        "appId",
        foundation::format("ios:bundleId:%@", applicationBundleIdentifier_),
        "device",
        dictionaryWithKeysAndObjects({"model", deviceModel_, "osName", systemName_, "osVer",
            systemVersion_, "lang", preferredLanguage()}),
    });
}

void CHKManager::start() {
    CHKEventLogManager::sharedManager().logMessage("APP_START", "");
    if (foundation::UserDefaults::standardUserDefaults().integerForKey(installedTimestampKey) != 0)
        return;
    if (apiBaseUrl_.empty()) {
        foundation::log("No marketing service configured; the installation is not registered");
        return;
    }
    auto body = newInstallationBody();
    auto client
        = RLClient::clientWithBaseURL(apiBaseUrl_, httpBasicAuthUsername_, httpBasicAuthPassword_);
    client->setValue("application/json", "Content-type");
    client->post(foundation::format(apiNewInstallationsPath_, apiNamespace_),
        RLJSONSerialization::JSONSerializationWithObject(base::Value(body)), this);
}

void CHKManager::requestDidLoadResponse(RLRequest&, RLResponse& response) {
    if (response.statusCode() != 201) {
        foundation::log("The marketing service answered the registration with %@; it is tried "
                        "again at the next launch",
            response.statusCode());
        return;
    }
    auto seconds = std::llround(foundation::Clock::current().wallTime() + secondsFrom1970To2001);
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setInteger(seconds, installedTimestampKey);
    defaults.synchronize();
}

void CHKManager::requestDidFailLoadWithError(RLRequest&, foundation::URLError const& error) {
    foundation::log("The installation was not registered: %@", error.localizedDescription);
}

}

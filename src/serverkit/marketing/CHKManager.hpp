#pragma once

#include <serverkit/marketing/CHKObject.hpp>

#include <toolkit/rest/RLRequest.hpp>

#include <string>

namespace serverkit {

// The marketing kit's configuration and the registration of the installation: at
// the first start of an installation it tells the publisher's marketing service
// about the device and the application, once; only a 201 answer counts, and then
// the time is written at once under CHK_INSTALLED_TIMESTAMP, so a launch after that
// sends nothing. Any other answer or a failure leaves it for the next launch.
//
// The service's base address (HTTPS, no path) and the installation's identifier
// come from the program at set-up; without a base address nothing is sent. The
// device facts of the registration start from the view system's device and can be
// set. Process-wide; main thread.
class CHKManager final : public CHKObject, public toolkit::rest::RLRequestDelegate {
public:
    static constexpr char const* installedTimestampKey = "CHK_INSTALLED_TIMESTAMP";

    static CHKManager& sharedManager();
    // Drops the instance (tests); the next use makes a new one.
    static void resetSharedManager();

    // Registers the installation unless already registered.
    void start();

    void requestDidLoadResponse(toolkit::rest::RLRequest&, toolkit::rest::RLResponse&) override;
    void requestDidFailLoadWithError(
        toolkit::rest::RLRequest&, foundation::URLError const&) override;

    std::string const& httpBasicAuthUsername() const { return httpBasicAuthUsername_; }
    void setHttpBasicAuthUsername(std::string value) { httpBasicAuthUsername_ = std::move(value); }
    std::string const& httpBasicAuthPassword() const { return httpBasicAuthPassword_; }
    void setHttpBasicAuthPassword(std::string value) { httpBasicAuthPassword_ = std::move(value); }
    std::string const& deviceId() const { return deviceId_; }
    void setDeviceId(std::string value) { deviceId_ = std::move(value); }
    std::string const& applicationBundleIdentifier() const { return applicationBundleIdentifier_; }
    void setApplicationBundleIdentifier(std::string value) {
        applicationBundleIdentifier_ = std::move(value);
    }
    std::string const& apiNamespace() const { return apiNamespace_; }
    void setApiNamespace(std::string value) { apiNamespace_ = std::move(value); }
    std::string const& apiBaseUrl() const { return apiBaseUrl_; }
    void setApiBaseUrl(std::string value) { apiBaseUrl_ = std::move(value); }
    std::string const& apiNewInstallationsPath() const { return apiNewInstallationsPath_; }
    void setApiNewInstallationsPath(std::string value) {
        apiNewInstallationsPath_ = std::move(value);
    }

    // The "device" object of the registration.
    std::string const& deviceModel() const { return deviceModel_; }
    void setDeviceModel(std::string value) { deviceModel_ = std::move(value); }
    std::string const& systemName() const { return systemName_; }
    void setSystemName(std::string value) { systemName_ = std::move(value); }
    std::string const& systemVersion() const { return systemVersion_; }
    void setSystemVersion(std::string value) { systemVersion_ = std::move(value); }
    // The first of the user's preferred languages ("AppleLanguages"), "en" without one.
    std::string preferredLanguage() const;

    // The registration's body.
    base::Ref<base::Dictionary> newInstallationBody() const;

private:
    friend base::Factory;
    CHKManager();

    std::string httpBasicAuthUsername_ {"tessaline"};
    std::string httpBasicAuthPassword_ {"quilterBanjoes47"};
    std::string deviceId_;
    std::string applicationBundleIdentifier_;
    std::string apiNamespace_ {"tessaline"};
    std::string apiBaseUrl_;
    std::string apiNewInstallationsPath_ {"/api/%@/newInstallations/"};
    std::string deviceModel_;
    std::string systemName_ {"iPhone OS"};
    std::string systemVersion_;
};

}

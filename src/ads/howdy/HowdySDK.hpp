#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>

#include <optional>
#include <string>

namespace ui {
class Image;
class View;
}

namespace ads::howdy {

// What the host hands the check-in client at set-up: the check-in service's web
// endpoint ("http://host:port", no path; empty: no event is sent), the host of the
// application store's pages (empty: the store page is not opened) and the
// per-installation identifier sent as the device's. Main thread.
struct HowdyConfiguration {
    std::string webEndpoint;
    std::string appStoreHost;
    std::string deviceId;

    static void setUp(HowdyConfiguration configuration);
    static HowdyConfiguration const& current();
    static void reset();
};

// What the explain screen tells its client while it shows. Every operation is
// optional.
class HowdyDelegate {
public:
    virtual ~HowdyDelegate() = default;
    // Puts view on screen and answers true; false (the default) leaves the explain
    // screen to put it on the key window.
    virtual bool addHowdyAsSubview(base::Ref<ui::View> const&) { return false; }
    virtual void howdyWillAppear(bool) { }
    virtual void howdyDidAppear(bool) { }
    virtual void howdyWillDisappear(bool) { }
    virtual void howdyDidDisappear(bool) { }
};

// The check-in client: checks the player in to the game on the companion program
// when it is installed (through its "howdy://checkin" link, with the game's store id,
// the way back into the game and an optional message), or shows the explain screen
// that invites the player to install it. Every step is reported to the check-in
// service as an event, fire and forget.
//
// One shared instance, made by a start operation (each start replaces it) and kept
// for the run. Query values and the way back are percent-escaped, so a message with
// "&" or "=" cannot add parameters. Main thread only.
class HowdySDK : public base::Object,
                 public HowdyDelegate,
                 private foundation::URLConnectionDelegate {
public:
    static constexpr char const* CheckinURL = "howdy://checkin";

    // Makes a client, makes it the shared one and reports "howdy-start". Without an
    // appURL the way back is the bundle's own scheme (appURLSchema).
    static HowdySDK* startHowdyWithAppId(std::string const& appId);
    static HowdySDK* startHowdyWithAppId(
        std::string const& appId, std::optional<std::string> const& appURL);
    // Null before a start.
    static HowdySDK* sharedSDK();
    // Drops the shared client (tests).
    static void resetSharedSDK();

    // The system is version 4.0 or later.
    static bool isSupported();
    // The companion program is installed: the application can open its link.
    static bool canOpenHowdy();
    // Opens the companion program's store page.
    static void openAppStore();
    // "<scheme>://" of the bundle's first URL type that has a scheme; none without.
    static std::optional<std::string> appURLSchema();
    static std::string deviceId();
    static std::string defaultAppName();
    // The bundle's icon ("CFBundleIconFiles", else "CFBundleIconFile"); null without.
    static base::Ref<ui::Image> appImage();

    void checkin();
    // Reports "checkin-button-clicked", then opens the companion program or, when it
    // is not installed, the explain screen.
    void checkinWithMessage(std::optional<std::string> const& message);
    void openHowdyWithMessage(std::optional<std::string> const& message);
    // The upgrade alert on a system before 4.0; else the explain screen.
    void openExplainModalWithMessage(std::optional<std::string> const& message);
    // One GET of "track_sdk_event" with the device, the game's store id, the event
    // name and the platform.
    void logAnalyticsEvent(std::string const& event);
    // A GET of "<endpoint>/mobile/<path>" with the string entries of params as its
    // query; nothing without an endpoint. The reply is ignored.
    void requestURL(std::string const& path, base::Dictionary const& params);
    // The link that checks in on the companion program.
    std::string checkinURLWithMessage(std::optional<std::string> const& message) const;

    std::string const& appId() const { return appId_; }
    void setAppId(std::string appId) { appId_ = std::move(appId); }
    std::optional<std::string> const& appURL() const { return appURL_; }
    void setAppURL(std::optional<std::string> appURL) { appURL_ = std::move(appURL); }
    std::optional<std::string> const& appName() const { return appName_; }
    void setAppName(std::optional<std::string> appName) { appName_ = std::move(appName); }

protected:
    friend base::Factory;
    HowdySDK(std::string appId, std::optional<std::string> appURL);

    // Makes sdk the shared client and reports the start.
    static HowdySDK* install(base::Ref<HowdySDK> sdk);

private:
    std::string appId_;
    std::optional<std::string> appURL_;
    std::optional<std::string> appName_;
};

}

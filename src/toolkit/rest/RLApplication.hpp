#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace toolkit::rest {

// What the REST toolkit asks of the running application: background tasks, the
// network-activity indicator and a plain alert. The toolkit sits below the view
// system, so the program installs an implementation over its application object at
// start; with none installed, the application offers no background tasks, has no
// indicator, and alerts are only logged. Main thread only.
class RLApplication {
public:
    using BackgroundTaskIdentifier = std::uint64_t;
    static constexpr BackgroundTaskIdentifier BackgroundTaskInvalid = 0;

    // The application's life-cycle notifications, posted on the default centre.
    static constexpr char const* DidEnterBackgroundNotification
        = "UIApplicationDidEnterBackgroundNotification";
    static constexpr char const* WillEnterForegroundNotification
        = "UIApplicationWillEnterForegroundNotification";

    virtual ~RLApplication() = default;

    virtual BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler)
        = 0;
    virtual void endBackgroundTask(BackgroundTaskIdentifier identifier) = 0;
    virtual void setNetworkActivityIndicatorVisible(bool visible) = 0;
    virtual void showAlert(
        std::string const& title, std::string const& message, std::string const& cancelButton)
        = 0;

    // The installed application, or null.
    static RLApplication* shared();
    // Installs one that the caller keeps alive; null removes it.
    static void setShared(RLApplication* application);
};

}

#pragma once

#include <toolkit/rest/RLApplication.hpp>

namespace serverkit {

// The view system's application as the REST toolkit's: background tasks, the
// network-activity indicator and alerts go to ui::Application and ui::AlertView.
class RestApplication final : public toolkit::rest::RLApplication {
public:
    // Installs the one instance as the toolkit's application (again is harmless).
    static void install();

    BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler) override;
    void endBackgroundTask(BackgroundTaskIdentifier identifier) override;
    void setNetworkActivityIndicatorVisible(bool visible) override;
    void showAlert(std::string const& title, std::string const& message,
        std::string const& cancelButton) override;
};

}

#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/NotificationCenter.hpp>
#include <game/shell/AdClients.hpp>
#include <ui/Application.hpp>

#include <exception>
#include <string>
#include <vector>

namespace ui {
class Window;
}

namespace game {

class RootViewController;

// The application's delegate: brings every service up at launch, pauses and resumes
// the game with the application's life, queues the game-server calls each time the
// application becomes active outside the salon, turns the server's restore and
// save-transfer answers into questions for the player, opens the cross-promotion
// for its own URLs and sends a one-time install ping. Lives for the whole process;
// main thread, except the install ping's worker.
class QuillabyAppDelegate final : public ui::ApplicationDelegate, public MarqueeDelegate {
public:
    QuillabyAppDelegate();
    ~QuillabyAppDelegate() override;

    // The running application's delegate when it is this class, else null.
    static QuillabyAppDelegate* sharedDelegate();

    void applicationDidFinishLaunching(ui::Application& application) override;
    bool applicationHandleOpenURL(ui::Application& application, std::string const& url) override;
    void applicationWillResignActive(ui::Application& application) override;
    void applicationDidEnterBackground(ui::Application& application) override;
    void applicationDidBecomeActive(ui::Application& application) override;
    void applicationWillTerminate(ui::Application& application) override;
    void applicationDidReceiveMemoryWarning(ui::Application& application) override;

    void btxConnectSuccess();
    void btxConnectFail();
    void checkRewardDidFinish();
    void checkRestoreDidFinish();
    // Asks the player about server data: a save transfer (main menu only) or a
    // restore (outside the salon).
    void rewardInstructionPending(base::Ref<base::Dictionary> data);
    void restoreInstructionPending(base::Ref<base::Dictionary> data);

    // The interstitial client may show one only in the main menu.
    bool shouldDisplayInterstitial(std::string const& location) override;

    // 32 upper-case hexadecimal digits of the MD5 of the installation's identifier.
    static std::string hashedISU();
    // The install ping: a GET of address; the empty marker file is made only for a
    // 200 reply with a body, so any other outcome is tried again at the next launch.
    // Blocks; runs on a worker thread at launch.
    static void reportAppOpenToAdnoria(std::string const& address, std::string const& markerPath);
    // The ping's address for the configured host, or empty without one.
    static std::string adnoriaAddress();
    // Reports an exception that nothing caught to analytics as "Uncaught".
    static void handleUncaughtException(std::exception_ptr exception);

    ui::Window* window() const { return window_.get(); }
    void setWindow(base::Ref<ui::Window> window);
    RootViewController* viewController() const { return viewController_.get(); }
    void setViewController(base::Ref<RootViewController> controller);
    // Keys of offer-wall actions reported but not yet seen confirmed (the salon adds them).
    std::vector<std::string>& pendingActions() { return pendingActions_; }
    base::Dictionary const* pendingRestoreData() const { return pendingRestoreData_.get(); }

private:
    enum class Question { Transfer, Restore };
    void answer(Question question, base::Ref<base::Dictionary> data, int index);

    base::Ref<ui::Window> window_;
    base::Ref<RootViewController> viewController_;
    std::vector<std::string> pendingActions_;
    base::Ref<base::Dictionary> pendingRestoreData_;
    std::vector<foundation::ObservationToken> observations_;
};

}

#include <game/shell/QuillabyAppDelegate.hpp>

#include <base/Exception.hpp>
#include <engine/Director.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>
#include <game/interface/Interface.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/GameSettingManager.hpp>
#include <game/shell/OpenALEngine.hpp>
#include <game/shell/PurchaseManager.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/InAppPurchase.hpp>
#include <ttf/Language.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace game {

namespace {

constexpr char const* dataFolder = "/var/mobile/Library/Marrowby";
constexpr char const* adnoriaMarker = "adnoria_app_open";

Interface* gameInterface() {
    return GameGlobals::shared().interface.get();
}

std::terminate_handler previousTerminate = nullptr;

void onTerminate() {
    if (auto exception = std::current_exception())
        QuillabyAppDelegate::handleUncaughtException(exception);
    if (previousTerminate)
        previousTerminate();
    std::abort();
}

}

QuillabyAppDelegate::QuillabyAppDelegate() = default;

// The purchase manager goes first, then the controller and the window.
QuillabyAppDelegate::~QuillabyAppDelegate() {
    observations_.clear();
    PurchaseManager::shared().releaseManager();
    viewController_ = nullptr;
    window_ = nullptr;
    pendingActions_.clear();
}

QuillabyAppDelegate* QuillabyAppDelegate::sharedDelegate() {
    return dynamic_cast<QuillabyAppDelegate*>(ui::Application::sharedApplication().delegate());
}

void QuillabyAppDelegate::setWindow(base::Ref<ui::Window> window) {
    window_ = std::move(window);
}

void QuillabyAppDelegate::setViewController(base::Ref<RootViewController> controller) {
    viewController_ = std::move(controller);
}

void QuillabyAppDelegate::applicationDidFinishLaunching(ui::Application& application) {
    // Seconds since 1970: the reference date is 978307200 s later.
    foundation::srand48(long(std::lround(foundation::Clock::current().wallTime() + 978307200.0)));

    if (auto folder = foundation::Sandbox::devicePath(dataFolder)) {
        std::error_code error;
        std::filesystem::create_directories(*folder, error);
        std::filesystem::permissions(*folder, std::filesystem::perms(0755), error);
    }

    auto& server = GameServerClient::shared();
    server.startMarketingKit();

    auto& center = foundation::NotificationCenter::defaultCenter();
    observations_.clear();
    observations_.push_back(center.observe(
        BTXConnectSuccessNotification, [this](auto const&) { btxConnectSuccess(); }));
    observations_.push_back(
        center.observe(BTXConnectFailedNotification, [this](auto const&) { btxConnectFail(); }));
    observations_.push_back(center.observe(
        "qbykit_checkrestore_notification", [this](auto const&) { checkRestoreDidFinish(); }));
    observations_.push_back(center.observe(
        "qbykit_checkreward_notification", [this](auto const&) { checkRewardDidFinish(); }));

    InAppPurchase::sharedManager();
    pendingActions_.clear();
    pendingActions_.reserve(10);

    // The secret key stays out of the log.
    foundation::log("Checklist - BTXID:%@", BountixSetting::getBountixID());
    auto& ads = AdClients::shared();
    ads.requestBountixConnect(BountixSetting::getBountixID(), BountixSetting::getBountixSecret());
    ads.setFeaturedAppDisplayCount(10);

    previousTerminate = std::set_terminate(onTerminate);

    ShellServices::shared().startSession(GameSettingManager::getKestrelID());
    foundation::log("Checklist - Kestrel ID : %@", GameSettingManager::getKestrelID());

    if (Utilities::haveInternetConnection())
        DataConrtoller::reportStatistics();

    application.setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    window_ = ui::Window::create(ui::Screen::mainScreen().bounds());
    viewController_ = RootViewController::create();
    window_->setRootViewController(viewController_);
    window_->makeKeyAndVisible();

    ads.startHowdyWithAppId(GameSettingManager::getiTunesID());

    // The address and the marker are found here: the worker touches only the network
    // and the file system.
    if (auto address = adnoriaAddress(); !address.empty()) {
        auto marker = foundation::Sandbox::documentsPath() + "/" + adnoriaMarker;
        foundation::Thread::detach([address, marker] { reportAppOpenToAdnoria(address, marker); });
    } else {
        foundation::log("No Adnoria host configured; no install ping");
    }

    ads.setUpMarquee(BountixSetting::getMarqueeID(), BountixSetting::getMarqueeSig(), this);

    ttf::Language::initPreferredLanguage();
}

void QuillabyAppDelegate::applicationDidBecomeActive(ui::Application&) {
    engine::Director::sharedDirector().startAnimation();
    if (Utilities::haveInternetConnection()
        && GameGlobals::shared().curProgramState != ProgramStateShop) {
        auto& server = GameServerClient::shared();
        server.callAPIMethod({"BTXComponents", {}});
        server.callAPIMethod({"CheckDirectives",
            {"NotifyDirectiveHandler", "PonyDayDirectiveHandler", "HowdyDirectiveHandler",
                "TransferCoinsDirectiveHandler"}});
        server.callAPIMethod({"AuthToken", {}});
        server.callAPIMethod({"CheckRestore", {}});
        server.requestUnreadCredits(viewController_.get());
    }
    if (auto* engine = OpenALEngine::sharedEngine())
        engine->resumeOpenALSession();
    if (viewController_)
        viewController_->resumeGame();
}

void QuillabyAppDelegate::applicationWillResignActive(ui::Application&) {
    if (auto* engine = OpenALEngine::sharedEngine())
        engine->suspendOpenALSession();
    if (viewController_)
        viewController_->pauseGame();
}

void QuillabyAppDelegate::applicationDidEnterBackground(ui::Application&) {
    if (auto* engine = OpenALEngine::sharedEngine())
        engine->suspendOpenALSession();
    if (viewController_)
        viewController_->pauseGame();
    engine::Director::sharedDirector().stopAnimation();
}

// The process ends after this: the game's objects go while the engine they draw with
// is still there.
void QuillabyAppDelegate::applicationWillTerminate(ui::Application&) {
    observations_.clear();
    viewController_ = nullptr;
    auto& director = engine::Director::sharedDirector();
    if (director.runningScene())
        director.end();
    GameGlobals::reset();
    window_ = nullptr;
}

void QuillabyAppDelegate::applicationDidReceiveMemoryWarning(ui::Application&) {
    foundation::log("Received memory warning!");
    if (viewController_ && viewController_->isPausingGame())
        return;
    foundation::log("Release texture");
    engine::TextureMgr::sharedTextureMgr().removeUnusedTextures();
}

bool QuillabyAppDelegate::applicationHandleOpenURL(ui::Application&, std::string const& url) {
    if (!url.ends_with("rvcoffer"))
        return false;
    if (viewController_)
        viewController_->showRVCCrossPromote();
    return true;
}

void QuillabyAppDelegate::btxConnectSuccess() {
    foundation::log("Bountix connect Succeeded");
    pendingActions_.clear();
}

void QuillabyAppDelegate::btxConnectFail() {
    foundation::log("Bountix connect Failed");
    for (auto const& key : pendingActions_)
        DataManager::setInt(0, key);
    pendingActions_.clear();
}

void QuillabyAppDelegate::checkRewardDidFinish() {
    auto store = GameServerClient::shared().objectForKey("qbykit_checkreward_datastore");
    if (!store)
        return;
    if (auto const* data = store->find("data")) {
        if (auto* interface = gameInterface())
            interface->showSeasonsButton(data->intValue() == 0);
        return;
    }
    if (!store->empty())
        rewardInstructionPending(store);
}

void QuillabyAppDelegate::checkRestoreDidFinish() {
    auto store = GameServerClient::shared().objectForKey("qbykit_checkrestore_datastore");
    if (store && !store->empty())
        restoreInstructionPending(store);
}

void QuillabyAppDelegate::rewardInstructionPending(base::Ref<base::Dictionary> data) {
    if (GameGlobals::shared().curProgramState != ProgramStateMainMenu)
        return;
    if (auto* interface = gameInterface()) {
        interface->showSeasonsButton(false);
        interface->HiddenMainMenu(-1);
    }
    pendingRestoreData_ = data;
    AlertPresenter::shared().showQuestion("Data Transfer",
        "New save data has been sent to your device. Proceed with the import?", "Reject", "Accept",
        [this, data](int index) { answer(Question::Transfer, data, index); });
}

void QuillabyAppDelegate::restoreInstructionPending(base::Ref<base::Dictionary> data) {
    if (GameGlobals::shared().curProgramState == ProgramStateShop)
        return;
    if (auto* interface = gameInterface())
        interface->HiddenMainMenu(-1);
    pendingRestoreData_ = data;
    AlertPresenter::shared().showQuestion("Restore Previous Save",
        "New save data have been sent to your device. Proceed with the import?", "Reject", "Accept",
        [this, data](int index) { answer(Question::Restore, data, index); });
}

// Each question carries its own data, so an answer to one never imports or confirms
// the data of the other. An import that fails is not confirmed to the server and not
// reported as a success.
void QuillabyAppDelegate::answer(Question question, base::Ref<base::Dictionary> data, int index) {
    auto& server = GameServerClient::shared();
    if (index == 1) {
        if (DataConrtoller::importSaveData(data.get())) {
            if (question == Question::Transfer)
                server.callAPIMethod({"ConfirmReward", {}});
            else
                server.callAPIMethod({"ConfirmRestore", {"COMPLETE"}});
            if (auto* interface = gameInterface())
                interface->showMainMenu();
            AlertPresenter::shared().showAlert(
                "Save data import", "Save Data successfully imported.", "OK");
        } else {
            foundation::log("The save data sent to the device could not be imported");
            if (auto* interface = gameInterface())
                interface->showMainMenu();
            AlertPresenter::shared().showAlert(
                "Save data import", "Save Data could not be imported.", "OK");
        }
    } else {
        if (question == Question::Transfer)
            server.callAPIMethod({"RejectReward", {}});
        else
            server.callAPIMethod({"ConfirmRestore", {"USER_CANCELLED"}});
        if (auto* interface = gameInterface())
            interface->showMainMenu();
    }
    if (pendingRestoreData_ == data)
        pendingRestoreData_ = nullptr;
}

bool QuillabyAppDelegate::shouldDisplayInterstitial(std::string const&) {
    return GameGlobals::shared().curProgramState == ProgramStateMainMenu;
}

std::string QuillabyAppDelegate::hashedISU() {
    auto identifier = Utilities::getUDID();
    if (identifier.empty())
        return {};
    return Utilities::getMD5(identifier);
}

std::string QuillabyAppDelegate::adnoriaAddress() {
    auto host = ServerConfig::adnoriaHost();
    if (host.empty())
        return {};
    while (host.ends_with('/'))
        host.pop_back();
    return foundation::format(
        "%@/f0?isu=%@&md5=1&app_id=%@", host, hashedISU(), GameSettingManager::getiTunesID());
}

void QuillabyAppDelegate::reportAppOpenToAdnoria(
    std::string const& address, std::string const& markerPath) {
    std::error_code error;
    if (std::filesystem::exists(markerPath, error))
        return;
    auto result = foundation::URLConnection::sendSynchronousRequest(
        foundation::URLRequest::requestWithURL(address));
    if (result.error || result.response.statusCode() != 200 || result.data.empty())
        return;
    std::filesystem::create_directories(std::filesystem::path(markerPath).parent_path(), error);
    std::ofstream marker(markerPath, std::ios::trunc);
}

void QuillabyAppDelegate::handleUncaughtException(std::exception_ptr exception) {
    std::string description = "unknown exception";
    try {
        std::rethrow_exception(exception);
    } catch (base::Exception const& e) {
        description = e.name() + ": " + e.reason();
    } catch (std::exception const& e) {
        description = e.what();
    } catch (...) { }
    ShellServices::shared().logError("Uncaught", description);
}

}

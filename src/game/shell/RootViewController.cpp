#include <game/shell/RootViewController.hpp>

#include <engine/Director.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Random.hpp>
#include <foundation/Thread.hpp>
#include <foundation/Timer.hpp>
#include <game/interface/Interface.hpp>
#include <game/progression/AchievementsViewController.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/BountixFeaturedAppViewController.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GameSettingManager.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/shell/LocalizedScreen.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/MainScene.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <game/shell/WebBrowserViewController.hpp>
#include <graphics/Font.hpp>
#include <ttf/Language.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <cstdlib>

namespace game {

namespace {

constexpr char const* keyFreeOfferPoints = "BTX_FREE_OFFER_POINTS";
constexpr char const* keyFreeOfferPointsReported = "BTX_FREE_OFFER_POINTS_REPORTED";
// Lifetime offer points after which the offer wall's first pay-per-action is reported.
constexpr int freeOfferPointsToReport = 20;

Interface* gameInterface() {
    return GameGlobals::shared().interface.get();
}

int openPopup() {
    auto* interface = gameInterface();
    return interface ? interface->curUIState() : 0;
}

int pointsOf(foundation::Notification const& notification) {
    auto const& info = notification.userInfo();
    if (auto const* dictionary = info.dictionary()) {
        auto points = dictionary->objectForKey(BTXPointsKey);
        return int(points.intValue());
    }
    return info.intValue();
}

std::string localized(char const* key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

}

base::Ref<RootViewController> RootViewController::create() {
    return base::make<RootViewController>();
}

RootViewController::RootViewController() {
    bShouldRestartAnimation = false;
    bDisableFeatured = false;
    mxAdView_ = nullptr;
    _isAdViewVisible = false;
}

RootViewController::~RootViewController() {
    observations_.clear();
    foundation::cancelPreviousPerformRequests(this);
    if (PurchaseManager::shared().delegate() == this)
        PurchaseManager::shared().setDelegate(nullptr);
    if (mxAdView_)
        mxAdView_->setDelegate(nullptr);
    // Only the controller that started the game ends the director's run, and only
    // while that run lasts.
    if (pMainScene) {
        if (auto& layer = GameGlobals::shared().mainLayer;
            layer && layer->pRootViewController() == this)
            layer->setPRootViewController(nullptr);
        auto& director = engine::Director::sharedDirector();
        if (director.runningScene() == pMainScene.get())
            director.end();
    }
    pMainScene = nullptr;
    mBTXAdBG = nullptr;
    _isAdViewVisible = false;
    mxAdView_ = nullptr;
}

void RootViewController::observe(
    char const* name, foundation::NotificationCenter::Callback callback) {
    observations_.push_back(
        foundation::NotificationCenter::defaultCenter().observe(name, std::move(callback)));
}

// --- the view's life ---

void RootViewController::viewDidLoad() {
    mPendingOfferPoints = 0;
    bShouldAttachView = true;
    bIsPausingGame = false;
    view()->setMultipleTouchEnabled(false);
    DataConrtoller::loadPetPoints();
    auto& director = engine::Director::sharedDirector();
    director.setDisplayFPS(false);
    director.setAnimationInterval(1.0 / 60);
    auto* sound = SoundEngine::sharedManager();
    sound->changeToAmbientMode();
    sound->enableMusicTrack(DataConrtoller::getBgmEnable());
    sound->enableSound(DataConrtoller::getSfxEnable());

    observations_.clear();
    observe(BTXOfferPointsNotification, [this](auto const& n) { btxGetOfferPoints(n); });
    observe(BTXSpendOfferPointsNotification, [this](auto const& n) { btxSpendOfferPoints(n); });
    observe(BTXShowBoxNotification, [this](auto const&) { btxOffersDidClose(); });
    observe(BTXFeaturedAppNotification, [this](auto const& n) { btxFeaturedApp(n); });
    for (char const* name : {BTXOfferPointsErrorNotification, BTXSpendOfferPointsErrorNotification,
             BTXAwardOfferPointsErrorNotification})
        observe(name, [this](auto const& n) { getUpdatedPointsError(n); });
    observe("LuckyWheelDailyBonusDidReceiveNotification",
        [this](auto const&) { dailyBonusDidReceived(); });

    // The intro movie is skipped: both ways lead to its end.
    bool phoneWithMovies = !Utilities::isiPad() && Utilities::getOSVersion() >= 4;
    foundation::performAfterDelay(
        this,
        [this, phoneWithMovies] {
            if (phoneWithMovies)
                playIntroVideo();
            else
                playIntroVideoDidFinished();
        },
        0);
}

void RootViewController::viewWillAppear(bool) {
    ttf::Language::initPreferredLanguage();
    if (bShouldAttachView) {
        auto frame = Utilities::isiPad() ? graphics::makeRect(0, 0, 1024, 768)
                                         : graphics::makeRect(0, 0, 480, 320);
        auto& director = engine::Director::sharedDirector();
        director.attachInView(view(), frame);
        director.startAnimation();
        bShouldAttachView = false;
    }
    if (GameGlobals::shared().curProgramState != ProgramStateShop)
        foundation::performAfterDelay(
            this, "viewDidAppearHelper", nullptr, [this] { viewDidAppearHelper(); }, 0.5);
}

void RootViewController::viewDidAppearHelper() {
    auto& server = GameServerClient::shared();
    auto auth = server.objectForKey("qbykit_auth_datastore");
    if (!auth || !auth->contains("qbykit_auth_session"))
        server.callAPIMethod({"AuthToken", {}});
    server.callAPIMethod({"CheckRestore", {}});
    server.callAPIMethod({"CheckReward", {"zorel"}});
}

void RootViewController::viewDidDisappear(bool) {
    auto& director = engine::Director::sharedDirector();
    director.stopAnimation();
    director.detach();
    bShouldAttachView = true;
}

void RootViewController::viewDidUnload() {
    observations_.clear();
    bShouldAttachView = true;
    bDisableTJ = false;
}

bool RootViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::LandscapeRight
        || orientation == ui::InterfaceOrientation::LandscapeLeft;
}

// --- the game ---

void RootViewController::playIntroVideo() {
    playIntroVideoDidFinished();
}

void RootViewController::playIntroVideoDidFinished() {
    SoundEngine::sharedManager()->changeToAmbientMode();
    if (!pMainScene) {
        pMainScene = MainScene::node();
        if (auto& layer = GameGlobals::shared().mainLayer)
            layer->setPRootViewController(this);
        engine::Director::sharedDirector().runWithScene(pMainScene);
    }
    PurchaseManager::shared().setDelegate(this);
    ShellServices::shared().setParentViewControllerForAchievementMessage(this);
}

void RootViewController::pauseGame() {
    if (pMainScene) {
        engine::Director::sharedDirector().pause();
        if (auto* interface = gameInterface())
            interface->autoPauseGame();
    }
    bIsPausingGame = true;
    SoundEngine::sharedManager()->suspendMusicTrack();
}

void RootViewController::resumeGame() {
    if (pMainScene) {
        engine::Director::sharedDirector().resume();
        checkEarnPetPointsByBountix();
    }
    bIsPausingGame = false;
    SoundEngine::sharedManager()->resumeMusicTrack();
}

// --- Vov Azavuz ---

void RootViewController::addPetPoints(int amount) {
    auto& globals = GameGlobals::shared();
    globals.petPoints += amount;
    globals.overallPetPoints += amount;
    DataConrtoller::savePetPoints();
}

void RootViewController::buyPackage(std::string const& productIdentifier) {
    if (!Utilities::haveInternetConnection()) {
        Utilities::showInternetConnectionAlert();
        return;
    }
    if (isBuyingPackage()) {
        foundation::log("Cannot buy %@ because somethings is now purchasing", productIdentifier);
        return;
    }
    requestedProduct_ = productIdentifier;
    PurchaseManager::shared().requestProductData(productIdentifier);
}

bool RootViewController::isBuyingPackage() {
    auto& store = PurchaseManager::shared();
    return store.isRequestingProductData() || store.isPurchasingProduct();
}

bool RootViewController::canCancelBuyingPackage() {
    return PurchaseManager::shared().isRequestingProductData();
}

void RootViewController::cancelBuyingPackage() {
    PurchaseManager::shared().cancelRequestingProductData();
}

// A reply may list more products than were asked for; only the one asked for is bought.
void RootViewController::productDataDidReceiveResponse(std::vector<std::string> const& products) {
    auto requested = std::exchange(requestedProduct_, {});
    for (auto const& product : products) {
        if (product == requested && !requested.empty()) {
            PurchaseManager::shared().purchaseProduct(product);
            return;
        }
        foundation::log("Product %@ was not asked for; not bought", product);
    }
}

void RootViewController::invalidProductDataDidReceiveResponse() {
    requestedProduct_.clear();
    AlertPresenter::shared().showAlert("Product not available!",
        "This product is not availabe for purchase.\nPlease try again later.", "OK");
}

void RootViewController::transactionDidComplete(PurchaseTransaction const& transaction) {
    if (!transaction.transactionIdentifier.empty()
        && !creditedTransactions_.insert(transaction.transactionIdentifier).second) {
        foundation::log("Transaction %@ was already credited", transaction.transactionIdentifier);
        return;
    }
    if (int package = InAppPurchaseSetting::packageOfProduct(transaction.productIdentifier)) {
        petPointsDidBuy(transaction.quantity * InAppPurchaseSetting::getPackagePoints(package));
        return;
    }
    foundation::log("Unknow product purchased!");
}

void RootViewController::petPointsDidBuy(int amount) {
    addPetPoints(amount);
    DataConrtoller::logPetPointsPurchased(amount);
    SoundEngine::sharedManager()->playSoundName("Money");
    AlertPresenter::shared().showAlert("Purchase Complete!",
        foundation::format(
            "You purchased %d Vov Azavuz!\nUse your Vov Azavuz to unlock things in the store!",
            amount),
        "OK");
    auto parameters = base::Dictionary::create();
    parameters->setObject("Package", std::to_string(amount));
    ShellServices::shared().logEvent("Pet Point IAP", parameters);
}

void RootViewController::didLoadObjects(std::vector<MarketingCredit> const& credits) {
    for (auto const& credit : credits) {
        // A credit the service hands out again (a repeated or retried request) is
        // added once; a credit without an id cannot be told apart and always counts.
        if (credit.identifier != 0 && !creditedMarketingCredits_.insert(credit.identifier).second)
            continue;
        foundation::log("Credits: %@ (%@)", credit.value, credit.reason);
        addPetPoints(credit.value);
        AlertPresenter::shared().showAlert(
            foundation::format("You Received %d Free Vov Azavuz!", credit.value), credit.reason,
            "OK");
    }
}

void RootViewController::didFailWithError(std::string const& error) {
    foundation::log("CHKManager encountered error:%@", error);
}

// --- screens ---

void RootViewController::showAchievements() {
    auto screen = ShellServices::shared().makeAchievementsViewController();
    if (!screen)
        return;
    createLocalizedAchievementImages(*screen);
    presentViewController(screen, true);
}

void RootViewController::showDownloadPage() {
    if (auto screen = ShellServices::shared().makeDLCViewController())
        presentViewController(screen, true);
}

void RootViewController::showWebPage(std::string const& address) {
    auto browser = WebBrowserViewController::initWebBrowser();
    browser->loadURL(address);
    presentViewController(browser, true);
}

void RootViewController::showDailyBonus() {
    DataConrtoller::loadMoney();
    if (GameGlobals::shared().money == 0)
        return;
    luckyWheelViewController = ShellServices::shared().makeLuckyWheelViewController();
    if (luckyWheelViewController)
        presentViewController(luckyWheelViewController, true);
}

// The wheel may announce the bonus from its clock's thread; the screen is shown on
// the main thread, and never over another one.
void RootViewController::dailyBonusDidReceived() {
    base::Ref<RootViewController> self(this);
    auto show = [self] {
        if (!self->presentedViewController())
            self->showDailyBonus();
    };
    if (foundation::Thread::isMainThread())
        show();
    else
        foundation::performOnMainThread(show, true);
}

void RootViewController::showTransferPetPointsToMoney() {
    if (auto* interface = gameInterface())
        interface->showTransferPPView();
}

void RootViewController::showRVCCrossPromote() {
    bDisableFeatured = true;
    base::Ref<RootViewController> self(this);
    GameServerClient::shared().presentCrossPromote(
        [self](bool finished) { self->xPromoteDone(finished); }, [self] { self->xPromoteClose(); },
        "Back", view());
}

void RootViewController::xPromoteDone(bool finished) {
    if (finished) {
        AlertPresenter::shared().showAlert("Offer Finished!", "Thank you.", "OK");
        reportPayPerAction(7);
    } else {
        AlertPresenter::shared().showAlert("Offer Not Finished!", "You skipped publishing!", "OK");
    }
    xPromoteClose();
}

void RootViewController::xPromoteClose() {
    bDisableFeatured = false;
    GameServerClient::shared().dismissCrossPromote();
}

void RootViewController::createLocalizedTransferPPImages(LocalizedScreen& screen) {
    screen.setTitleStr(localized("XFRPP"));
    screen.setOkStr(localized("BUTTON_OK"));
    screen.setCancelStr(localized("BUTTON_CANCEL"));
    screen.setBackStr(localized("BUTTON_BACK"));
    screen.setEarnStr(localized("EARNPP"));
    screen.setBuyStr(localized("BUYPP"));
}

void RootViewController::createLocalizedInAppPurchaseImages(LocalizedScreen& screen) {
    screen.setTitleStr(localized("BUYPP"));
    screen.setBackStr(localized("BUTTON_BACK"));
    screen.setCancelStr(localized("BUTTON_CANCEL"));
    screen.setEarnStr(localized("EARNPP"));
}

void RootViewController::createLocalizedAchievementImages(ui::ViewController& screen) {
    screen.setTitle(localized("ACHIEVEMENTS"));
    if (auto* achievements = dynamic_cast<AchievementsViewController*>(&screen))
        achievements->setTitleStr(screen.title());
}

// --- the offer wall ---

void RootViewController::showInAppPurchase() {
    showBountixOffers();
}

void RootViewController::showInAppPurchaseWithViewController(ui::ViewController* controller) {
    showBountixOffersWithViewController(controller);
}

// The guard is set only once the offer screen really opens, so that a request
// without network leaves the offer wall usable later.
void RootViewController::showBountixOffers() {
    if (bDisableTJ)
        return;
    if (!Utilities::haveInternetConnection()) {
        Utilities::showInternetConnectionAlert();
        return;
    }
    bDisableTJ = true;
    showBountixOffersWithViewController(this);
}

void RootViewController::showBountixOffersWithViewController(ui::ViewController* controller) {
    if (!Utilities::haveInternetConnection()) {
        Utilities::showInternetConnectionAlert();
        bDisableTJ = false;
        return;
    }
    if (bDisableTJ2)
        return;
    bDisableTJ2 = true;
    auto& wall = AdClients::shared();
    wall.setTransitionEffect(0);
    wall.setUserDefinedColor(255, 54, 90);
    wall.showOffersWithViewController(controller);
    checkEarnPetPointsByBountix();
}

void RootViewController::btxOffersDidClose() {
    if (Utilities::haveInternetConnection())
        checkEarnPetPointsByBountix();
    bDisableTJ = false;
    bDisableTJ2 = false;
}

void RootViewController::checkEarnPetPointsByBountix() {
    foundation::log("Check earn pet points by Bountix");
    AdClients::shared().getOfferPoints();
}

void RootViewController::btxGetOfferPoints(foundation::Notification const& notification) {
    int balance = pointsOf(notification);
    foundation::log("Get Offer Points %d", balance);
    // After the notification has been delivered to everyone.
    foundation::performAfterDelay(
        this, [this, balance] { updateOfferPoints(balance); }, 0);
}

// The balance is spent first and credited when the offer wall confirms the spend,
// so that a failed spend, a repeated balance or a repeated confirmation never
// credits the same points twice. While a spend waits, further balances are left
// for the next check.
void RootViewController::updateOfferPoints(int balance) {
    if (balance <= 0)
        return;
    if (mPendingOfferPoints > 0) {
        foundation::log(
            "%d offer points wait for their spend to be confirmed", mPendingOfferPoints);
        return;
    }
    mPendingOfferPoints = balance;
    AdClients::shared().spendOfferPoints(balance);
}

void RootViewController::btxSpendOfferPoints(foundation::Notification const& notification) {
    foundation::log(
        "Spend Offer Points Successfully!\nCurrent Offer Points: %d", pointsOf(notification));
    if (int points = std::exchange(mPendingOfferPoints, 0); points > 0)
        creditOfferPoints(points);
}

void RootViewController::creditOfferPoints(int points) {
    addPetPoints(points);
    DataConrtoller::logPetPointsEarned(points);
    foundation::log("%d Vov Azavuz added.", points);
    auto total = DataManager::getIntForKey(keyFreeOfferPoints, 0) + points;
    DataManager::setInt(total, keyFreeOfferPoints);
    SoundEngine::sharedManager()->playSoundName("GetFreePP");
    AlertPresenter::shared().showAlert("You Earned Free Vov Azavuz!",
        foundation::format(
            "You earned %d free Vov Azavuz!\nUse your Vov Azavuz to unlock things in the store!",
            points),
        "OK");
    if (total >= freeOfferPointsToReport
        && DataManager::getIntForKey(keyFreeOfferPointsReported, 0) == 0
        && Utilities::haveInternetConnection()) {
        reportPayPerAction(1);
        DataManager::setInt(1, keyFreeOfferPointsReported);
    }
}

void RootViewController::getUpdatedPointsError(foundation::Notification const& notification) {
    foundation::log("getUpdatedPointsError:%@", notification.name());
    // A failed spend leaves the points on the offer wall for the next check.
    if (notification.name() == BTXSpendOfferPointsErrorNotification)
        mPendingOfferPoints = 0;
}

void RootViewController::reportPayPerAction(int actionType) {
    auto action = BountixSetting::getPayPerAction(actionType);
    if (action.empty() || action == BountixSetting::getBountixID())
        return;
    AdClients::shared().actionComplete(action);
}

base::Ref<base::Dictionary> RootViewController::btxStore() {
    return GameServerClient::shared().objectForKey("btx_datastore");
}

void RootViewController::showBountixFeaturedApp() {
    auto store = btxStore();
    long share = store ? long(store->objectForKey("mq").longLongValue()) : 0;
    long draw = foundation::lrand48();
    if (!Utilities::haveInternetConnection())
        return;
    if (draw % 101 < share) {
        AdClients::shared().loadInterstitial();
        return;
    }
    if (store && store->objectForKey("featuredapp").boolValue()) {
        AdClients::shared().setFeaturedAppDisplayCount(1000);
        AdClients::shared().getFeaturedApp();
    }
}

void RootViewController::btxFeaturedApp(foundation::Notification const& notification) {
    if (bDisableFeatured)
        return;
    auto model = ads::bountix::BTXFeaturedAppModel::initWithDictionary(notification.userInfo());
    if (!model)
        return;
    auto screen = BountixFeaturedAppViewController::initWithNibName();
    screen->setFeaturedAppModel(model);
    foundation::performAfterDelay(
        this, [this, screen] { presentViewController(screen, true); }, 0.5);
}

// --- the offer wall's display ad ---

void RootViewController::showBTXAd() {
    auto store = btxStore();
    if (store && store->objectForKey("bannerad").boolValue()) {
        AdClients::shared().getDisplayAdWithDelegate(this);
        bDisableAd = false;
    }
}

void RootViewController::hideBTXAd() {
    if (mBTXAdBG) {
        auto background = mBTXAdBG;
        ui::View::animateWithDuration(0.2, [background] {
            auto frame = background->frame();
            frame.origin.y = 320;
            background->setFrame(frame);
        });
    }
    bDisableAd = true;
}

void RootViewController::didReceiveAd(base::Ref<ui::View> adView) {
    auto store = btxStore();
    if (!adView || !store || !store->objectForKey("bannerad").boolValue() || openPopup() != 0
        || bDisableAd)
        return;
    auto frame = adView->frame();
    adView->setFrame(graphics::makeRect(0, 15, frame.size.width, frame.size.height));
    if (!mBTXAdBG) {
        mBTXAdBG = ui::ImageView::create();
        mBTXAdBG->setImage(ui::Image::imageNamed("banner_bg.png"));
        mBTXAdBG->setUserInteractionEnabled(true);
        auto background = mBTXAdBG->frame();
        background.size.width = std::max(background.size.width, frame.size.width);
        background.size.height = std::max(background.size.height, frame.size.height + 15);
        background.origin = graphics::makePoint(0, 320);
        mBTXAdBG->setFrame(background);
        auto hide = ui::Button::buttonWithType(ui::ButtonType::Custom);
        hide->setFrame(graphics::makeRect(background.size.width - 30, 0, 35, 35));
        hide->addTarget(
            this, [this](ui::Control&, ui::Event*) { hideBTXAd(); },
            ui::ControlEvents::TouchUpInside);
        mBTXAdBG->addSubview(hide);
        view()->addSubview(mBTXAdBG);
    }
    if (adView->superview() != mBTXAdBG.get())
        mBTXAdBG->addSubview(adView);
    auto background = mBTXAdBG;
    float target = Utilities::isiPad() ? 708 : 260;
    ui::View::animateWithDuration(0.2, [background, target] {
        auto f = background->frame();
        f.origin.y = target;
        background->setFrame(f);
    });
}

void RootViewController::didFailWithMessage(std::string const& message) {
    foundation::log("BTXAd Failed:%@", message);
}

// --- the mediation banner ---

void RootViewController::createAdView() {
    _isAdViewVisible = true;
    if (!mxAdView_) {
        AdClients::setUpMosaic();
        mxAdView_ = ads::mosaic::MXAdView::initWithAdUnitId(
            GameSettingManager::getMosaicID(), graphics::makeSize(320, 50));
    }
    mxAdView_->setDelegate(this);
    mxAdView_->setIgnoresAutorefresh(false);
    mxAdView_->loadAd();
}

void RootViewController::adViewDidLoadAd(ads::mosaic::MXAdView& banner) {
    foundation::log("Mosaic loaded successful");
    if (GameGlobals::shared().shopState == 2 || openPopup() != 0 || !mxAdView_
        || &banner != mxAdView_.get() || isAdViewAvailable_)
        return;
    isAdViewAvailable_ = true;
    float y = Utilities::isiPad() ? 768 : 320;
    mxAdView_->setFrame(graphics::makeRect(0, y, 320, 50));
    if (adBGBtn_)
        adBGBtn_->removeFromSuperview();
    adBGBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    adBGBtn_->setImage(ui::Image::imageNamed("banner_bg.png"), ui::ControlState::Normal);
    adBGBtn_->setFrame(graphics::makeRect(0, y, 340, 68));
    adBGBtn_->addTarget(
        this, [this](ui::Control&, ui::Event*) { hideAdView(); }, ui::ControlEvents::TouchUpInside);
    adBGBtn_->setHidden(Utilities::isiPad());
    view()->addSubview(adBGBtn_);
    view()->addSubview(mxAdView_);
    mxAdView_->setIgnoresAutorefresh(true);
    showAdView();
}

void RootViewController::showAdView() {
    if (GameGlobals::shared().shopState == 2 || openPopup() != 0)
        return;
    if (!isAdViewAvailable_) {
        _isAdViewVisible = true;
        createAdView();
        return;
    }
    if (!_isAdViewVisible || !mxAdView_)
        return;
    float y = Utilities::isiPad() ? 768 : 320;
    mxAdView_->setFrame(graphics::makeRect(0, y, 320, 50));
    if (adBGBtn_)
        adBGBtn_->setFrame(graphics::makeRect(-4, y, 340, 68));
    ui::View::beginAnimations("AdAnimOn");
    mxAdView_->setFrame(graphics::makeRect(0, y - 50, 320, 50));
    if (adBGBtn_)
        adBGBtn_->setFrame(graphics::makeRect(-4, y - 66, 340, 68));
    ui::View::commitAnimations();
}

void RootViewController::hideAdView() {
    _isAdViewVisible = false;
    isAdViewAvailable_ = false;
    if (mxAdView_) {
        mxAdView_->setDelegate(nullptr);
        mxAdView_->removeFromSuperview();
        if (adBGBtn_)
            adBGBtn_->removeFromSuperview();
    }
}

void RootViewController::didDismissModalViewForAd(ads::mosaic::MXAdView& banner) {
    if (&banner == mxAdView_.get())
        foundation::log("Mosaic Dismissed");
}

// --- downloadable content ---

void RootViewController::showDLCLoading() {
    if (DLCloadingView)
        DLCloadingView->removeFromSuperview();
    bool pad = Utilities::isiPad();
    DLCloadingView = ui::View::create(
        pad ? graphics::makeRect(0, 0, 1024, 768) : graphics::makeRect(0, 0, 480, 320));
    DLCloadingView->setBackgroundColor(ui::Color::colorWithWhite(0, 0.5f));
    auto spinner = ui::ActivityIndicatorView::create(ui::ActivityIndicatorViewStyle::WhiteLarge);
    spinner->setFrame(
        pad ? graphics::makeRect(462, 334, 100, 100) : graphics::makeRect(215, 135, 50, 50));
    spinner->startAnimating();
    DLCloadingView->addSubview(spinner);
    auto label = ui::Label::create(
        pad ? graphics::makeRect(312, 504, 400, 100) : graphics::makeRect(140, 220, 200, 50));
    label->setText("LOADING...");
    label->setTextColor(ui::Color::whiteColor());
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextAlignment(graphics::TextAlignment::Center);
    label->setFont(graphics::Font::fontWithName("Helvetica", pad ? 56 : 28));
    DLCloadingView->addSubview(label);
    view()->addSubview(DLCloadingView);
}

void RootViewController::hideDLCLoading() {
    if (DLCloadingView) {
        DLCloadingView->removeFromSuperview();
        DLCloadingView = nullptr;
    }
}

}

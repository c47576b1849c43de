#pragma once

#include <ads/mosaic/MXAdView.hpp>
#include <base/Ref.hpp>
#include <foundation/NotificationCenter.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/PurchaseManager.hpp>
#include <ui/ViewController.hpp>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace ui {
class Button;
class ImageView;
}

namespace game {

class LocalizedScreen;
class MainScene;

// The controller of the game's window. Its view holds the scene engine's drawing
// surface: when the view loads it sets up the director and the sound, and (after
// the intro, which is skipped) makes the main scene and runs it; each time the view
// appears it attaches the director and queues the server checks. It pauses and
// resumes the game with the application, credits Vov Azavuz from purchases, the
// offer wall and marketing credits, and presents the game's platform screens. It
// also hosts the earning surfaces: the offer wall, the interstitial or featured
// app, the offer wall's display ad, the mediation banner and the loading overlay
// of downloadable content. MainLayer forwards the game's requests to it. Main
// thread only; lives as long as the application delegate.
//
// Every Vov Azavuz income passes through addPetPoints, and each is credited once:
// offer points only when the offer wall confirms that it has spent them, a store
// transaction once per transaction identifier, only the product that was asked for
// is bought.
class RootViewController : public ui::ViewController,
                           public InAppPurchaseDelegate,
                           public MarketingCreditsDelegate,
                           public BTXAdDelegate,
                           public ads::mosaic::MXAdViewDelegate {
public:
    static base::Ref<RootViewController> create();

    // --- the view's life ---
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // Queues the server checks (0.5 s after the view appears, outside the salon).
    void viewDidAppearHelper();
    void viewDidDisappear(bool animated) override;
    void viewDidUnload() override;
    // Only the two landscape orientations.
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // --- the game ---
    void playIntroVideo();
    // Makes and runs the main scene once; makes this the purchase delegate.
    void playIntroVideoDidFinished();
    void pauseGame();
    void resumeGame();
    bool isPausingGame() const { return bIsPausingGame; }
    MainScene* mainScene() const { return pMainScene.get(); }

    // --- Vov Azavuz ---
    void addPetPoints(int amount);
    void buyPackage(std::string const& productIdentifier);
    bool isBuyingPackage();
    bool canCancelBuyingPackage();
    void cancelBuyingPackage();
    void petPointsDidBuy(int amount);
    void productDataDidReceiveResponse(std::vector<std::string> const& products) override;
    void invalidProductDataDidReceiveResponse() override;
    void transactionDidComplete(PurchaseTransaction const& transaction) override;
    void didLoadObjects(std::vector<MarketingCredit> const& credits) override;
    void didFailWithError(std::string const& error) override;

    // --- screens ---
    virtual void showAchievements();
    virtual void showDownloadPage();
    virtual void showWebPage(std::string const& address);
    // The prize wheel, when there is money; not over another screen.
    void showDailyBonus();
    void dailyBonusDidReceived();
    void showTransferPetPointsToMoney();
    void showRVCCrossPromote();
    void xPromoteDone(bool finished);
    void xPromoteClose();
    void createLocalizedTransferPPImages(LocalizedScreen& screen);
    void createLocalizedInAppPurchaseImages(LocalizedScreen& screen);
    void createLocalizedAchievementImages(ui::ViewController& screen);

    // --- the offer wall ---
    virtual void showInAppPurchase();
    void showInAppPurchaseWithViewController(ui::ViewController* controller);
    // Opens the offer wall once until it closes.
    virtual void showBountixOffers();
    void showBountixOffersWithViewController(ui::ViewController* controller);
    void checkEarnPetPointsByBountix();
    // Spends a balance on the offer wall; it is credited when the spend is confirmed.
    void updateOfferPoints(int balance);
    // A Marquee interstitial or the featured app, by the server's "mq" percentage.
    virtual void showBountixFeaturedApp();

    // --- the offer wall's display ad ---
    void showBTXAd();
    void hideBTXAd();
    void didReceiveAd(base::Ref<ui::View> adView) override;
    void didFailWithMessage(std::string const& message) override;
    std::string adContentSize() const { return "320x50"; }
    bool shouldRefreshAd() const { return false; }

    // --- the mediation banner ---
    void createAdView();
    void showAdView();
    void hideAdView();
    void adViewDidLoadAd(ads::mosaic::MXAdView& view) override;
    void didDismissModalViewForAd(ads::mosaic::MXAdView& view) override;
    ui::ViewController* viewControllerForPresentingModalView() override { return this; }
    ads::mosaic::MXAdView* mxAdView() const { return mxAdView_.get(); }
    ui::Button* adBGBtn() const { return adBGBtn_.get(); }
    bool isAdViewVisible() const { return _isAdViewVisible; }
    bool isAdViewAvailable() const { return isAdViewAvailable_; }

    // --- downloadable content ---
    void showDLCLoading();
    void hideDLCLoading();
    ui::View* dlcLoadingView() const { return DLCloadingView.get(); }

    // The guard flags: the offer wall open, the cross-promotion open, display ads off.
    bool offersOpen() const { return bDisableTJ || bDisableTJ2; }
    bool featuredDisabled() const { return bDisableFeatured; }
    bool displayAdDisabled() const { return bDisableAd; }
    ui::ImageView* btxAdBackground() const { return mBTXAdBG.get(); }
    // Offer points spent and waiting for the offer wall's confirmation.
    int pendingOfferPoints() const { return mPendingOfferPoints; }

protected:
    friend base::Factory;
    RootViewController();
    ~RootViewController() override;

private:
    void observe(char const* name, foundation::NotificationCenter::Callback callback);
    void btxGetOfferPoints(foundation::Notification const& notification);
    void btxSpendOfferPoints(foundation::Notification const& notification);
    void btxOffersDidClose();
    void btxFeaturedApp(foundation::Notification const& notification);
    void getUpdatedPointsError(foundation::Notification const& notification);
    // The confirmed part of updateOfferPoints.
    void creditOfferPoints(int points);
    // Reports a pay-per-action of the offer wall, unless the type has none.
    static void reportPayPerAction(int actionType);
    static base::Ref<base::Dictionary> btxStore();

    base::Ref<MainScene> pMainScene;
    base::Ref<ui::ImageView> mBTXAdBG;
    base::Ref<ui::View> DLCloadingView;
    bool bDisableAd {false};
    bool bIsPausingGame {false};
    bool bShouldAttachView {false};
    bool bShouldRestartAnimation {false};
    bool bDisableTJ {false};
    bool bDisableTJ2 {false};
    bool bDisableFeatured {false};
    base::Ref<ui::ViewController> luckyWheelViewController;
    int mPendingOfferPoints {0};
    base::Ref<ui::Button> adBGBtn_;
    base::Ref<ads::mosaic::MXAdView> mxAdView_;
    bool _isAdViewVisible {false};
    bool isAdViewAvailable_ {false};

    // The product buyPackage asked for; only it is bought.
    std::string requestedProduct_;
    // Transactions already credited in this run.
    std::set<std::string> creditedTransactions_;
    // The ids of the marketing credits already added.
    std::set<std::uint64_t> creditedMarketingCredits_;
    std::vector<foundation::ObservationToken> observations_;
};

}

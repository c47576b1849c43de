#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <graphics/Geometry.hpp>
#include <ui/ViewController.hpp>

#include <map>
#include <string>
#include <vector>

namespace ui {
class Button;
class Image;
class ImageView;
class Label;
class View;
}

namespace game {

// The prize wheel screen: a wheel built from "LuckyWheel.plist" that a token sets
// turning, speeds up on the update timer's nominal 1/60 s tick, runs at full speed
// until "Stop!" and brakes to a stop on one unit of its rim, whose prize is paid at
// once and flies to its counter. The same screen grants the daily bonus of tokens and
// sells tokens for Vov Azavuz on its buy-token panel.
//
// Generic: every currency, price and sound is a hook that does nothing (readers answer
// 0) here; MyLuckyWheelViewController binds them to the game. The layout is built in
// code in the landscape phone screen's points (on the tablet the same layout, twice
// the size, centred).
//
// The daily-bonus check is a class operation: it asks the server clock for the time
// and, when a whole day has passed since the last bonus, posts
// DailyBonusDidReceiveNotification; a loaded wheel grants the bonus when it hears it.
// Everything runs on the main thread (the server clock announces its fetches there).
class LuckyWheelViewController : public ui::ViewController {
public:
    static constexpr char const* DailyBonusDidReceiveNotification
        = "LuckyWheelDailyBonusDidReceiveNotification";
    static constexpr char const* DailyBonusDidEarnNotification
        = "LuckyWheelDailyBonusDidEarnNotification";
    static constexpr char const* DailyBonusDayKey = "LuckyWheelDailyBonusDay_Key";
    static constexpr char const* DailyBonusCreditKey = "LuckyWheelDailyBonusCredit_Key";
    static constexpr char const* LastBonusTimeKey = "WHEEL_LASTBONUSTIME_KEY";
    static constexpr char const* TimeDifferentKey = "WHEEL_TIMEDIFFERENT_KEY";
    static constexpr char const* LocalNotificationEnableKey = "WHEEL_LOCALNOTIFICATIONENABLE_KEY";
    static constexpr char const* TrackingBonusKey = "WHEEL_TRACKING_BONUS_KEY";
    static constexpr char const* TrackingPackageKey = "WHEEL_TRACKING_PACKAGE_KEY";
    static constexpr char const* TrackingPrizeKey = "WHEEL_TRACKING_PRIZE_KEY";
    static constexpr char const* TrackingSpinKey = "WHEEL_TRACKING_SPIN_KEY";
    static constexpr char const* TrackingPPSpendKey = "WHEEL_TRACKING_PP_SPEND_KEY";
    static constexpr char const* PrizeTypeKey = "PRIZE_TYPE_KEY";
    static constexpr char const* PrizeValueKey = "PRIZE_VALUE_KEY";
    static constexpr char const* wheelFile = "LuckyWheel.plist";
    // The update timer's interval, which is also the tick length the wheel turns by.
    static constexpr double tickInterval = 1.0 / 60;

    static base::Ref<LuckyWheelViewController> create();
    ~LuckyWheelViewController() override;

    // --- the daily bonus (class operations) ---

    static bool userServerTime() { return true; }
    static double getDailyBonusInterval() { return 86400.0; }
    static int maxDayOfBonus() { return 5; }
    static int creditPerBonus() { return 1; }
    static int initialBonus() { return 1; }
    static bool isDeviceSupportLocalNotification() { return false; }
    static std::string creditName(int count) { return count == 1 ? "token" : "tokens"; }

    // Registers for the server clock's next answer (once, however often it is asked)
    // and starts a fetch when the network is reachable.
    static void checkDailyBonus();
    // The clock's answer: stores the clock difference and, when a day or more is due
    // since the last bonus, sets the icon badge and posts
    // DailyBonusDidReceiveNotification. Without a server date nothing is counted.
    static void timeDidRecieved();
    // Seconds since the reference date on the server's clock (0 without a date).
    static double getCurrentTime();
    static double getLastBonusTime();
    static void setLastBonusTime(double time);
    static double localTimeDifferent();
    static void setLocalTimeDifferent(double difference);
    static void showRequireInternetConnection();
    static void showDailyBonus(int) { }
    static void playGetBonusSound();
    // Whether the class waits for the clock's answer.
    static bool isObservingServerTime();
    // Forgets the class's registration (for tests and the end of the program).
    static void stopObservingServerTime();

    // The reminder (switched off in the game).
    static bool localNotificationEnable();
    static void setLocalNotificationEnable(bool enable);
    static bool isLocalNotificationEnableNotSet();
    static void showLocalNotificationSetting();
    static void startDailyBonusLocalNotification() { }
    static void stopDailyBonusLocalNotification() { }

    // --- the view's life ---

    void loadView() override;
    void viewDidLoad() override;
    void viewDidUnload() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // --- hooks for the game ---

    virtual int getMoney() { return 0; }
    virtual void addMoney(int) { }
    virtual int getGamePoint() { return 0; }
    virtual void addGamePoint(int) { }
    virtual void spendGamePoint(int) { }
    virtual int getCredit() { return 0; }
    virtual void addCredit(int) { }
    virtual void spendCredit(int) { }
    virtual int getPackageGamePoint(int package);
    virtual int getPackageCredit(int package);
    virtual void playClickSound() { }
    virtual void playSpinSound() { }
    virtual void playSpawnAwardSound() { }
    virtual void playGetAwardSound() { }
    virtual void playBuyCreditSound() { }

    // --- button actions ---

    void spinOnClick(ui::Control* sender);
    void closeOnClick(ui::Control* sender);
    void addCreditOnClick(ui::Control* sender);
    void hideCreditOnClick(ui::Control* sender);
    void packageOnClick(ui::Control* sender);
    virtual void buyPointOnClick(ui::Control* sender);
    virtual void earnFreePointOnClick(ui::Control* sender);
    void infoOnClick(ui::Control* sender);

    // --- the wheel ---

    void startSpin() { changeWheelState(1); }
    void stopSpin() { changeWheelState(3); }
    void changeWheelState(int state);
    // One tick of the update timer.
    virtual void update(foundation::Timer* timer);
    void loadSector(std::string const& fileName);
    void handleAwardColor(int color);
    void highlightPrizeColor(int color);
    void turnOffAllHightlightPrizes();
    virtual void dismiss();
    void updateMoneyLabel();
    void updateGamePointLabel();
    void updateCreditLabel();
    void updateSpinButton();
    static std::string getMoneyPrizeText(int amount);
    static std::string getGamePointPrizeText(int amount);
    void playAwardMoneyAnimation(int color);
    void playAwardGamePointAnimation(int color);
    void playSpendCreditAnimation();
    // The unit of the rim under the pointer for an angle in radians.
    int unitForAngle(float angle) const;

    // --- daily bonus and the buy-token panel (instance side) ---

    void viewFirstLoad();
    void applicationDidBecomeActive();
    void dailyBonusDidReceive();
    void showBuyCreditView();
    void hideBuyCreditView();
    void packageDidBuy(int package);
    void updatePackageLabel();
    void updatePackageButton();
    void onGamePointChanged();
    void playBuyCreditAnimation();

    // Counters in the user defaults, each reported as a "Wheel" event.
    static std::int64_t trackingValueForKey(std::string const& key, std::int64_t defaultValue);
    static void setTrackingValue(std::int64_t value, std::string const& key);
    static std::int64_t addTrackingValue(std::int64_t value, std::string const& key);
    void trackingDailyBonus(int tokens);
    void trackingPackage(int package);
    void trackingPrize(int type, int value);
    void trackingSpin(int count);
    void trackingGamePointSpend(int amount);

    // --- state, for the screen's owner and tests ---

    int curState() const { return _curState; }
    int wheelMode() const { return _wheelMode; }
    float rotateSpeed() const { return _rotateSpeed; }
    float degreeUnit() const { return _degreeUnit; }
    float curAngle() const { return _curAngle; }
    int lastPrizeColor() const { return _lastPrizeColor; }
    bool isAppear() const { return _bIsAppear; }
    bool hasUpdateTimer() const { return _updateTimer != nullptr; }
    base::Dictionary const& prizeDict() const { return *_prizeDict; }
    base::Dictionary const& prizeSectorDict() const { return *_prizeSectorDict; }
    std::map<std::string, base::Ref<ui::ImageView>> const& prizeBgDict() const {
        return _prizeBgDict;
    }
    graphics::Point creditViewOrigin() const { return _creditViewOrigin; }

    ui::View* iWheelView() const { return iWheelView_.get(); }
    ui::ImageView* iWheelLightImageView() const { return iWheelLightImageView_.get(); }
    ui::Button* iSpinButton() const { return iSpinButton_.get(); }
    ui::View* iBuyCreditView() const { return iBuyCreditView_.get(); }
    ui::View* iWheelInterfaceView() const { return iWheelInterfaceView_.get(); }
    ui::View* iAnimationContainerView() const { return iAnimationContainerView_.get(); }
    ui::Label* iPackagePointLabel(int package) const;
    ui::Label* iPackageCreditLabel(int package) const;
    ui::Button* iPackageButton(int package) const;
    ui::Button* iCloseButton() const { return iCloseButton_.get(); }
    ui::Button* iInvisibleAddCreditButton() const { return iInvisibleAddCreditButton_.get(); }
    ui::Button* iInfoButton() const { return iInfoButton_.get(); }
    ui::Label* iCreditLabel() const { return iCreditLabel_.get(); }
    ui::Label* iMoneyLabel() const { return iMoneyLabel_.get(); }
    ui::Label* iGamePointLabel() const { return iGamePointLabel_.get(); }
    ui::Button* iHideCreditButton() const { return iHideCreditButton_.get(); }
    ui::Button* iBuyPointButton() const { return iBuyPointButton_.get(); }
    ui::Button* iEarnFreePointButton() const { return iEarnFreePointButton_.get(); }

protected:
    friend base::Factory;
    LuckyWheelViewController();

private:
    void viewReload();
    void addLine(int unit);
    void addSector(int unit, int numOfUnit, int color);
    // Adds a strip across the wheel turned to unit, holding image at the top: with its
    // right edge on the centre line (sector art) or centred on it (dividers).
    base::Ref<ui::View> addImageToWheel(base::Ref<ui::Image> image, int unit, bool centred);
    void addPrizeText(std::string const& text, int color);
    void startLights();
    void stopLights();
    void stopUpdateTimer();
    void playAwardAnimation(int color, bool money);
    void clearOutlets();
    void observe(char const* name, std::function<void()> action);

    bool _bViewDidUnloaded {false};
    bool _bIsAppear {false};
    float _rotateSpeed {0};
    float _degreeUnit {0};
    float _curAngle {0};
    std::map<std::string, base::Ref<ui::ImageView>> _prizeBgDict;
    base::Ref<base::Dictionary> _prizeSectorDict;
    base::Ref<base::Dictionary> _prizeDict;
    base::Ref<foundation::Timer> _updateTimer;
    base::Ref<foundation::Timer> _autoStopTimer;
    int _curState {0};
    int _wheelMode {1};
    graphics::Point _creditViewOrigin;
    int _lastPrizeColor {-1};
    std::vector<foundation::ObservationToken> observations_;

    base::Ref<ui::View> iWheelView_;
    base::Ref<ui::ImageView> iWheelLightImageView_;
    base::Ref<ui::Button> iSpinButton_;
    base::Ref<ui::View> iBuyCreditView_;
    base::Ref<ui::View> iWheelInterfaceView_;
    base::Ref<ui::View> iAnimationContainerView_;
    base::Ref<ui::Label> iPackagePointLabels_[3];
    base::Ref<ui::Label> iPackageCreditLabels_[3];
    base::Ref<ui::Button> iPackageButtons_[3];
    base::Ref<ui::Button> iCloseButton_;
    base::Ref<ui::Button> iInvisibleAddCreditButton_;
    base::Ref<ui::Button> iInfoButton_;
    base::Ref<ui::Label> iCreditLabel_;
    base::Ref<ui::Label> iMoneyLabel_;
    base::Ref<ui::Label> iGamePointLabel_;
    base::Ref<ui::Button> iHideCreditButton_;
    base::Ref<ui::Button> iBuyPointButton_;
    base::Ref<ui::Button> iEarnFreePointButton_;
};

}

#pragma once

#include <game/progression/LuckyWheelViewController.hpp>

namespace game {

// The prize wheel as the game uses it: money prizes go into the player's money (and
// the start-of-day money), Pet Point prizes and package prices into the Vov Azavuz,
// both through the save data; tokens live in the user default "credit". Closing
// dismisses the modal screen; the two buttons for more Vov Azavuz go to the root view
// controller. The root view controller makes one for each showing. Main thread.
class MyLuckyWheelViewController final : public LuckyWheelViewController {
public:
    static constexpr char const* CreditKey = "credit";

    static base::Ref<MyLuckyWheelViewController> create();

    static int creditPerBonus() { return 1; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void dismiss() override;
    // The base tick, then, with autoplay on, the automatic player's step.
    void update(foundation::Timer* timer) override;
    void buyPointOnClick(ui::Control* sender) override;
    void earnFreePointOnClick(ui::Control* sender) override;

    int getMoney() override { return _money; }
    void addMoney(int amount) override;
    int getGamePoint() override { return _gamePoint; }
    void addGamePoint(int amount) override;
    void spendGamePoint(int amount) override { addGamePoint(-amount); }
    int getCredit() override;
    void addCredit(int amount) override;
    void spendCredit(int amount) override { addCredit(-amount); }
    int getPackageGamePoint(int package) override;
    int getPackageCredit(int package) override;
    void playClickSound() override;
    void playSpinSound() override;
    void playSpawnAwardSound() override;
    void playGetAwardSound() override;
    void playBuyCreditSound() override;

    bool autoplay() const { return autoplay_; }
    void setAutoplay(bool autoplay) { autoplay_ = autoplay; }

private:
    friend base::Factory;
    MyLuckyWheelViewController() = default;

    void reloadBalances();
    static int storedCredit();

    int _money {0};
    int _gamePoint {0};
    int _credit {0};
    bool autoplay_ {false};
};

}

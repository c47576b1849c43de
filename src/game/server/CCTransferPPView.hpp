#pragma once

#include <game/server/CCTransferWheel.hpp>

namespace game {

// The wheel that turns Vov Azavuz into coins at a fixed rate: each step of the dial
// pays 10 Vov Azavuz for 500 coins, and one turn is 50 steps. No use limit. On the
// tablet every design position is doubled (the art is the tablet's own) and a dim
// backdrop covers the game behind it.
//
// Besides closing and confirming, it offers the offer wall (the buy button) and,
// while the coin transfer promotion can still be used and the player holds more
// than 10000 coins, the other wheel (the mode button; decided when it opens). The
// interface slides it in from below and out again; it closes itself after a
// conversion. Main thread only.
class CCTransferPPView final : public CCTransferWheel {
public:
    static base::Ref<CCTransferPPView> node();

    static constexpr int coinsPerStep = 500;
    // The least money with which the mode button shows.
    static constexpr int modeMoneyFloor = 10001;

    // The fixed rate; only the promotion's uid is taken from the store.
    void loadCachedValues();

    int gamePointsForStep(int n) const override;
    int coinsForStep(int n) const override;
    // The highest step that the Vov Azavuz reach.
    int stepsForCoins(int points) const override;

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    void cleanup() override;

    engine::Sprite* dim() const { return mdim.get(); }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }

protected:
    int dialBalance() const override;
    void confirmConversion(int money, int gamePoints) override;

private:
    friend base::Factory;
    CCTransferPPView();

    void addPurchaseButton(bool pad);
    void addStatus(bool pad);

    base::Ref<engine::Sprite> mdim;
    float scaleX_ {1};
    float scaleY_ {1};
};

}

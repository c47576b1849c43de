#pragma once

#include <base/Ref.hpp>
#include <engine/Color.hpp>
#include <engine/Geometry.hpp>
#include <engine/Layer.hpp>
#include <ui/AlertView.hpp>

#include <string>
#include <vector>

namespace engine {
class Label;
class Sprite;
}

namespace game {

class CCDragRotator;

// What the two currency wheels share: a panel with a dial (CCDragRotator) that the
// player turns to choose how many steps of one currency to turn into the other, a
// ring of twelve lamps with one lit lamp running round it, the amounts of the
// chosen step, the player's balances, and the confirmation of the conversion.
//
// Every 0.1 s the tick moves the lit lamp on, limits the dial to the steps the
// player's balance of the paid currency reaches, reads the step from the dial's
// angle, shows its amounts and refreshes the balances. While the balance is below
// the price of one step the dial is locked for the rest of the view's life and the
// step is 0. Subclasses build the children, give the price rules and act on the
// confirmation.
//
// The amounts that the confirmation alert shows are the ones converted when the
// player confirms, even if the dial coasts on behind the alert. Results of the
// price rules saturate at the limits of int (a NaN counts 0), so any settings give
// defined amounts. Owned by the interface's layer; main thread only.
class CCTransferWheel : public engine::Layer, public ui::AlertViewDelegate {
public:
    ~CCTransferWheel() override;

    static constexpr int lampCount = 12;
    static constexpr char const* confirmTitle = "Confirm Conversion";
    static constexpr char const* confirmButton = "OK";
    // The balances stand on light boxes, so they are drawn dark.
    static constexpr engine::Color3B balanceColor {70, 45, 35};

    // Coins (the game's money) for step n, Vov Azavuz for step n, and the highest
    // step that an amount of the paid currency reaches.
    virtual int coinsForStep(int n) const = 0;
    virtual int gamePointsForStep(int n) const = 0;
    virtual int stepsForCoins(int amount) const = 0;

    // The tick, every 0.1 s.
    void update(float dt = 0);

    bool ccTouchesMoved(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesEnded(ui::TouchSet&, ui::Event*) override { return true; }
    bool ccTouchesCancelled(ui::TouchSet&, ui::Event*) override { return true; }

    // Acts only for its own confirmation alert and that alert's "OK".
    void didDismissWithButtonIndex(ui::AlertView& alertView, int buttonIndex) override;

    void cleanup() override;

    // A double as an int: truncated toward zero, saturating at the limits of int;
    // NaN gives 0.
    static int saturatedInt(double value);

    // For the interface and tests.
    CCDragRotator* dial() const { return mArrow.get(); }
    int curStepMoney() const { return mCurStepMoney; }
    int curStepGamePoints() const { return mCurStepGamePoints; }
    int stepsPerRev() const { return mStepsPerRev; }
    double baseCost() const { return mBaseCost; }
    double curveScale() const { return mCurveScale; }
    double stepSize() const { return mStepSize; }
    int uid() const { return mUID; }
    int blinkStep() const { return mBlinkStep; }
    std::vector<base::Ref<engine::Sprite>> const& lamps() const { return mCircleList; }
    engine::Sprite* litLamp() const { return mCircleLightOn.get(); }
    engine::Sprite* closeButton() const { return mCloseButton.get(); }
    engine::Sprite* modeButton() const { return mModeButton.get(); }
    engine::Sprite* okButton() const { return mOKButton.get(); }
    engine::Sprite* purchaseButton() const { return mPurchaseButton.get(); }
    engine::Sprite* wheel() const { return mWheel.get(); }
    engine::Sprite* ppStatus() const { return _ppStatus.get(); }
    engine::Sprite* cashStatus() const { return _cashStatus.get(); }
    engine::Label* titleText() const { return mTitleText.get(); }
    engine::Label* costText() const { return mCostText.get(); }
    engine::Label* petPointText() const { return mPetPointText.get(); }
    engine::Label* ppLabel() const { return _ppLabel.get(); }
    engine::Label* cashLabel() const { return _cashLabel.get(); }
    // The confirmation alert last shown, while it may still answer.
    ui::AlertView* confirmAlert() const { return alert_.get(); }

protected:
    CCTransferWheel();

    // The balance of the currency that the dial spends: money or Vov Azavuz.
    virtual int dialBalance() const = 0;
    // The player confirmed converting the amounts that the alert showed.
    virtual void confirmConversion(int money, int gamePoints) = 0;

    // Asks the player to confirm the current step's amounts with the message.
    void askConfirmation(std::string const& message);

    // Whether the point of this layer lies in the sprite's box (position less size
    // times anchor point, and size).
    static bool hits(engine::Sprite const* sprite, engine::Point point);
    // A sprite's size as drawn.
    static engine::Size artSize(engine::Sprite const* sprite);
    // The twelve lamps round the wheel and the lit lamp after them.
    void addLamps();
    // The dial with its arrow, centred on the point, at z 1.
    void addDial(engine::Point center);
    // The step that the dial's angle chooses out of maxSteps reachable steps.
    int stepForDial(int maxSteps) const;

    double mBaseCost {0};
    double mCurveScale {1};
    double mStepSize {0};
    int mUID {0};
    int mStepsPerRev {10};
    int mCurStepMoney {0};
    int mCurStepGamePoints {0};
    int mCurMoney {0};
    int mCurPoints {0};
    int mBlinkStep {0};
    // The scale at which the art is drawn.
    float artScale_ {1};
    std::vector<base::Ref<engine::Sprite>> mCircleList;

    base::Ref<engine::Sprite> mBackground;
    base::Ref<engine::Label> mTitleText;
    base::Ref<CCDragRotator> mArrow;
    base::Ref<engine::Sprite> mCloseButton;
    base::Ref<engine::Sprite> mTransferArrow;
    base::Ref<engine::Sprite> mMoneyIcon;
    base::Ref<engine::Label> mCostText;
    base::Ref<engine::Sprite> mPetPointIcon;
    base::Ref<engine::Label> mPetPointText;
    base::Ref<engine::Sprite> mOKButton;
    base::Ref<engine::Sprite> mCostBar;
    base::Ref<engine::Sprite> mPPBar;
    base::Ref<engine::Sprite> mWheel;
    base::Ref<engine::Sprite> mWheelIcons;
    base::Ref<engine::Sprite> mCircleLightOn;
    base::Ref<engine::Sprite> mModeButton;
    base::Ref<engine::Sprite> mPurchaseButton;
    base::Ref<engine::Sprite> _ppStatus;
    base::Ref<engine::Sprite> _cashStatus;
    base::Ref<engine::Label> _ppLabel;
    base::Ref<engine::Label> _cashLabel;

private:
    void forgetAlert();

    base::Ref<ui::AlertView> alert_;
    int askedMoney_ {0};
    int askedGamePoints_ {0};
};

}

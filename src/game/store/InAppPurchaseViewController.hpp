#pragma once

#include <game/store/StoreScreen.hpp>

#include <array>
#include <optional>
#include <string>

namespace ui {
class ImageView;
}

namespace game {

// The screen on which the player buys one of the five Vov Azavuz packages, or goes to
// the offer wall to earn some. It shows the balance, one button per package titled
// with its points and, while a purchase runs, a loading panel telling the phase:
// "Connecting..." while the product is asked for (cancellable), "Loading purchase
// item..." while the payment is on the store's queue. Every purchase goes through the
// root view controller; without one every button is ignored. Nothing but the cancel
// button acts while a purchase runs, so the screen cannot be left during one.
//
// Texts set before the view loads replace the built-in titles; the earn button and its
// icon are shown only when the offer-wall settings switch the offer wall on.
class InAppPurchaseViewController final : public StoreScreen {
public:
    static base::Ref<InAppPurchaseViewController> create();

    void loadView() override;
    void viewDidLoad() override;
    void update() override;
    void updateCurrentPetPoints();

    // --- actions ---
    // Buys package number (1 to 5).
    void buyButtonOnClick(int package);
    void buyButton1OnClick() { buyButtonOnClick(1); }
    void buyButton2OnClick() { buyButtonOnClick(2); }
    void buyButton3OnClick() { buyButtonOnClick(3); }
    void buyButton4OnClick() { buyButtonOnClick(4); }
    void buyButton5OnClick() { buyButtonOnClick(5); }
    void earnFreeOnClick();
    void closeOnClick();
    void cancelPurchaseOnClick();

    // --- texts ---
    void setTitleStr(std::string const& text) override { titleStr_ = text; }
    void setCancelStr(std::string const& text) override { cancelStr_ = text; }
    void setBackStr(std::string const& text) override { backStr_ = text; }
    void setEarnStr(std::string const& text) override { earnStr_ = text; }
    std::optional<std::string> const& titleStr() const { return titleStr_; }
    std::optional<std::string> const& cancelStr() const { return cancelStr_; }
    std::optional<std::string> const& backStr() const { return backStr_; }
    std::optional<std::string> const& earnStr() const { return earnStr_; }

    // --- the controls (null until the view loads) ---
    ui::Label* iPetPointsLabel() const { return iPetPointsLabel_.get(); }
    ui::Label* iLoadingLabel() const { return iLoadingLabel_.get(); }
    // The buy button of package number (1 to 5).
    ui::Button* iBuyButton(int package) const;
    ui::Button* iCancelPurchaseButton() const { return iCancelPurchaseButton_.get(); }
    ui::View* iLoadingView() const { return iLoadingView_.get(); }
    ui::Label* iTitleLabel() const { return iTitleLabel_.get(); }
    ui::Button* iBackButton() const { return iBackButton_.get(); }
    ui::Button* iEarnButton() const { return iEarnButton_.get(); }
    ui::ImageView* iEarnIcon() const { return iEarnIcon_.get(); }

private:
    friend base::Factory;
    InAppPurchaseViewController() = default;
    ~InAppPurchaseViewController() override;

    // Whether the root view controller is set and not buying.
    bool canAct() const;

    base::Ref<ui::Label> iPetPointsLabel_;
    base::Ref<ui::Label> iLoadingLabel_;
    std::array<base::Ref<ui::Button>, 5> iBuyButtons_;
    base::Ref<ui::Button> iCancelPurchaseButton_;
    base::Ref<ui::View> iLoadingView_;
    base::Ref<ui::Label> iTitleLabel_;
    base::Ref<ui::Button> iBackButton_;
    std::optional<std::string> titleStr_;
    std::optional<std::string> cancelStr_;
    std::optional<std::string> backStr_;
    std::optional<std::string> earnStr_;
    base::Ref<ui::Button> iEarnButton_;
    base::Ref<ui::ImageView> iEarnIcon_;
};

}

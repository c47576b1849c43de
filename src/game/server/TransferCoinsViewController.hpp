#pragma once

#include <base/Value.hpp>
#include <ui/AlertView.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/ViewController.hpp>

#include <string>

namespace game {

// A full-screen screen that sells Vov Azavuz for coins in three fixed packages, out
// of an allowance that refills after a set interval. Its settings live in the user
// defaults ("XFRCOINS_" keys), so whoever opens it, or a server directive, drives it
// through the setters, each of which writes its key at once:
//   "XFRCOINS_PP_LIMIT"           the allowance per period (integer)
//   "XFRCOINS_PP_REMAIN"          what is left of it (integer)
//   "XFRCOINS_PP_REGEN_INTERVAL"  the period in seconds (double); the largest finite
//                                 double means that the allowance never refills
//   "XFRCOINS_PP_REGEN_POINT"     the start of the period, seconds since 1970
//   "XFRCOINS_PACKAGE_SETTINGS"   three {"lotsize", "price"} dictionaries (Vov Azavuz,
//                                 coins)
// The allowance cycles: full, then partly used from the first purchase out of a full
// allowance (which starts the period), then full again when the screen loads once
// the interval has passed since that purchase.
//
// A package is for sale when it holds at least one Vov Azavuz at a price of at least
// zero coins that the allowance and the money both cover. A purchase needs the
// game's interface (the money changes through it) and is checked again when the
// player confirms it. Built in code: the labels and buttons below take the place of
// a nib's outlets. Presented modally; landscape only. Main thread only.
class TransferCoinsViewController : public ui::ViewController, public ui::AlertViewDelegate {
public:
    // Empty settings and mark until loadSettings.
    static base::Ref<TransferCoinsViewController> initWithNibName();

    static constexpr char const* keyLimit = "XFRCOINS_PP_LIMIT";
    static constexpr char const* keyRemain = "XFRCOINS_PP_REMAIN";
    static constexpr char const* keyInterval = "XFRCOINS_PP_REGEN_INTERVAL";
    static constexpr char const* keyMark = "XFRCOINS_PP_REGEN_POINT";
    static constexpr char const* keyPackages = "XFRCOINS_PACKAGE_SETTINGS";
    static constexpr int packageCount = 3;
    static constexpr char const* alertTitle = "Convert Coins";
    static constexpr char const* confirmTitle = "Confirm";

    void loadView() override;
    // Loads the settings (with the refill) and refreshes the screen.
    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    void setMaxPetPointLimit(int limit);
    void setPetPointRemain(int remain);
    void setRegenInterval(double seconds);
    void setLatestRegenPoint(base::Date mark);
    // Package id 0, 1 or 2 (button 1 to 3); the list is padded to three packages
    // first. Any other id is refused: nothing changes.
    void setPackageLotSize(int lotSize, int price, int packageId);

    // Reads the settings back from the user defaults and refills the allowance when
    // more than the interval has passed since the mark (the mark stays).
    void loadSettings();
    // The availability line, the amount left, and the packages' titles, costs and
    // whether they can be bought.
    void updateInterface();

    // A package button asks the player to confirm; any other sender clears the choice.
    void onPackageClick(ui::Control& sender);
    void onBackClick(ui::Control& sender);
    void didDismissWithButtonIndex(ui::AlertView& alertView, int buttonIndex) override;

    // The availability line for the settings at the wall time now (seconds since
    // 2001).
    static std::string availabilityText(
        int limit, int remain, double interval, base::Date mark, double now);

    int maxPetPointLimit() const { return iMaxPetPointLimit; }
    int petPointRemain() const { return iPetPointRemain; }
    double regenInterval() const { return iRegenInterval; }
    base::Date latestRegenMark() const { return iLatestRegenMark; }
    base::Array const* packageSettings() const { return iPackageSettings.get(); }
    base::Dictionary const* selectedPackage() const { return iSelectedPackage.get(); }

    ui::Label* iTitleLabel() const { return iTitleLabel_.get(); }
    ui::Label* iAvailableLabel() const { return iAvailableLabel_.get(); }
    ui::Label* iAvailableAmtLabel() const { return iAvailableAmtLabel_.get(); }
    ui::Button* iPackageBtn(int index) const { return iPackageBtn_[index].get(); }
    ui::Label* iPackageCostLabel(int index) const { return iPackageCostLabel_[index].get(); }
    ui::Button* iBackBtn() const { return iBackBtn_.get(); }

protected:
    friend base::Factory;
    TransferCoinsViewController() = default;

    // The two saves after a purchase, Vov Azavuz first.
    virtual void savePetPoints();
    virtual void saveMoney();

private:
    struct Package {
        int lotSize {0};
        int price {0};
    };
    Package package(int index) const;
    bool canBuy(Package const& package) const;
    void confirmPurchase();

    int iMaxPetPointLimit {0};
    int iPetPointRemain {0};
    double iRegenInterval {0};
    base::Date iLatestRegenMark;
    base::Ref<base::Array> iPackageSettings;
    base::Ref<base::Dictionary> iSelectedPackage;

    base::Ref<ui::Label> iTitleLabel_;
    base::Ref<ui::Label> iAvailableLabel_;
    base::Ref<ui::Label> iAvailableAmtLabel_;
    base::Ref<ui::Button> iPackageBtn_[packageCount];
    base::Ref<ui::Label> iPackageCostLabel_[packageCount];
    base::Ref<ui::Button> iBackBtn_;
};

}

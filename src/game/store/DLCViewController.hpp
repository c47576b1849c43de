#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <base/WeakRef.hpp>
#include <game/store/DLCTableViewController.hpp>
#include <ui/ViewController.hpp>

namespace ui {
class Button;
class Image;
class ImageView;
class Label;
}

namespace game {

class RootViewController;

// The downloadable-content shop, built in code in the landscape screen's size: a title
// bar with the way back, the list (DLCTableViewController) in its container and a
// details pop-up for an entry with a price. The pop-up shows the price in Vov Azavuz
// (with the ways to more of them: the purchase screen and the offer wall) or in coins
// (with the Vov Azavuz-to-coins screen), and its buy button is enabled from a balance
// equal to the price. Buying spends the game-wide balance held in memory and saves it,
// and marks the entry bought and switched on.
//
// On the tablet the pop-up waits behind the screen's backdrop and is brought to the
// front; on the phone it waits below the screen and slides up. The root view
// controller presents the screen modally; the back button dismisses it. It knows the
// root view controller without keeping it. Main thread only.
class DLCViewController final : public ui::ViewController {
public:
    static constexpr double popUpDuration = 0.3;

    static base::Ref<DLCViewController> create();
    ~DLCViewController() override;

    void loadView() override;
    void viewDidLoad() override;
    // Only the two landscape orientations.
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // Shows the pop-up for entry with its thumbnail (none: an empty picture).
    void showPopUp(base::Dictionary const& entry, base::Ref<ui::Image> thumbnail);
    void hidePopUp();
    void releaseContent();

    // --- actions ---
    void onBackClick();
    void onBuyClick();
    void onCancelClick();
    void onBuyPPClick();
    void onTransferPPClick();
    void onEarnFreePPClick();

    RootViewController* pRootViewController() const;
    // The root view controller to use when the application has none (tests).
    void setPRootViewController(RootViewController* controller);

    // --- what the screen holds (null until the view loads) ---
    DLCTableViewController* tableViewController() const { return mTableViewController.get(); }
    base::Dictionary* selectedContent() const { return mSelectedContent.get(); }
    ui::Label* titleLabel() const { return titleLabel_.get(); }
    ui::View* tableViewContainer() const { return tableViewContainer_.get(); }
    ui::View* Popup() const { return Popup_.get(); }
    ui::Button* btn_Buy() const { return btn_Buy_.get(); }
    ui::Label* ContentCost() const { return ContentCost_.get(); }
    ui::Label* ContentDesc() const { return ContentDesc_.get(); }
    ui::Label* ContentTitle() const { return ContentTitle_.get(); }
    ui::ImageView* thumb_img() const { return thumb_img_.get(); }
    ui::ImageView* petpoint_icon() const { return petpoint_icon_.get(); }
    ui::Button* BuyPP() const { return BuyPP_.get(); }
    ui::Button* EarnFreePP() const { return EarnFreePP_.get(); }
    ui::Button* TransferPP() const { return TransferPP_.get(); }
    ui::ImageView* EarnPPIcon() const { return EarnPPIcon_.get(); }
    ui::ImageView* BuyPPIcon() const { return BuyPPIcon_.get(); }
    ui::Button* backButton() const { return backButton_.get(); }
    ui::Button* cancelButton() const { return cancelButton_.get(); }
    // Whether the pop-up stands in front of the screen (the tablet) or over it (the
    // phone, where it slides).
    bool isPopUpShown() const;

private:
    friend base::Factory;
    DLCViewController() = default;

    // Whether the selected entry is priced in Vov Azavuz.
    static bool isPetPointPrice(base::Dictionary const& entry);
    // Whether the game-wide balance of the entry's currency covers its price; a
    // negative price is never bought.
    static bool canAfford(base::Dictionary const& entry);
    base::Ref<ui::View> makePopUp();

    base::Ref<DLCTableViewController> mTableViewController;
    base::Ref<base::Dictionary> mSelectedContent;
    base::WeakRef<RootViewController> pRootViewController_;
    base::Ref<ui::Label> titleLabel_;
    base::Ref<ui::View> tableViewContainer_;
    base::Ref<ui::View> Popup_;
    base::Ref<ui::Button> btn_Buy_;
    base::Ref<ui::Label> ContentCost_;
    base::Ref<ui::Label> ContentDesc_;
    base::Ref<ui::Label> ContentTitle_;
    base::Ref<ui::ImageView> thumb_img_;
    base::Ref<ui::ImageView> petpoint_icon_;
    base::Ref<ui::Button> BuyPP_;
    base::Ref<ui::Button> EarnFreePP_;
    base::Ref<ui::Button> TransferPP_;
    base::Ref<ui::ImageView> EarnPPIcon_;
    base::Ref<ui::ImageView> BuyPPIcon_;
    base::Ref<ui::Button> backButton_;
    base::Ref<ui::Button> cancelButton_;
    bool popUpShown_ {false};
};

}

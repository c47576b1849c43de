#pragma once

#include <game/store/StoreScreen.hpp>

#include <optional>
#include <string>

namespace game {

// The screen that trades Vov Azavuz for coins at a fixed rate, one lot of 10 Vov Azavuz
// for 500 coins per tap of OK, showing the two changes as labels that drift away from
// the balances and fade in 1.5 s. It also leads to the purchase screen and the offer
// wall. A lot needs 10 Vov Azavuz and the game's interface (which books the coins);
// OK is enabled only from 10 Vov Azavuz.
class TransferPetPointsViewController final : public StoreScreen {
public:
    // The rate: Vov Azavuz given and coins received per lot.
    static constexpr int petPointsPerLot = 10;
    static constexpr int moneyPerLot = 500;
    // How far the change labels drift and how long they take to fade.
    static constexpr float changeDrift = 20;
    static constexpr double changeDuration = 1.5;

    static base::Ref<TransferPetPointsViewController> create();

    void loadView() override;
    void viewDidLoad() override;
    void update() override;
    void updateCurrentPetPoints();
    // One lot; false (nothing changed) below 10 Vov Azavuz or without the interface.
    bool transferPetPointsToMoney();
    void playTransferAnimation();

    // --- actions ---
    void okOnClick();
    void inAppPurchaseOnClick();
    void earnFreeOnClick();
    void closeOnClick();

    // --- texts ---
    void setTitleStr(std::string const& text) override { titleStr_ = text; }
    void setOkStr(std::string const& text) override { okStr_ = text; }
    void setCancelStr(std::string const& text) override { cancelStr_ = text; }
    void setBackStr(std::string const& text) override { backStr_ = text; }
    void setEarnStr(std::string const& text) override { earnStr_ = text; }
    void setBuyStr(std::string const& text) override { buyStr_ = text; }

    // --- the controls (null until the view loads) ---
    ui::Label* iPetPointsLabel() const { return iPetPointsLabel_.get(); }
    ui::Label* iMoneyLabel() const { return iMoneyLabel_.get(); }
    ui::Label* iTransferPetPointsLabel() const { return iTransferPetPointsLabel_.get(); }
    ui::Label* iTransferMoneyLabel() const { return iTransferMoneyLabel_.get(); }
    ui::Label* iChangePetPointsLabel() const { return iChangePetPointsLabel_.get(); }
    ui::Label* iChangeMoneyLabel() const { return iChangeMoneyLabel_.get(); }
    ui::Label* iTitleLabel() const { return iTitleLabel_.get(); }
    ui::Button* iOKButton() const { return iOKButton_.get(); }
    ui::Button* iCancelButton() const { return iCancelButton_.get(); }
    ui::Button* iBackButton() const { return iBackButton_.get(); }
    ui::Button* iEarnButton() const { return iEarnButton_.get(); }
    ui::Button* iBuyButton() const { return iBuyButton_.get(); }

private:
    friend base::Factory;
    TransferPetPointsViewController() = default;
    ~TransferPetPointsViewController() override;

    base::Ref<ui::Label> iPetPointsLabel_;
    base::Ref<ui::Label> iMoneyLabel_;
    base::Ref<ui::Label> iTransferPetPointsLabel_;
    base::Ref<ui::Label> iTransferMoneyLabel_;
    base::Ref<ui::Label> iChangePetPointsLabel_;
    base::Ref<ui::Label> iChangeMoneyLabel_;
    base::Ref<ui::Label> iTitleLabel_;
    base::Ref<ui::Button> iOKButton_;
    base::Ref<ui::Button> iCancelButton_;
    base::Ref<ui::Button> iBackButton_;
    base::Ref<ui::Button> iEarnButton_;
    base::Ref<ui::Button> iBuyButton_;
    std::optional<std::string> titleStr_;
    std::optional<std::string> okStr_;
    std::optional<std::string> cancelStr_;
    std::optional<std::string> backStr_;
    std::optional<std::string> earnStr_;
    std::optional<std::string> buyStr_;
};

}

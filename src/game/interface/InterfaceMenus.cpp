// The purchase menus of the salon (item shop, furniture upgrade, staff hire) and the
// hooks of the daily challenge's report.

#include <game/interface/Interface.hpp>

#include <engine/AtlasSprite.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Format.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/progression/QuestController.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

using namespace interface_support;

namespace {

void hideAds(MainLayer* layer) {
    if (!layer)
        return;
    if (auto* controller = layer->pRootViewController()) {
        controller->hideBTXAd();
        controller->hideAdView();
    }
}

}

void Interface::openPurchaseDialog(base::Dictionary const& item, int z, engine::Point from) {
    if (pPurchaseDialog) {
        removeFromParent(pPurchaseDialog);
        pPurchaseDialog = nullptr;
    }
    if (pTabBar)
        pTabBar->endTutorial();
    if (!pLayer)
        return;
    auto dialog = CCPurchaseDialog::initDialogWithDictionary(item, this);
    pLayer->addChild(dialog, z);
    pPurchaseDialog = dialog.get();
    dialog->showDialogFromPosition(from);
}

void Interface::showShopDialog(base::Ref<base::Dictionary> item) {
    if (!item)
        return;
    hideAds(pLayer);
    if (auto* shop = GameGlobals::shared().shop.get())
        shop->setCurrentItem(item.get());
    bool pad = Utilities::isiPad();
    openPurchaseDialog(
        *item, 10005, pad ? engine::Point {512, 367.3f} : engine::Point {240, 147.5f});
    playSound("ClickForUpgrade");
}

void Interface::showUpgradeMenu(base::Object* object, bool purchase) {
    auto* furniture = dynamic_cast<QBY_Furniture*>(object);
    if (!furniture)
        return;
    hideAds(pLayer);
    pUpgradeFurn = base::Ref<QBY_Furniture>(furniture);
    auto item = upgradeMenuItem(*furniture, purchase);
    auto* sprite = furniture->pSprite();
    openPurchaseDialog(*item, 10006, sprite ? sprite->position() : engine::Point {});
}

void Interface::hiddenUpgradeMenu() {
    curUIState_ = 0;
    pUpgradeFurn = nullptr;
}

void Interface::showHireMenu(base::Object* object) {
    auto* staff = dynamic_cast<QBY_Character*>(object);
    if (!staff)
        return;
    hideAds(pLayer);
    pHireChar = base::Ref<QBY_Character>(staff);
    auto item = hireMenuItem(*staff);
    auto* sprite = staff->pSprite();
    openPurchaseDialog(*item, 10006, sprite ? sprite->position() : engine::Point {});
}

void Interface::hiddenHireMenu() {
    curUIState_ = 0;
    pHireChar = nullptr;
}

void Interface::hideDimBG() {
    if (pGameplay_dimBG)
        pGameplay_dimBG->setVisible(false);
}

void Interface::showQuestReport(std::string const& questId) {
    auto* shop = GameGlobals::shared().shop.get();
    auto* quest = shop ? shop->questController()->getQuestById(questId) : nullptr;
    if (!quest || !pLayer) {
        foundation::log("No challenge \"%@\" to report", questId);
        return;
    }
    if (pQuestReport)
        removeFromParent(pQuestReport.get());
    pQuestReport = QuestReport::initWithQuest(quest, this);
    pLayer->addChild(pQuestReport, 10020);
}

void Interface::didDismissQuestReport(QuestReport& report) {
    if (pQuestReport.get() == &report) {
        removeFromParent(pQuestReport.get());
        pQuestReport = nullptr;
    }
    auto* shop = GameGlobals::shared().shop.get();
    if (!shop)
        return;
    int state = curUIState();
    if (shop->getShopState() == 3 && state == 0) {
        playSound("Click");
        hiddenNextDayButton();
        hideInAppShop();
        hideAds(pLayer);
        shop->endShoppingMode();
        shop->startPreWorkingHour();
    } else if (state == 22) {
        shop->resumeGame();
        curUIState_ = 0;
    }
}

}

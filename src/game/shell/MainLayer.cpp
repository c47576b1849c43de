#include <game/shell/MainLayer.hpp>

#include <base/Log.hpp>
#include <engine/Director.hpp>
#include <engine/EAGLView.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Random.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ShellServices.hpp>
#include <ui/Window.hpp>

namespace game {

base::Ref<MainLayer> MainLayer::node() {
    return base::make<MainLayer>();
}

MainLayer::MainLayer() {
    setIsTouchEnabled(true);
    setIsAccelerometerEnabled(false);
    pRootViewController_ = nullptr;

    // The salon draws from random(); each run starts it from the time.
    auto now = foundation::Clock::current().wallTime() + foundation::unixEpochToReferenceDate;
    foundation::AdditiveRandom::shared().seed(static_cast<unsigned>(static_cast<long long>(now)));

    auto& globals = GameGlobals::shared();
    globals.interface = ShellServices::shared().makeInterface(this);
    interface_ = globals.interface;
    globals.shop = nullptr;
    globals.mainMenu = nullptr;

    auto field = ui::TextField::create(graphics::makeRect(1000, -1000, 0, 0));
    field->setReturnKeyType(ui::ReturnKeyType::Done);
    field->setKeyboardType(ui::KeyboardType::EmailAddress);
    field->setAutocorrectionType(ui::TextAutocorrectionType::No);
    field->setAutocapitalizationType(ui::TextAutocapitalizationType::None);
    field->setDelegate(this);
    field->setText("");
    if (auto* view = engine::Director::sharedDirector().openGLView()) {
        if (auto* window = view->window())
            window->addSubview(field);
    }
    globals.hiddenTextField = field;
}

MainLayer::~MainLayer() {
    pRootViewController_ = nullptr;
    auto& globals = GameGlobals::shared();
    if (globals.interface == interface_)
        globals.interface = nullptr;
    interface_ = nullptr;
    globals.shop = nullptr;
    if (auto field = globals.hiddenTextField; field && field->delegate() == this) {
        field->setDelegate(nullptr);
        field->removeFromSuperview();
        globals.hiddenTextField = nullptr;
    }
}

void MainLayer::setInterface(Interface* interface) {
    interface_ = base::Ref<Interface>(interface);
}

void MainLayer::update() {
    auto& globals = GameGlobals::shared();
    if (interface_)
        interface_->update();
    if (globals.curProgramState == ProgramStateShop) {
        if (globals.shop)
            globals.shop->update();
    } else if (globals.curProgramState == ProgramStateMainMenu) {
        if (globals.mainMenu)
            globals.mainMenu->update();
    }
}

void MainLayer::initProgramState(int state) {
    auto& globals = GameGlobals::shared();
    if (interface_)
        interface_->initInterface(state);
    if (state == ProgramStateShop) {
        if (!globals.shop)
            globals.shop = ShellServices::shared().makeShop(this);
    } else if (state == ProgramStateMainMenu) {
        if (!globals.mainMenu) {
            auto menu = ShellServices::shared().makeMainMenu();
            globals.mainMenu = menu;
            // The first menu after launch opens on the title screen.
            menu->start(globals.prevProgramState == ProgramStateNone ? 0 : 3);
        }
    }
}

void MainLayer::releaseProgramState(int state) {
    auto& globals = GameGlobals::shared();
    if (state == ProgramStateShop) {
        base::logLine("Releasing State SHOP");
        if (auto shop = globals.shop) {
            shop->cleanup();
            globals.shop = nullptr;
        }
    } else if (state == ProgramStateMainMenu) {
        base::logLine("Releasing State MAINMENU");
        globals.mainMenu = nullptr;
    }
    if (interface_)
        interface_->removeInterface(state);
    engine::TextureMgr::sharedTextureMgr().removeAllTextures();
}

template<typename InterfaceHandler, typename ShopHandler>
bool MainLayer::route(ui::TouchSet& touches, ui::Event* event, InterfaceHandler interfaceHandler,
    ShopHandler shopHandler) {
    if (interface_ && (interface_.get()->*interfaceHandler)(touches, event))
        return true;
    auto& globals = GameGlobals::shared();
    if (globals.curProgramState == ProgramStateShop && globals.shop) {
        // Held for the call: the shop may end the salon state while it handles them.
        auto shop = globals.shop;
        return (shop.get()->*shopHandler)(touches, event);
    }
    return false;
}

bool MainLayer::ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) {
    return route(touches, event, &Interface::handleTouchesBegan, &Shop::handleTouchesBegan);
}

bool MainLayer::ccTouchesMoved(ui::TouchSet& touches, ui::Event* event) {
    return route(touches, event, &Interface::handleTouchesMoved, &Shop::handleTouchesMoved);
}

bool MainLayer::ccTouchesCancelled(ui::TouchSet& touches, ui::Event* event) {
    return route(touches, event, &Interface::handleTouchesCancelled, &Shop::handleTouchesCancelled);
}

bool MainLayer::ccTouchesEnded(ui::TouchSet& touches, ui::Event* event) {
    if (route(touches, event, &Interface::handleTouchesEnded, &Shop::handleTouchesEnded))
        return true;
    auto* touch = touches.anyObject();
    if (!touch || touch->tapCount() <= 1)
        return false;
    return route(touches, event, &Interface::handleDoubleTap, &Shop::handleDoubleTap);
}

bool MainLayer::shouldChangeCharactersInRange(
    ui::TextField& field, ui::TextRange range, std::string const& replacement) {
    if (GameGlobals::shared().curProgramState != ProgramStateMainMenu || !interface_)
        return false;
    return interface_->handleChangeTextField(field, range, replacement);
}

bool MainLayer::textFieldShouldReturn(ui::TextField& field) {
    if (GameGlobals::shared().curProgramState == ProgramStateMainMenu && interface_
        && interface_->handleEndTextField(field))
        field.resignFirstResponder();
    return false;
}

void MainLayer::textFieldDidEndEditing(ui::TextField& field) {
    if (field.isFirstResponder())
        field.resignFirstResponder();
}

void MainLayer::showInAppPurchase() {
    if (pRootViewController_)
        pRootViewController_->showInAppPurchase();
}

void MainLayer::showBountixOffers() {
    if (pRootViewController_)
        pRootViewController_->showBountixOffers();
}

void MainLayer::showBountixFeaturedApp() {
    if (pRootViewController_)
        pRootViewController_->showBountixFeaturedApp();
}

void MainLayer::showAchievements() {
    if (pRootViewController_)
        pRootViewController_->showAchievements();
}

void MainLayer::showWebPage(std::string const& address) {
    if (pRootViewController_)
        pRootViewController_->showWebPage(address);
}

void MainLayer::showDownloadPage() {
    if (pRootViewController_)
        pRootViewController_->showDownloadPage();
}

}

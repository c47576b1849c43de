#pragma once

#include <engine/Layer.hpp>
#include <ui/TextField.hpp>

#include <string>

namespace game {

class Interface;
class RootViewController;

// The root game layer, child of MainScene. It makes the Interface once and keeps
// it for the process, makes the object of each program state when the loading
// screen has loaded the state (MainMenu in the main menu, Shop in the salon) and
// drops it when the state is released, updates both every frame and routes the
// touches to them. It owns the hidden text field through which the main menu
// takes keyboard input, and forwards the game's requests for platform screens to
// the root view controller. Main thread only.
//
// Touches go to the interface first; only in the salon, and only when the
// interface did not take them, to the shop. A touch end that nobody took whose
// touch has a tap count above 1 is then offered as a double tap, in the same
// order. The main menu gets no touches here.
class MainLayer : public engine::Layer, public ui::TextFieldDelegate {
public:
    static base::Ref<MainLayer> node();

    // Interface, then the running state's object.
    void update();
    // The loading screen calls this once the state's data are loaded.
    void initProgramState(int state);
    // The loading screen calls this for the state that ran; the whole texture
    // cache is emptied afterwards.
    void releaseProgramState(int state);

    bool ccTouchesBegan(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesMoved(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesEnded(ui::TouchSet& touches, ui::Event* event) override;
    bool ccTouchesCancelled(ui::TouchSet& touches, ui::Event* event) override;

    // The hidden text field's delegate: the interface decides on changes and
    // return, only in the main menu; elsewhere no change is made.
    bool shouldChangeCharactersInRange(
        ui::TextField& field, ui::TextRange range, std::string const& replacement) override;
    bool textFieldShouldReturn(ui::TextField& field) override;
    void textFieldDidEndEditing(ui::TextField& field) override;

    // Each sends the request of the same name to the root view controller; nothing
    // happens while there is none.
    void showInAppPurchase();
    void showBountixOffers();
    void showBountixFeaturedApp();
    void showAchievements();
    void showWebPage(std::string const& address);
    void showDownloadPage();

    RootViewController* pRootViewController() const { return pRootViewController_; }
    void setPRootViewController(RootViewController* controller) {
        pRootViewController_ = controller;
    }
    Interface* interface() const { return interface_.get(); }
    void setInterface(Interface* interface);

protected:
    friend base::Factory;
    MainLayer();
    ~MainLayer() override;

private:
    // The touch phases differ only in the handler they call.
    template<typename InterfaceHandler, typename ShopHandler>
    bool route(ui::TouchSet& touches, ui::Event* event, InterfaceHandler interfaceHandler,
        ShopHandler shopHandler);

    RootViewController* pRootViewController_ {nullptr};
    // Shared with GameGlobals. Held here too, so that a layer outliving a reset of the
    // globals never keeps the address of a freed interface, which a later one may reuse.
    base::Ref<Interface> interface_;
};

}

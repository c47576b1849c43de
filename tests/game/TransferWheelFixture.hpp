#pragma once

#include "HudFixture.hpp"

#include <base/Value.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/server/CCDragRotator.hpp>
#include <game/server/CCTransferCoinsView.hpp>
#include <game/server/CCTransferPPView.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/Utilities.hpp>

#include <ui/AlertView.hpp>
#include <ui/Touch.hpp>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace test {

// Keeps the simple alerts shown through the shell's presenter.
class AlertLog final : public game::AlertPresenter {
public:
    struct Shown {
        std::string title;
        std::string message;
    };
    void showAlert(std::string_view title, std::string_view message, std::string_view) override {
        shown.push_back({std::string(title), std::string(message)});
    }
    std::vector<Shown> shown;
};

// The real interface on the game's root layer with the two currency wheels as the
// interface opens them, and one finger driven through the touch dispatcher. Phone
// unless a test calls tablet() first; money and Vov Azavuz as each test sets them.
class TransferWheelTest : public HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        alerts.shown.clear();
        game::AlertPresenter::setShared(&alerts);
        auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
        dispatcher.removeAllDelegates();
        dispatcher.setDispatchEvents(true);
    }
    void TearDown() override {
        finger = nullptr;
        if (face)
            face->removeInterface(face->curProgramState());
        face = nullptr;
        if (mainLayer)
            layer->removeChild(mainLayer.get(), engine::Cleanup::Yes);
        mainLayer = nullptr;
        screen.reset();
        game::GameGlobals::reset();
        game::AlertPresenter::setShared(nullptr);
        HudTest::TearDown();
    }

    static void tablet() { HudTest::tablet(); }
    static bool pad() { return game::Utilities::isiPad(); }
    float screenHeight() const { return pad() ? 768 : 320; }

    // The salon's interface, with money and Vov Azavuz.
    game::Interface& makeInterface(int money, int petPoints) {
        mainLayer = game::MainLayer::node();
        if (pad())
            screen.emplace(engine::Size {1024, 768}, 1);
        else
            screen.emplace(engine::Size {480, 320}, 1);
        layer->addChild(mainLayer, 0);
        face = base::Ref<game::Interface>(mainLayer->interface());
        face->initInterface(game::ProgramStateShop);
        auto& globals = game::GameGlobals::shared();
        globals.money = money;
        globals.petPoints = petPoints;
        return *face;
    }
    // Opens a wheel as the interface does and lets it slide in and tick once.
    game::CCTransferCoinsView& openCoins(int money, int petPoints) {
        makeInterface(money, petPoints);
        face->showTransferCoinsView();
        seconds(0.3f);
        return *coinsView();
    }
    game::CCTransferPPView& openPP(int money, int petPoints) {
        makeInterface(money, petPoints);
        face->showTransferPPView();
        seconds(0.3f);
        return *ppView();
    }
    game::CCTransferCoinsView* coinsView() const {
        return dynamic_cast<game::CCTransferCoinsView*>(face->transferCoinsView());
    }
    game::CCTransferPPView* ppView() const {
        return dynamic_cast<game::CCTransferPPView*>(face->transferPPView());
    }

    // The promotion's settings as the directive handler stores them.
    static void storePromotion(base::Ref<base::Dictionary> settings) {
        foundation::UserDefaults::standardUserDefaults().setObject(
            base::Value(settings), game::CCTransferCoinsView::dataStoreKey);
    }

    // One finger at points of the scene (origin bottom-left).
    void down(engine::Point at) {
        finger = ui::Touch::create(nullptr, nullptr, view(at), 1, 0);
        engine::TouchDispatcher::sharedDispatcher().touchesBegan(ui::TouchSet({finger}), nullptr);
    }
    void move(engine::Point at) {
        finger->update(ui::TouchPhase::Moved, view(at), 0);
        engine::TouchDispatcher::sharedDispatcher().touchesMoved(ui::TouchSet({finger}), nullptr);
    }
    void up() {
        finger->update(ui::TouchPhase::Ended, finger->locationInView(nullptr), 0);
        engine::TouchDispatcher::sharedDispatcher().touchesEnded(ui::TouchSet({finger}), nullptr);
    }
    void tap(engine::Point at) {
        down(at);
        up();
    }
    // Drags the finger round a centre from one angle to another (radians clockwise
    // from straight up), in small moves, and lifts it.
    void turn(engine::Point centre, double from, double to, float radius = 80, int moves = 12) {
        auto at = [&](double a) {
            return engine::Point {
                float(centre.x + radius * std::sin(a)), float(centre.y + radius * std::cos(a))};
        };
        down(at(from));
        for (int i = 1; i <= moves; ++i)
            move(at(from + (to - from) * i / moves));
        up();
    }
    static engine::Point centreOf(engine::SceneNode const* node) {
        return const_cast<engine::SceneNode*>(node)->convertToWorldSpace(
            {node->contentSize().width / 2, node->contentSize().height / 2});
    }
    // Where the dial's arrow stands on the screen.
    static engine::Point dialCentre(game::CCTransferWheel& wheel) {
        auto* sprite = wheel.dial()->rotatorSprite();
        return wheel.dial()->convertToWorldSpace(sprite->position());
    }

    AlertLog alerts;
    std::optional<test::FakeDirector> screen;
    base::Ref<game::MainLayer> mainLayer;
    base::Ref<game::Interface> face;
    base::Ref<ui::Touch> finger;

private:
    engine::Point view(engine::Point at) const { return {at.x, screenHeight() - at.y}; }
};

}

#include <game/shell/MainScene.hpp>

#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/SalonDayStart.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/LoadingLayer.hpp>
#include <game/shell/MainLayer.hpp>

namespace game {

base::Ref<MainScene> MainScene::node() {
    return base::make<MainScene>();
}

MainScene::MainScene() {
    bShowMemoryWarning = false;
    auto& globals = GameGlobals::shared();
    globals.totalTime = 0;
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
    globals.gameMode = 1;
    globals.curProgramState = ProgramStateNone;
    globals.prevProgramState = ProgramStateNone;
    globals.nextProgramState = ProgramStateMainMenu;

    auto mainLayer = MainLayer::node();
    globals.mainLayer = mainLayer;
    addChild(mainLayer, 1);
    auto loadingLayer = LoadingLayer::node();
    globals.loadingLayer = loadingLayer;
    addChild(loadingLayer, 3);
    schedule(&MainScene::update, updateInterval);
    globals.pathFinder = PathFindingSystem::create();
    pathFinder_ = globals.pathFinder;
    // A scripted run may ask for the salon at once (after the layers, which seed the
    // salon's random numbers from the time).
    SalonDayStart::applyRequest();
}

MainScene::~MainScene() {
    auto& globals = GameGlobals::shared();
    if (auto* mine = pathFinder_.get(); mine && globals.pathFinder.get() == mine)
        globals.pathFinder = nullptr;
    if (globals.loadingLayer && globals.loadingLayer->parent() == this) {
        removeChild(globals.loadingLayer.get(), engine::Cleanup::Yes);
        globals.loadingLayer = nullptr;
    }
    if (globals.mainLayer && globals.mainLayer->parent() == this) {
        removeChild(globals.mainLayer.get(), engine::Cleanup::Yes);
        globals.mainLayer = nullptr;
    }
}

void MainScene::updatePathFind() {
    if (auto& finder = GameGlobals::shared().pathFinder)
        finder->update();
}

Interface* MainScene::getInterface() const {
    auto& globals = GameGlobals::shared();
    return globals.mainLayer ? globals.mainLayer->interface() : nullptr;
}

void MainScene::update(float dt) {
    auto& globals = GameGlobals::shared();
    globals.deltaTime = dt;
    globals.totalTime += dt;

    if (globals.curProgramState == ProgramStateLoading) {
        if (globals.loadingLayer)
            globals.loadingLayer->update();
        return;
    }

    if (globals.nextProgramState != globals.curProgramState) {
        globals.prevProgramState = globals.curProgramState;
        if (globals.nextProgramState == ProgramStateShop
            || globals.curProgramState == ProgramStateShop
            || globals.curProgramState == ProgramStateNone) {
            globals.curProgramState = ProgramStateLoading;
            if (globals.loadingLayer)
                globals.loadingLayer->resetPhase();
        } else {
            globals.curProgramState = globals.nextProgramState;
        }
        return;
    }

    if (globals.curProgramState == ProgramStateMainMenu
        || globals.curProgramState == ProgramStateShop) {
        if (globals.mainLayer)
            globals.mainLayer->update();
        if (bShowMemoryWarning) {
            if (globals.loadingLayer)
                globals.loadingLayer->showMemoryWarning();
            bShowMemoryWarning = false;
        }
    }
}

}

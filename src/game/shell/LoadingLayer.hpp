#pragma once

#include <base/Value.hpp>
#include <engine/Label.hpp>
#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureAtlas.hpp>

#include <map>
#include <string>

namespace game {

class DynamicBG;

// The loading screen, child of MainScene at z 3. It carries every change of
// program state that passes through loading, one step per frame while MainScene
// is in state 1:
//
//   0 start: fade the screen in;
//   1 fading in: once the title background has arrived, release the state that
//     ran (the texture cache is emptied);
//   2 loading: run the loader of the next state a step at a time, with a bar and
//     "Loading %d%%" that stays below 100 until the loader is done;
//   3 fading out: then the next state runs, from the next frame.
//
// The main-menu loader preloads the sound effects and the effect sheets; the
// salon loader builds the character lists of GameGlobals and keeps the
// characters' textures alive in texturePool until the next main-menu load.
//
// A next state that has no loader (anything but 2 and 3) is logged and loads the
// main menu instead, so loading never waits forever. Main thread only.
class LoadingLayer : public engine::Layer {
public:
    static base::Ref<LoadingLayer> node();

    static constexpr float fadeDuration = 0.25f;
    static constexpr std::size_t atlasCapacity = 29;

    // Back to the start of a change; MainScene sends it when a change begins.
    void resetPhase();
    void update();
    void fadeIn();
    void fadeOut();
    // One loading step each; true when the state's data are complete.
    bool loadMainMenuData();
    bool loadShopData();
    // Starts the low-memory banner across the bottom of the screen, unless it is
    // already moving.
    void showMemoryWarning();
    // Rebuilds the pet list for pony mode on or off.
    void reloadPetsWithPonyMode(bool ponyMode);

    int curLoadingState() const { return curLoadingState_; }
    int loadingPhase() const { return nCurLoadingPhase; }
    int loadingSubPhase() const { return nCurLoadingSubPhase; }
    int loadingBar() const { return nCurLoadingBar; }
    int maxLoadingBar() const { return nMaxLoadingBar; }
    bool justLaunched() const { return bJustLaunch; }
    bool dailyBonusShown() const { return bDailyBonusShown; }
    std::map<std::string, base::Ref<engine::TextureAtlas>> const& texturePool() const {
        return texturePool_;
    }

    engine::Sprite* background() const { return pLoading_Bg.get(); }
    DynamicBG* dynamicBackground() const { return pDynamicBG.get(); }
    engine::Sprite* barFrame() const { return pLoading_BarBg.get(); }
    engine::Sprite* bar() const { return pLoading_Bar.get(); }
    engine::Label* loadingText() const { return pLoadingMsg.get(); }
    engine::Label* memoryWarningText() const { return pMemoryWarningText.get(); }

protected:
    friend base::Factory;
    LoadingLayer();
    ~LoadingLayer() override;

private:
    bool titleBackgroundDone() const;
    void showProgress(int percent);
    // The atlas of an image, made and kept in the pool unless it is there; logs
    // the line with the key when it makes one.
    void preload(std::string const& key, std::string const& file, char const* logFormat);
    base::Ref<base::Dictionary> bundleList(std::string const& name) const;

    int curLoadingState_ {0};
    int nCurLoadingPhase {0};
    int nCurLoadingSubPhase {0};
    int nCurLoadingBar {0};
    int nMaxLoadingBar {0};
    // Tablet only.
    base::Ref<engine::Sprite> pLoading_Bg;
    base::Ref<engine::Sprite> pLoading_BarBg;
    base::Ref<engine::Sprite> pLoading_Bar;
    // Phone only.
    base::Ref<DynamicBG> pDynamicBG;
    base::Ref<engine::Label> pLoadingMsg;
    base::Ref<engine::Label> pMemoryWarningText;
    bool bJustLaunch {true};
    bool bDailyBonusShown {false};
    std::map<std::string, base::Ref<engine::TextureAtlas>> texturePool_;
    // The character list of the salon load that runs.
    base::Ref<base::Dictionary> characterList_;
    std::string shownText_;
};

}

#include <game/shell/LoadingLayer.hpp>

#include <base/Log.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Theme.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>

namespace game {

namespace {

constexpr char const* memoryWarningMessage
    = "Memory Warning: Memory is low! You should restart your device.";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The decimal text of the list's size: the key of the next entry of an indexed list.
void append(base::Dictionary& list, std::string const& value) {
    list.setObject(std::to_string(list.size()), value);
}

base::Ref<base::Dictionary> freshList() {
    return base::Dictionary::create();
}

// The tablet background in the user's first preferred language when the bundle
// has it.
std::string tabletBackground() {
    auto languages
        = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
    if (languages && !languages->empty() && languages->front() != "en") {
        auto localized = foundation::format("Title_Bg_iPad_%@", languages->front());
        if (engine::StaticFileCache::sharedCache().pathForResource(localized, "jpg"))
            return localized + ".jpg";
    }
    return "Title_Bg_iPad.jpg";
}

}

base::Ref<LoadingLayer> LoadingLayer::node() {
    return base::make<LoadingLayer>();
}

LoadingLayer::LoadingLayer() {
    resetPhase();
    bJustLaunch = true;
    bDailyBonusShown = false;
    auto& globals = GameGlobals::shared();
    globals.customerPool = freshList();
    globals.visitorPool = freshList();
    globals.petPool = freshList();
    globals.otherCharacterPool = freshList();

    if (Utilities::isiPad()) {
        pLoading_Bg = engine::Sprite::spriteWithFile(tabletBackground());
        pLoading_Bg->setPosition({512, 384});
        pLoading_Bg->setVisible(true);
        pLoading_Bg->setColor({128, 128, 128});
        addChild(pLoading_Bg, 0);
        pLoading_BarBg = engine::Sprite::spriteWithFile("Loading_BarBg_iPad.png");
        pLoading_BarBg->setPosition({512, 33});
        pLoading_Bar = engine::Sprite::spriteWithFile("Loading_Bar_iPad.png");
        pLoading_Bar->setPosition({24, pLoading_BarBg->contentSize().height / 2});
    } else {
        pDynamicBG = DynamicBG::node();
        pDynamicBG->stopBubbles();
        pDynamicBG->hideAll();
        addChild(pDynamicBG, 0);
        pLoading_BarBg = engine::Sprite::spriteWithFile("Loading_BarBg.png");
        pLoading_BarBg->setPosition({240, 14});
        pLoading_Bar = engine::Sprite::spriteWithFile("Loading_Bar.png");
        pLoading_Bar->setPosition({4, pLoading_BarBg->contentSize().height / 2 + 1});
        pDynamicBG->fadeInDimmed();
    }
    addChild(pLoading_BarBg, 1);
    pLoading_BarBg->addChild(pLoading_Bar, 0);
    for (auto* sprite : {pLoading_BarBg.get(), pLoading_Bar.get()}) {
        sprite->setVisible(true);
        sprite->setOpacity(0);
    }
    pLoading_Bar->setAnchorPoint({0, 0.5f});

    auto at = pLoading_BarBg->position();
    pLoadingMsg = GraphicEngine::createLabel(" ", at.x, at.y, this, 2, 12);
    pLoadingMsg->setVisible(true);
    pLoadingMsg->setColor({255, 255, 255});
    pLoadingMsg->setOpacity(0);

    pMemoryWarningText = engine::Label::labelWithString(memoryWarningMessage,
        engine::makeSize(480, 21), engine::TextAlignment::Left, "Helvetica", 14);
    pMemoryWarningText->setPosition({-240, 8});
    pMemoryWarningText->setColor({255, 255, 255});
    addChild(pMemoryWarningText, 20000);
    pMemoryWarningText->setVisible(false);
    pMemoryWarningText->setStrokeColor({253, 55, 90});
    pMemoryWarningText->setStroke(true);

    auto parameters = base::Dictionary::create();
    parameters->setObject("Theme Set", Theme::getThemeSetting());
    ShellServices::shared().logEvent("Theme Setting", parameters);
}

LoadingLayer::~LoadingLayer() {
    for (engine::SceneNode* node : {static_cast<engine::SceneNode*>(pLoading_Bg.get()),
             static_cast<engine::SceneNode*>(pDynamicBG.get()),
             static_cast<engine::SceneNode*>(pLoadingMsg.get()),
             static_cast<engine::SceneNode*>(pMemoryWarningText.get())}) {
        if (node && node->parent())
            node->parent()->removeChild(node, engine::Cleanup::Yes);
    }
    if (pLoading_Bar && pLoading_Bar->parent())
        pLoading_Bar->parent()->removeChild(pLoading_Bar.get(), engine::Cleanup::Yes);
    if (pLoading_BarBg && pLoading_BarBg->parent())
        pLoading_BarBg->parent()->removeChild(pLoading_BarBg.get(), engine::Cleanup::Yes);
    texturePool_.clear();
    auto& globals = GameGlobals::shared();
    globals.customerPool = nullptr;
    globals.visitorPool = nullptr;
    globals.petPool = nullptr;
    globals.otherCharacterPool = nullptr;
}

void LoadingLayer::resetPhase() {
    curLoadingState_ = 0;
    nCurLoadingPhase = 0;
    nCurLoadingSubPhase = 0;
    nCurLoadingBar = 0;
    nMaxLoadingBar = 0;
}

bool LoadingLayer::titleBackgroundDone() const {
    if (pLoading_Bg)
        return pLoading_Bg->numberOfRunningActions() == 0;
    return !pDynamicBG || pDynamicBG->isTitleActionDone();
}

void LoadingLayer::update() {
    auto& globals = GameGlobals::shared();
    if (globals.nextProgramState != ProgramStateMainMenu
        && globals.nextProgramState != ProgramStateShop) {
        base::logLine(foundation::format(
            "No state %d to load: loading the main menu", globals.nextProgramState));
        globals.nextProgramState = ProgramStateMainMenu;
    }

    switch (curLoadingState_) {
    case 0:
        fadeIn();
        curLoadingState_ = 1;
        break;
    case 1:
        if (titleBackgroundDone()) {
            bJustLaunch = false;
            if (globals.mainLayer)
                globals.mainLayer->releaseProgramState(globals.prevProgramState);
            curLoadingState_ = 2;
        }
        break;
    case 2: {
        bool menu = globals.nextProgramState == ProgramStateMainMenu;
        bool done = menu ? loadMainMenuData() : loadShopData();
        if (done && menu) {
            if (globals.mainLayer)
                globals.mainLayer->showBountixFeaturedApp();
            if (!bDailyBonusShown && globals.money != 0) {
                if (globals.money > 0)
                    ShellServices::shared().checkDailyBonus();
                bDailyBonusShown = true;
            }
        }
        int percent = 0;
        if (done) {
            percent = 100;
            fadeOut();
            curLoadingState_ = 3;
        } else if (nMaxLoadingBar > 0) {
            percent = int(float(nCurLoadingBar) / float(nMaxLoadingBar) * 100);
            ++nCurLoadingBar;
            percent = std::min(percent, 99);
        }
        showProgress(percent);
        break;
    }
    case 3:
        if (!pLoading_Bg || pLoading_Bg->numberOfRunningActions() == 0)
            globals.curProgramState = globals.nextProgramState;
        break;
    default:
        break;
    }

    if (pMemoryWarningText->visible() && pMemoryWarningText->numberOfRunningActions() == 0)
        pMemoryWarningText->setVisible(false);
}

void LoadingLayer::showProgress(int percent) {
    auto text = foundation::format("Loading %d%%", percent);
    // The same text renders the same picture; only a change is drawn anew.
    if (text != shownText_) {
        pLoadingMsg->setString(text);
        shownText_ = text;
    }
    pLoading_Bar->setScaleX(float(percent) * 0.01f);
}

void LoadingLayer::fadeIn() {
    for (engine::SceneNode* node : {static_cast<engine::SceneNode*>(pLoading_BarBg.get()),
             static_cast<engine::SceneNode*>(pLoading_Bar.get()),
             static_cast<engine::SceneNode*>(pLoadingMsg.get())}) {
        node->runAction(engine::FadeIn::actionWithDuration(fadeDuration));
        node->setVisible(true);
    }
    pLoading_Bar->setScaleX(0);
    pLoadingMsg->setString("");
    shownText_.clear();
    if (!bJustLaunch) {
        if (pLoading_Bg) {
            pLoading_Bg->setOpacity(0);
            pLoading_Bg->runAction(engine::FadeTo::actionWithDuration(fadeDuration, 255));
            pLoading_Bg->runAction(engine::TintTo::actionWithDuration(fadeDuration, 128, 128, 128));
        } else if (pDynamicBG) {
            pDynamicBG->fadeInDimmed();
        }
    }
    SoundEngine::sharedManager()->fadeToVolumeMusicTrack(0.5f, fadeDuration);
}

void LoadingLayer::fadeOut() {
    for (engine::SceneNode* node : {static_cast<engine::SceneNode*>(pLoading_BarBg.get()),
             static_cast<engine::SceneNode*>(pLoading_Bar.get()),
             static_cast<engine::SceneNode*>(pLoadingMsg.get())}) {
        if (node->visible())
            node->runAction(engine::FadeOut::actionWithDuration(fadeDuration));
    }
    if (pLoading_Bg)
        pLoading_Bg->runAction(engine::FadeTo::actionWithDuration(fadeDuration, 0));
    else if (pDynamicBG)
        pDynamicBG->fadeOut();
}

base::Ref<base::Dictionary> LoadingLayer::bundleList(std::string const& name) const {
    auto& cache = engine::StaticFileCache::sharedCache();
    auto path = cache.pathForResource(name);
    if (!path)
        return nullptr;
    return cache.dictionaryWithContentsOfFile(*path);
}

void LoadingLayer::preload(std::string const& key, std::string const& file, char const* logFormat) {
    if (texturePool_.contains(key))
        return;
    auto atlas = engine::TextureAtlas::textureAtlasWithFile(file, atlasCapacity);
    if (!atlas)
        return;
    if (logFormat)
        base::logLine(foundation::format(logFormat, key));
    texturePool_[key] = atlas;
}

bool LoadingLayer::loadMainMenuData() {
    switch (nCurLoadingPhase) {
    case 0: {
        texturePool_.clear();
        auto& globals = GameGlobals::shared();
        for (auto* list : {globals.customerPool.get(), globals.visitorPool.get(),
                 globals.petPool.get(), globals.otherCharacterPool.get()}) {
            if (list)
                list->removeAll();
        }
        nCurLoadingBar = nMaxLoadingBar = 0;
        for (char const* name : {"sfxList.plist", "vfxList.plist"}) {
            if (auto list = bundleList(name))
                nMaxLoadingBar += int(list->size());
        }
        ++nCurLoadingPhase;
        return false;
    }
    case 1: {
        auto list = bundleList("sfxList.plist");
        std::size_t count = list ? list->size() : 0;
        if (std::size_t(nCurLoadingSubPhase) < count) {
            auto const entry = list->entries()[std::size_t(nCurLoadingSubPhase)];
            if (auto const* file = entry.second.string())
                SoundEngine::sharedManager()->preloadSoundEffect(*file);
            ++nCurLoadingSubPhase;
        }
        if (std::size_t(nCurLoadingSubPhase) >= count) {
            nCurLoadingSubPhase = 0;
            ++nCurLoadingPhase;
        }
        return false;
    }
    case 2: {
        auto list = bundleList("vfxList.plist");
        std::size_t count = list ? list->size() : 0;
        if (std::size_t(nCurLoadingSubPhase) < count) {
            auto name = list->entries()[std::size_t(nCurLoadingSubPhase)].first + ".png";
            preload(name, name, nullptr);
            ++nCurLoadingSubPhase;
        }
        if (std::size_t(nCurLoadingSubPhase) >= count) {
            nCurLoadingSubPhase = 0;
            ++nCurLoadingPhase;
        }
        return false;
    }
    case 3:
        if (auto& layer = GameGlobals::shared().mainLayer)
            layer->initProgramState(ProgramStateMainMenu);
        nCurLoadingSubPhase = 0;
        ++nCurLoadingPhase;
        return false;
    default:
        return true;
    }
}

bool LoadingLayer::loadShopData() {
    auto& globals = GameGlobals::shared();
    switch (nCurLoadingPhase) {
    case 0:
        nCurLoadingBar = nMaxLoadingBar = 0;
        characterList_ = bundleList(Theme::getThemeFile("characterList.plist"));
        if (characterList_)
            nMaxLoadingBar += int(characterList_->size());
        ++nCurLoadingPhase;
        return false;
    case 1: {
        std::size_t count = characterList_ ? characterList_->size() : 0;
        if (std::size_t(nCurLoadingSubPhase) < count) {
            auto const [key, value] = characterList_->entries()[std::size_t(nCurLoadingSubPhase)];
            auto name = Theme::getThemeCharacter(key);
            auto file = name + ".png";
            auto path = engine::StaticFileCache::sharedCache().pathForResource(file).value_or(file);
            // Pony and special sheets are left to the salon, which loads them when
            // it needs them.
            if (!startsWith(name, "pony") && !startsWith(name, "MS"))
                preload(path, path, "Preloaded:%@");

            bool pony = ShellServices::shared().isPonyModeActive();
            auto const* entry = value.dictionary();
            int type = entry ? entry->objectForKey("type").intValue() : -1;
            switch (type) {
            case 0:
                append(*globals.customerPool, key);
                break;
            case 1:
                if (startsWith(key, "pony") == pony) {
                    append(*globals.petPool, key);
                    preload(path, path, "Preloaded:%@");
                }
                break;
            case 2:
                append(*globals.otherCharacterPool, key);
                break;
            case 3:
                globals.visitorPool->setObject(key, key.str());
                break;
            default:
                break;
            }
            ++nCurLoadingSubPhase;
        }
        if (std::size_t(nCurLoadingSubPhase) >= count) {
            nCurLoadingSubPhase = 0;
            ++nCurLoadingPhase;
            characterList_ = nullptr;
        }
        return false;
    }
    case 2:
        if (nCurLoadingSubPhase == 0) {
            if (globals.mainLayer)
                globals.mainLayer->initProgramState(ProgramStateShop);
            nCurLoadingSubPhase = 1;
        } else if (nCurLoadingSubPhase == 1) {
            // Held for the call, which may take long and run anything.
            auto shop = globals.shop;
            if (!shop || shop->loading())
                nCurLoadingSubPhase = 2;
        } else {
            nCurLoadingSubPhase = 0;
            ++nCurLoadingPhase;
        }
        return false;
    default:
        return true;
    }
}

void LoadingLayer::reloadPetsWithPonyMode(bool ponyMode) {
    auto& globals = GameGlobals::shared();
    auto list = bundleList("characterList.plist");
    for (auto const& [index, name] : *globals.petPool) {
        if (auto const* key = name.string())
            texturePool_.erase(*key + ".png");
    }
    globals.petPool->removeAll();
    if (!list)
        return;
    for (auto const& [key, value] : *list) {
        auto const* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").intValue() != 1)
            continue;
        if (startsWith(key, "pony") != ponyMode)
            continue;
        auto file = key + ".png";
        preload(file, file, "reloaded:%@");
        append(*globals.petPool, key);
    }
}

void LoadingLayer::showMemoryWarning() {
    if (pMemoryWarningText->numberOfRunningActions() > 0)
        return;
    pMemoryWarningText->setVisible(true);
    pMemoryWarningText->setPosition({720, 8});
    pMemoryWarningText->runAction(engine::MoveTo::actionWithDuration(10, {-240, 8}));
}

}

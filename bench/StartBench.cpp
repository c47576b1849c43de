// A start of the game to its main-menu state, off-screen as `quillaby --headless` runs it:
// the main scene made, the loading screen drawn frame after frame while it preloads the
// bundle's sound effects and effect sheets, until the main-menu state runs. The peer draws
// an empty scene for the same number of frames on the same surface, so the ratio is what
// loading the menu adds to the bare frame loop. The time of one start is the figure the
// start-up budget (300 ms) is held against.

#include "Compare.hpp"

#include <engine/ActionManager.hpp>
#include <engine/Director.hpp>
#include <engine/Scene.hpp>
#include <engine/Scheduler.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainScene.hpp>
#include <game/shell/OpenALEngine.hpp>
#include <game/shell/SoundEngine.hpp>
#include <graphics/Surface.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <filesystem>
#include <functional>

namespace {

// A start never takes more frames than this; more means the loading is stuck.
constexpr int FrameLimit = 600;

// The headless surface and the game's folders, made once for the program.
struct Stage {
    Stage() {
        auto home = std::filesystem::temp_directory_path() / "quillaby-bench-home";
        std::filesystem::create_directories(home);
        foundation::Sandbox::setRoot(home.string());
        foundation::Bundle::setMainBundlePath(QUILLABY_BUNDLE);
        surface = graphics::Surface::createHeadless({});
        bench::require(bool(surface), "an off-screen surface");
        ui::Screen::mainScreen().setSurface(surface);
    }

    base::Ref<graphics::Surface> surface;
};

Stage& stage() {
    static Stage instance;
    return instance;
}

// Everything a start makes goes, so that the next one starts cold (the files stay in
// the system's cache, as they would on a second launch).
void resetGame() {
    game::GameGlobals::reset();
    engine::Director::purgeSharedDirector();
    engine::ActionManager::purgeSharedManager();
    engine::Scheduler::purgeSharedScheduler();
    engine::TextureMgr::purgeSharedTextureMgr();
    engine::StaticFileCache::clearCache();
    engine::TouchDispatcher::sharedDispatcher().removeAllDelegates();
    game::SoundEngine::releaseManager();
    game::OpenALEngine::shutdownOpenAlEngine();
    foundation::RunLoop::main().reset();
    foundation::UserDefaults::resetStandardUserDefaults();
}

// Runs a scene on a fresh director in a window of the phone's screen, a frame every
// 1/60 s of the manual clock, until done answers true; answers the frames drawn.
int play(std::function<base::Ref<engine::Scene>()> const& makeScene,
    std::function<bool(int frame)> const& done) {
    stage();
    foundation::ScopedManualClock clock;
    auto bounds = ui::Screen::mainScreen().bounds();
    auto window = ui::Window::create(bounds);
    window->makeKeyAndVisible();
    auto& director = engine::Director::sharedDirector();
    director.setAnimationInterval(1.0 / 60);
    director.attachInView(window.get(), bounds);
    director.runWithScene(makeScene());
    int frames = 0;
    while (!done(frames) && frames < FrameLimit) {
        foundation::RunLoop::main().runFor(1.0 / 60);
        ++frames;
    }
    director.end();
    window = nullptr;
    resetGame();
    return frames;
}

int startToMainMenu() {
    int frames = play([] { return base::ref_cast<engine::Scene>(game::MainScene::node()); },
        [](int) {
            return game::GameGlobals::shared().curProgramState == game::ProgramStateMainMenu;
        });
    bench::require(frames < FrameLimit, "the main-menu state runs");
    return frames;
}

int framesOfAStart() {
    static int frames = startToMainMenu();
    return frames;
}

void startOurs(benchmark::State& state) {
    framesOfAStart();
    for (auto _ : state)
        benchmark::DoNotOptimize(startToMainMenu());
    state.counters["frames"] = framesOfAStart();
}

void emptyScenePeer(benchmark::State& state) {
    int frames = framesOfAStart();
    for (auto _ : state) {
        int drawn = play(
            [] { return engine::Scene::node(); }, [frames](int frame) { return frame >= frames; });
        benchmark::DoNotOptimize(drawn);
    }
    state.counters["frames"] = frames;
}

// Named as bench::compare names its pairs; timed on the wall clock, since the drawing
// runs on the renderer's own threads as well.
int registered = [] {
    for (auto [name, body] : {std::pair {"Start/to the main menu/ours", &startOurs},
             std::pair {"Start/to the main menu/empty scene", &emptyScenePeer}})
        benchmark::RegisterBenchmark(name, body)->Unit(benchmark::kMillisecond)->UseRealTime();
    return 0;
}();

}

#include "ShellStates.hpp"

#include <engine/DirectorServices.hpp>
#include <foundation/PropertyList.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/GameCenter.hpp>
#include <game/progression/Leaderboard.hpp>
#include <graphics/Geometry.hpp>
#include <services/GameKit.hpp>

namespace test {

void writePlist(std::filesystem::path const& path, base::Dictionary const& list) {
    ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(list.copy()), path.string()));
}

void writePicture(std::filesystem::path const& path, int width, int height) {
    graphics::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, {200, 120, 40, 255});
    }
    ASSERT_TRUE(image.writePNG(path));
}

namespace {

base::Value character(int type) {
    auto entry = base::Dictionary::create();
    entry->setObject("type", type);
    return base::Value(entry);
}

base::Value effect(double x, double y) {
    auto entry = base::Dictionary::create();
    entry->setObject("offsetX", x);
    entry->setObject("offsetY", y);
    return base::Value(entry);
}

}

ShellStateTest::ShellStateTest() {
    resetSingletons();
    std::filesystem::create_directories(bundle);
    std::filesystem::create_directories(dir / "home");
    foundation::Bundle::setMainBundlePath(bundle.string());
    foundation::Sandbox::setRoot((dir / "home").string());
    foundation::UserDefaults::resetStandardUserDefaults();
    game::ShellServices::setShared(&services);

    auto sounds = base::Dictionary::create();
    sounds->setObject("click", "click.caf");
    sounds->setObject("coin", "coin.caf");
    writePlist(bundle / "sfxList.plist", *sounds);

    auto effects = base::Dictionary::create();
    effects->setObject("vfxA", effect(0, 0));
    effects->setObject("vfxB", effect(2, 4));
    writePlist(bundle / "vfxList.plist", *effects);

    auto characters = base::Dictionary::create();
    characters->setObject("CUS001", character(0));
    characters->setObject("DOG001", character(1));
    characters->setObject("pony001", character(1));
    characters->setObject("NPC001", character(2));
    characters->setObject("PREZ", character(3));
    characters->setObject("MSBOSS", character(0));
    characters->setObject("CAT001", character(1));
    characters->setObject("ODD", character(9));
    writePlist(bundle / "characterList.plist", *characters);

    for (auto const& name : characters->keys())
        writePicture(bundle / (name + ".png"), 8, 8);
    for (char const* name : {"vfxA.png", "vfxB.png", "Title_Name.png", "Title_Button.png",
             "Title_BFLogo.png", "qby2_title_1.png"})
        writePicture(bundle / name, 16, 16);
    writePicture(bundle / "qby2_title_bg1.png", 480, 320);
    writePicture(bundle / "Loading_BarBg.png", 200, 20);
    writePicture(bundle / "Loading_Bar.png", 192, 12);
    writePicture(bundle / "Title_Bg_iPad.jpg", 64, 48);
    writePicture(bundle / "Loading_BarBg_iPad.png", 400, 40);
    writePicture(bundle / "Loading_Bar_iPad.png", 352, 24);
}

ShellStateTest::~ShellStateTest() {
    if (engine::Director::sharedDirector().runningScene())
        engine::Director::sharedDirector().end();
    window = nullptr;
    resetSingletons();
    game::ShellServices::setShared(nullptr);
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Bundle::setMainBundlePath({});
    foundation::Sandbox::setRoot({});
}

void ShellStateTest::resetSingletons() {
    game::AchievementSystem::releaseManager();
    game::Leaderboard::releaseManager();
    game::GameCenter::releaseManager();
    services::GameKit::reset();
    game::GameGlobals::reset();
    engine::Director::purgeSharedDirector();
    engine::ActionManager::purgeSharedManager();
    engine::Scheduler::purgeSharedScheduler();
    engine::TextureMgr::purgeSharedTextureMgr();
    engine::StaticFileCache::clearCache();
    engine::DirectorServices::install(nullptr);
    auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
    dispatcher.removeAllDelegates();
    dispatcher.setDispatchEvents(true);
    game::SoundEngine::releaseManager();
    game::OpenALEngine::shutdownOpenAlEngine();
    foundation::RunLoop::main().reset();
    ui::Application::reset();
    ui::Screen::reset();
    ui::Device::reset();
}

void ShellStateTest::attachDirector(bool pad) {
    ui::Device::currentDevice().setUserInterfaceIdiom(
        pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
    engine::StaticFileCache::clearCache();
    auto size = pad ? graphics::makeSize(1024, 768) : graphics::makeSize(480, 320);
    window = ui::Window::create(graphics::makeRect(0, 0, size.width, size.height));
    window->makeKeyAndVisible();
    auto& director = engine::Director::sharedDirector();
    director.setPixelFormat(engine::PixelFormatRGBA8888);
    director.attachInView(window.get(), graphics::makeRect(0, 0, size.width, size.height));
}

void ShellStateTest::frame(int count) {
    for (int i = 0; i < count; ++i)
        foundation::RunLoop::main().runFor(1.0 / 60);
}

bool ShellStateTest::frameUntil(std::function<bool()> const& condition, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (condition())
            return true;
        frame();
    }
    return condition();
}

}

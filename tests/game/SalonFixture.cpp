#include "SalonFixture.hpp"

#include <engine/ActionManager.hpp>
#include <engine/Scheduler.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <game/shell/GameGlobals.hpp>
#include <ui/Device.hpp>

namespace test {

namespace {

void resetEngine() {
    engine::ActionManager::purgeSharedManager();
    engine::Scheduler::purgeSharedScheduler();
    engine::TextureMgr::purgeSharedTextureMgr();
    engine::StaticFileCache::clearCache();
    foundation::RunLoop::main().reset();
    game::GameGlobals::reset();
    ui::Device::reset();
}

}

SalonFixture::SalonFixture(int width, int height)
    : GLFixture(width, height)
    , previousRoot(foundation::Sandbox::root())
    , previousBundle(foundation::Bundle::mainBundle().bundlePath()) {
    foundation::Sandbox::setRoot(sandbox.path().string());
    foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
}

SalonFixture::~SalonFixture() {
    foundation::Bundle::setMainBundlePath(previousBundle);
    foundation::Sandbox::setRoot(previousRoot);
}

void SalonFixture::SetUp() {
    GLFixture::SetUp();
    resetEngine();
    layer = engine::SceneNode::node();
    // A running layer, so that the actions of its sprites advance.
    layer->onEnter();
}

void SalonFixture::TearDown() {
    layer->onExit();
    layer = nullptr;
    resetEngine();
    GLFixture::TearDown();
}

void SalonFixture::frames(int count) {
    for (int i = 0; i < count; ++i) {
        foundation::RunLoop::main().runFor(1.0 / 60);
        engine::Scheduler::sharedScheduler().tick(1.0f / 60);
    }
}

}

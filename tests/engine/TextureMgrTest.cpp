#include "TextureRenderFixture.hpp"

#include <engine/Director.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureMgr.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using namespace engine;
using graphics::Rgba;
namespace pvr = test::pvr;

namespace {

class TextureMgrTest : public test::TextureRenderTest {
protected:
    TextureMgr& cache() { return TextureMgr::sharedTextureMgr(); }

    void inBundle(std::string const& name, graphics::Image const& image) {
        test::writePNG(resources->bundle() / name, image);
    }
    void inDataFolder(std::string const& name, graphics::Image const& image) {
        test::writePNG(resources->dataFolder() / name, image);
    }

    graphics::Image const white = test::solidImage(4, 4, {255, 255, 255, 255});
};

TEST_F(TextureMgrTest, ImagesAreCachedUnderTheNameAsPassed) {
    inBundle("bg.png", white);
    auto first = cache().addImage("bg.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(cache().keys(), (std::vector<std::string> {"bg.png"}));
    EXPECT_EQ(cache().addImage("bg.png").get(), first.get());
    // The cache holds one reference; the caller the other.
    EXPECT_EQ(first->retainCount(), 2);
}

TEST_F(TextureMgrTest, JpegNamesLoadAsRGB565AndTheRestAsRGBA4444) {
    // The format follows the name as passed, whatever the file holds.
    inBundle("bg.jpg", white);
    inBundle("bg.png", white);
    inBundle("BG.JPG", white);
    EXPECT_EQ(cache().addImage("bg.jpg")->pixelFormat(), Texture2DPixelFormat::RGB565);
    EXPECT_EQ(cache().addImage("bg.png")->pixelFormat(), Texture2DPixelFormat::RGBA4444);
    EXPECT_EQ(cache().addImage("BG.JPG")->pixelFormat(), Texture2DPixelFormat::RGBA4444);
    EXPECT_EQ(cache().count(), 3u);
}

TEST_F(TextureMgrTest, AMissingImageIsLoggedAndNotCached) {
    test::LogCapture log;
    EXPECT_FALSE(cache().addImage("nowhere.png"));
    EXPECT_TRUE(log.contains("Image is Null"));
    EXPECT_EQ(cache().count(), 0u);
    inBundle("nowhere.png", white);
    EXPECT_TRUE(cache().addImage("nowhere.png"));
}

TEST_F(TextureMgrTest, ACorruptImageIsLoggedAndGivesNoTexture) {
    auto png = *white.encodePNG();
    png.resize(png.size() / 2);
    test::writeBytes(resources->bundle() / "half.png", png);
    test::writeText(resources->bundle() / "text.png", "not an image");
    test::writeBytes(resources->bundle() / "empty.png", {});
    test::LogCapture log;
    for (auto name : {"half.png", "text.png", "empty.png", ""}) {
        EXPECT_FALSE(cache().addImage(name)) << name;
    }
    EXPECT_EQ(cache().count(), 0u);
    EXPECT_GE(log.lines().size(), 4u);
    EXPECT_TRUE(log.contains("Image is Null"));
}

TEST_F(TextureMgrTest, NamesTheBundleLacksAreFoundInTheDataFolder) {
    inDataFolder("pack_visitor.png", test::solidImage(2, 2, {255, 0, 0, 255}));
    auto texture = cache().addImage("pack_visitor.png");
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->contentSize(), (Size {2, 2}));
    EXPECT_TRUE(cache().cachedTexture("pack_visitor.png"));
    // A folder in the name counts only by its last component.
    inDataFolder("thumb.png", white);
    EXPECT_TRUE(cache().addImage("themes/thumb.png"));
    // The device's own path to the folder works too.
    inDataFolder("device.png", white);
    EXPECT_TRUE(cache().addImage("/var/mobile/Library/Marrowby/device.png"));
}

TEST_F(TextureMgrTest, AnUnreadableBundleImageIsRetriedInTheDataFolder) {
    test::writeText(resources->bundle() / "theme_bg.png", "damaged");
    inDataFolder("theme_bg.png", test::solidImage(8, 2, {0, 255, 0, 255}));
    auto texture = cache().addImage("theme_bg.png");
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->contentSize(), (Size {8, 2}));
}

TEST_F(TextureMgrTest, NamesCannotReachOutsideTheDataFolder) {
    test::writePNG(resources->home() / "secret.png", white);
    test::LogCapture log;
    EXPECT_FALSE(cache().addImage("../../secret.png"));
    EXPECT_FALSE(cache().addImage(".."));
}

TEST_F(TextureMgrTest, TheTabletTakesItsOwnArt) {
    inBundle("shop.png", test::solidImage(4, 4, {255, 0, 0, 255}));
    test::writePNG(
        resources->tabletBundle() / "shop.png", test::solidImage(8, 8, {255, 0, 0, 255}));
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    EXPECT_EQ(cache().addImage("shop.png")->contentSize(), (Size {8, 8}));
}

TEST_F(TextureMgrTest, PVRNamesAreCachedUnderTheResolvedPath) {
    auto modulation = pvr::modulation4({{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}});
    auto data = pvr::repeat(pvr::block(modulation, pvr::opaqueColours(31, 0, 0, 0, 0, 31)), 4);
    auto path = resources->bundle() / "title.PVR";
    test::writeBytes(path, pvr::file(8, 8, 0x19, data));
    auto texture = cache().addImage("title.PVR");
    ASSERT_TRUE(texture);
    EXPECT_EQ(cache().keys(), (std::vector<std::string> {path.string()}));
    // Found again through the path, without the file.
    std::filesystem::remove(path);
    EXPECT_EQ(cache().addImage("title.PVR").get(), texture.get());

    test::LogCapture log;
    test::writeText(resources->bundle() / "broken.pvr", "not a PVR file");
    EXPECT_FALSE(cache().addImage("broken.pvr"));
    EXPECT_FALSE(cache().addImage("absent.pvr"));
    EXPECT_EQ(cache().count(), 1u);
}

TEST_F(TextureMgrTest, RawPVRTCDataIsCachedUnderTheName) {
    auto data = pvr::repeat(pvr::block(0, pvr::opaqueColours(31, 0, 0, 0, 0, 31)), 4);
    test::writeBytes(resources->bundle() / "raw.pvrtc", data);
    auto texture = cache().addPVRTCImage("raw.pvrtc", 4, true, 8);
    ASSERT_TRUE(texture);
    EXPECT_EQ(cache().cachedTexture("raw.pvrtc").get(), texture.get());
    test::LogCapture log;
    EXPECT_FALSE(cache().addPVRTCImage("none.pvrtc", 4, true, 8));
    EXPECT_DEATH(cache().addPVRTCImage("raw2.pvrtc", 3, true, 8), "bpp must be either 2 or 4");
}

TEST_F(TextureMgrTest, InMemoryImagesAreSharedByAddress) {
    auto image = test::solidImage(2, 2, {0, 0, 255, 255});
    auto other = test::solidImage(2, 2, {0, 0, 255, 255});
    auto first = Sprite::spriteWithCGImage(image);
    auto second = Sprite::spriteWithCGImage(image);
    auto third = Sprite::spriteWithCGImage(other);
    EXPECT_EQ(first->texture(), second->texture());
    EXPECT_NE(first->texture(), third->texture());
    EXPECT_EQ(cache().cachedTexture(TextureMgr::addressKey(&image)).get(), first->texture());
    EXPECT_EQ(cache().addCGImage(image, "named").get(), cache().addCGImage(image, "named").get());
}

TEST_F(TextureMgrTest, PurgesKeepTexturesThatNodesHold) {
    inBundle("held.png", white);
    inBundle("loose.png", white);
    auto sprite = Sprite::spriteWithFile("held.png");
    cache().addImage("loose.png");
    cache().removeUnusedTextures();
    EXPECT_EQ(cache().keys(), (std::vector<std::string> {"held.png"}));

    cache().removeAllTextures();
    EXPECT_EQ(cache().count(), 0u);
    ASSERT_TRUE(sprite->texture());
    auto again = Sprite::spriteWithFile("held.png");
    EXPECT_NE(again->texture(), sprite->texture());

    // The old sprite still draws its own texture.
    sprite->setPosition({10, 10});
    drawScene(*sprite);
    EXPECT_TRUE(near(rgb(10, 10), {255, 255, 255, 255}));
}

TEST_F(TextureMgrTest, RemovingATextureDropsEveryKeyOfIt) {
    auto image = test::solidImage(2, 2, {0, 0, 255, 255});
    auto texture = cache().addCGImage(image, "one");
    cache().addCGImage(test::solidImage(1, 1, {}), "two");
    cache().removeTexture(texture.get());
    EXPECT_EQ(cache().keys(), (std::vector<std::string> {"two"}));
    cache().removeTexture(nullptr);
    EXPECT_EQ(cache().count(), 1u);
}

TEST_F(TextureMgrTest, PurgingTheCacheMakesANewOne) {
    inBundle("a.png", white);
    cache().addImage("a.png");
    TextureMgr::purgeSharedTextureMgr();
    EXPECT_EQ(cache().count(), 0u);
    EXPECT_DEATH(
        base::make<TextureMgr>(), "Attempted to allocate a second instance of a singleton.");
}

TEST_F(TextureMgrTest, EndingTheDirectorReleasesTheCache) {
    inBundle("a.png", white);
    auto texture = cache().addImage("a.png");
    EXPECT_EQ(texture->retainCount(), 2);
    Director::sharedDirector().end();
    EXPECT_EQ(texture->retainCount(), 1);
    EXPECT_EQ(cache().count(), 0u);
    Director::purgeSharedDirector();
}

// Background loads

class Receiver : public base::Object {
public:
    int calls {0};
    bool onMainThread {false};
    base::Ref<Texture2D> received;

    void textureLoaded(Texture2D* texture) {
        ++calls;
        onMainThread = foundation::Thread::isMainThread();
        received = base::Ref<Texture2D>(texture);
    }

protected:
    friend base::Factory;

    Receiver() = default;
};

TEST_F(TextureMgrTest, BackgroundLoadsFinishOnTheMainRunLoop) {
    inBundle("async.png", test::solidImage(2, 2, {255, 0, 0, 255}));
    auto receiver = base::make<Receiver>();
    Receiver* target = receiver.get();
    cache().addImageAsync(
        "async.png", receiver, [target](Texture2D* t) { target->textureLoaded(t); });
    EXPECT_EQ(receiver->calls, 0);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return receiver->calls > 0; }, 10));
    EXPECT_EQ(receiver->calls, 1);
    EXPECT_TRUE(receiver->onMainThread);
    ASSERT_TRUE(receiver->received);
    EXPECT_EQ(cache().cachedTexture("async.png").get(), receiver->received.get());
    EXPECT_EQ(receiver->received->pixelFormat(), Texture2DPixelFormat::RGBA4444);

    // A cached name answers at once.
    cache().addImageAsync(
        "async.png", receiver, [target](Texture2D* t) { target->textureLoaded(t); });
    EXPECT_EQ(receiver->calls, 2);
    EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
}

TEST_F(TextureMgrTest, ABackgroundLoadOfAMissingImageAnswersNothing) {
    auto receiver = base::make<Receiver>();
    Receiver* target = receiver.get();
    test::LogCapture log;
    cache().addImageAsync(
        "missing.png", receiver, [target](Texture2D* t) { target->textureLoaded(t); });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return receiver->calls > 0; }, 10));
    EXPECT_FALSE(receiver->received);
    EXPECT_EQ(cache().count(), 0u);
    EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
}

}

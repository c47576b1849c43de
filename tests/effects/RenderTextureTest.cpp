#include "EffectsFixture.hpp"

#include <effects/RenderTexture.hpp>

#include <engine/Layer.hpp>
#include <engine/Sprite.hpp>
#include <engine/Texture2D.hpp>
#include <foundation/Sandbox.hpp>
#include <support/TempDir.hpp>

#include <cstdlib>
#include <fstream>

using namespace effects;
using engine::Color4B;
using engine::ColorLayer;

namespace {

using RenderTextureTest = test::EffectsTest;

bool near(graphics::Rgba p, int r, int g, int b, int tolerance = 3) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance
        && std::abs(p.b - b) <= tolerance;
}

// Red below, blue in the top half of a 64 x 32 texture, drawn under a 2D projection of the
// texture's own size.
void drawHalves(RenderTexture& target) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    target.begin();
    glViewport(0, 0, 64, 32);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrthof(0, 64, 0, 32, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}, 64, 16)->visit();
    auto top = ColorLayer::layerWithColor(Color4B {0, 0, 255, 255}, 64, 16);
    top->setPosition({0, 16});
    top->visit();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    target.end();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

}

TEST_F(RenderTextureTest, TheTextureIsAPowerOfTwoOfAtLeastEight) {
    struct Case {
        int w, h;
        unsigned side;
    };
    for (auto c : {Case {480, 320, 512}, Case {5, 5, 8}, Case {8, 9, 16}, Case {1, 100, 128}}) {
        auto target = RenderTexture::renderTextureWithWidth(c.w, c.h);
        EXPECT_EQ(target->texture()->pixelsWide(), c.side) << c.w << "x" << c.h;
        EXPECT_EQ(target->texture()->pixelsHigh(), c.side);
        EXPECT_EQ(target->texture()->contentSize(), (engine::Size {float(c.w), float(c.h)}));
        EXPECT_EQ(target->sprite()->scaleY(), -1);
        EXPECT_EQ(target->sprite()->parent(), target.get());
    }
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &bound);
    EXPECT_EQ(GLuint(bound), framebuffer());
}

TEST_F(RenderTextureTest, DrawingBetweenBeginAndEndGoesIntoTheTextureReadBackUpright) {
    auto target = RenderTexture::renderTextureWithWidth(64, 32);
    glClearColor(0.25f, 0.5f, 0.75f, 1);
    target->clear(0, 1, 0, 1);
    // The clear colour of the frame is put back.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[1], 0.5f);
    EXPECT_EQ(clear[3], 1.0f);
    auto cleared = target->getUIImageFromBuffer();
    ASSERT_EQ(cleared.width(), 64);
    ASSERT_EQ(cleared.height(), 32);
    EXPECT_TRUE(near(cleared.pixel(10, 10), 0, 255, 0));

    drawHalves(*target);
    auto image = target->getUIImageFromBuffer();
    // The top of the drawing is the image's top row.
    EXPECT_TRUE(near(image.pixel(5, 2), 0, 0, 255)) << image.pixel(5, 2);
    EXPECT_TRUE(near(image.pixel(5, 29), 255, 0, 0)) << image.pixel(5, 29);
    // The screen's framebuffer was not drawn on.
    EXPECT_TRUE(near(pixel(5, 5), 0, 0, 0));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_FALSE(mask[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

TEST_F(RenderTextureTest, SavesAPNGAndAJPEGIntoTheDocumentsFolderAndRefusesNamesLeavingIt) {
    test::TempDir home;
    std::string previousRoot = foundation::Sandbox::root();
    foundation::Sandbox::setRoot(home.path().string());
    auto target = RenderTexture::renderTextureWithWidth(64, 32);
    target->clear(0, 0, 0, 1);
    drawHalves(*target);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    std::string documents = foundation::Sandbox::documentsPath();
    ASSERT_TRUE(target->saveBuffer("shot.png", ImageFormatPNG));
    ASSERT_TRUE(target->saveBuffer("shot.jpg"));
    // The format decides, whatever the name says.
    ASSERT_TRUE(target->saveBuffer("named.png", ImageFormatJPG));
    for (auto const& name : {"shot.png", "shot.jpg", "named.png"}) {
        auto decoded = graphics::Image::decodeFile(documents + "/" + name);
        ASSERT_TRUE(decoded) << name;
        EXPECT_EQ(decoded->width(), 64);
        EXPECT_EQ(decoded->height(), 32);
        int tolerance = std::string(name) == "shot.png" ? 0 : 8;
        EXPECT_TRUE(near(decoded->pixel(10, 4), 0, 0, 255, tolerance))
            << name << decoded->pixel(10, 4);
        EXPECT_TRUE(near(decoded->pixel(10, 27), 255, 0, 0, tolerance))
            << name << decoded->pixel(10, 27);
    }
    std::ifstream jpeg(documents + "/named.png", std::ios::binary);
    char magic[2] {};
    jpeg.read(magic, 2);
    EXPECT_EQ(std::uint8_t(magic[0]), 0xFF);
    EXPECT_EQ(std::uint8_t(magic[1]), 0xD8);

    for (auto const& name : {"../escape.png", "/tmp/absolute.png", "", "a/../../b.png"})
        EXPECT_FALSE(target->saveBuffer(name, ImageFormatPNG)) << name;
    EXPECT_FALSE(std::filesystem::exists(home.path() / "escape.png"));
    foundation::Sandbox::setRoot(previousRoot);
}

TEST_F(RenderTextureTest, TheNodeShowsItsTextureUprightThroughItsSprite) {
    auto target = RenderTexture::renderTextureWithWidth(64, 32);
    target->clear(0, 0, 0, 1);
    drawHalves(*target);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    auto root = engine::SceneNode::node();
    target->setPosition({100, 100});
    root->addChild(target);
    drawFrame(*root);
    // The sprite is centred on the node: blue above the centre line, red below.
    EXPECT_TRUE(near(pixel(100, 110), 0, 0, 255)) << pixel(100, 110);
    EXPECT_TRUE(near(pixel(100, 90), 255, 0, 0)) << pixel(100, 90);
}

#pragma once

#include "TextureRenderFixture.hpp"

#include <engine/BitmapFontConfiguration.hpp>
#include <graphics/Font.hpp>
#include <support/LogCapture.hpp>
#include <support/TestFont.hpp>
#include <ttf/FontManager.hpp>

namespace test {

// The texture fixture with the box test font in the bundle as "Box.ttf" and known to the
// platform under the same name, and fresh font and bitmap-font caches.
class TextRenderTest : public TextureRenderTest {
protected:
    void SetUp() override {
        TextureRenderTest::SetUp();
        ttf::FontManager::purgeSharedManager();
        engine::purgeCachedFontConfigurations();
        writeTestFont(resources->bundle() / "Box.ttf");
        ASSERT_TRUE(graphics::Font::registerFontFile("Box", resources->bundle() / "Box.ttf"));
    }
    void TearDown() override {
        ttf::FontManager::purgeSharedManager();
        engine::purgeCachedFontConfigurations();
        graphics::Font::removeRegisteredFonts();
        TextureRenderTest::TearDown();
    }

    // The sum of red, green and blue over the framebuffer's pixels inside and outside the
    // rectangle (x0, y0) to (x1, y1), GL pixels from the bottom-left, ends excluded.
    InkSplit inkAroundGL(int x0, int y0, int x1, int y1) const {
        InkSplit split;
        auto frame = image();
        for (int y = 0; y < height(); ++y) {
            for (int x = 0; x < width(); ++x) {
                auto p = frame.pixel(x, height() - 1 - y);
                bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
                (in ? split.inside : split.outside) += p.r + p.g + p.b;
            }
        }
        return split;
    }
};

}

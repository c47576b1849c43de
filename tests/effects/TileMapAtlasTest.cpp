#include "TMXFixture.hpp"

#include <effects/TGALib.hpp>
#include <effects/TileMapAtlas.hpp>

#include <base/Exception.hpp>
#include <engine/TextureAtlas.hpp>

using namespace effects;
using engine::Color3B;
using engine::Point;

namespace {

using Bytes = std::vector<std::uint8_t>;

// An 18-byte TGA header, then whatever follows.
Bytes tga(int type, int width, int height, int depth, Bytes const& body, int descriptor = 0,
    int idLength = 0, int colourMapType = 0, int colourMapLength = 0, int colourMapBits = 0) {
    Bytes out = {std::uint8_t(idLength), std::uint8_t(colourMapType), std::uint8_t(type), 0, 0,
        std::uint8_t(colourMapLength), std::uint8_t(colourMapLength >> 8),
        std::uint8_t(colourMapBits), 0, 0, 0, 0, std::uint8_t(width), std::uint8_t(width >> 8),
        std::uint8_t(height), std::uint8_t(height >> 8), std::uint8_t(depth),
        std::uint8_t(descriptor)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes operator+(Bytes a, Bytes const& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes repeat(std::uint8_t value, std::size_t count) {
    return Bytes(count, value);
}

}

TEST(TGALibTest, ImagesLoadWithTheirOwnPixelSizeAndStatus) {
    struct Case {
        std::string name;
        Bytes file;
        int status;
        Bytes pixels;
    };
    Case cases[] = {
        {"24-bit BGR becomes RGB", tga(2, 2, 1, 24, {1, 2, 3, 4, 5, 6}), TgaOk, {3, 2, 1, 6, 5, 4}},
        {"32-bit keeps its alpha in place", tga(2, 1, 1, 32, {10, 20, 30, 40}), TgaOk,
            {30, 20, 10, 40}},
        {"8-bit grey", tga(3, 3, 1, 8, {7, 8, 9}), TgaOk, {7, 8, 9}},
        {"run of four and four literals",
            tga(10, 8, 1, 24,
                Bytes {0x83, 1, 2, 3} + Bytes {0x03, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
            TgaOk, {3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13}},
        {"a run past the last pixel stops there", tga(10, 2, 1, 32, {0x85, 1, 2, 3, 4}), TgaOk,
            {3, 2, 1, 4, 3, 2, 1, 4}},
        {"ID field and colour map skipped",
            tga(2, 1, 1, 24, Bytes {'i', 'd'} + repeat(0xEE, 2 * 3) + Bytes {1, 2, 3}, 0, 2, 1, 2,
                24),
            TgaOk, {3, 2, 1}},
        {"colour-mapped", tga(1, 1, 1, 8, {0}), TgaIndexedColour, {}},
        {"run-length colour-mapped", tga(9, 1, 1, 8, {0}), TgaUnsupportedType, {}},
        {"run-length grey", tga(11, 1, 1, 8, {0}), TgaUnsupportedType, {}},
        {"8-bit true colour", tga(2, 1, 1, 8, {0}), TgaUnsupportedType, {}},
        {"16-bit true colour", tga(2, 1, 1, 16, {0, 0}), TgaUnsupportedType, {}},
        {"24-bit grey", tga(3, 1, 1, 24, {0, 0, 0}), TgaUnsupportedType, {}},
        {"short header", Bytes {0, 0, 2, 0, 0}, TgaReadError, {}},
        {"empty file", Bytes {}, TgaReadError, {}},
        {"short pixels", tga(2, 2, 2, 24, repeat(1, 11)), TgaReadError, {}},
        {"short run-length data", tga(10, 4, 1, 24, {0x01, 1, 2, 3}), TgaReadError, {}},
        {"run-length data far too short for its size", tga(10, 1000, 1000, 24, {0xFF, 1, 2, 3}),
            TgaReadError, {}},
        {"run-length pixel cut", tga(10, 1, 1, 24, {0x00, 1, 2}), TgaReadError, {}},
        {"colour map past the end", tga(2, 1, 1, 24, {1, 2, 3}, 0, 0, 1, 100, 24), TgaReadError,
            {}},
        {"negative width", tga(2, -2, 1, 24, repeat(0, 6)), TgaReadError, {}},
        {"zero height", tga(2, 4, 0, 24, {}), TgaReadError, {}},
        {"oversized", tga(2, 32767, 32767, 32, {}), TgaNoMemory, {}},
        // Refused for their length before the pixels are set aside.
        {"large and far too short", tga(2, 4000, 4000, 32, {1, 2, 3, 4}), TgaReadError, {}},
        {"large run-length data far too short", tga(10, 4000, 4000, 32, {0xFF, 1, 2, 3, 4}),
            TgaReadError, {}},
    };
    for (Case const& c : cases) {
        TGAImage image = loadTgaImage(std::span<std::uint8_t const>(c.file));
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->status, c.status) << c.name;
        if (c.status == TgaOk) {
            EXPECT_EQ(image->imageData, c.pixels) << c.name;
        } else {
            EXPECT_TRUE(image->imageData.empty()) << c.name;
        }
    }
    auto missing = loadTgaImage(std::string("/nonexistent/map.tga"));
    EXPECT_EQ(missing->status, TgaCannotOpen);
    freeTgaImage(missing);
    EXPECT_FALSE(missing);
}

TEST(TGALibTest, TopFirstImagesAreFlippedBottomFirst) {
    // Three rows of one grey pixel, top first: the middle row stays.
    auto image = loadTgaImage(std::span<std::uint8_t const>(tga(3, 1, 3, 8, {1, 2, 3}, 0x20)));
    EXPECT_EQ(image->status, TgaOk);
    EXPECT_EQ(image->flipped, 0);
    EXPECT_EQ(image->imageData, (Bytes {3, 2, 1}));
    auto even = loadTgaImage(std::span<std::uint8_t const>(tga(3, 2, 2, 8, {1, 2, 3, 4}, 0x20)));
    EXPECT_EQ(even->imageData, (Bytes {3, 4, 1, 2}));
    auto plain = loadTgaImage(std::span<std::uint8_t const>(tga(3, 1, 2, 8, {1, 2})));
    EXPECT_EQ(plain->imageData, (Bytes {1, 2}));
}

namespace {

// A tile sheet of 4 x 2 items of 32 x 32 (the TMX fixture's "tiles.png") and maps beside it.
class TileMapAtlasTest : public test::TMXTest {
protected:
    void writeTGA(std::string const& name, Bytes const& file) {
        test::writeBytes(resources->bundle() / name, file);
        engine::StaticFileCache::clearCache();
    }

    // R values 0, 3, 5, 0 at cells (0,0), (1,0), (0,1), (1,1), in 24 bits (stored B, G, R).
    void writeSmallMap(std::string const& name = "map.tga") {
        writeTGA(name, tga(2, 2, 2, 24, {0, 0, 0, 9, 8, 3, 0, 0, 5, 0, 0, 0}));
    }
};

}

TEST_F(TileMapAtlasTest, CellsWithATileBecomeQuadsColumnByColumn) {
    writeSmallMap();
    auto atlas = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "map.tga", 32, 32);
    ASSERT_TRUE(atlas);
    EXPECT_EQ(atlas->itemsToRender(), 2);
    EXPECT_EQ(atlas->textureAtlas()->totalQuads(), 2u);
    EXPECT_EQ(atlas->contentSize(), (engine::Size {64, 64}));
    EXPECT_EQ(atlas->atlasIndexFor({0, 1}), 0);
    EXPECT_EQ(atlas->atlasIndexFor({1, 0}), 1);
    EXPECT_EQ(atlas->atlasIndexFor({0, 0}), -1);
    EXPECT_EQ(atlas->tileAt({1, 0}), (Color3B {3, 8, 9}));
    EXPECT_EQ(atlas->tileAt({0, 0}), (Color3B {0, 0, 0}));

    // Four items a row: tile 5 is row 1, column 1; the sheet is 128 x 64.
    EXPECT_EQ(atlas->itemsPerRow(), 4);
    auto const& q = atlas->textureAtlas()->quads()[0];
    EXPECT_EQ(q.tl.vertices, (engine::Vertex3F {0, 64, 0}));
    EXPECT_EQ(q.bl.vertices, (engine::Vertex3F {0, 32, 0}));
    EXPECT_EQ(q.tr.vertices, (engine::Vertex3F {32, 64, 0}));
    EXPECT_EQ(q.br.vertices, (engine::Vertex3F {32, 32, 0}));
    EXPECT_EQ(q.tl.texCoords, (engine::Tex2F {0.25f, 0.5f}));
    EXPECT_EQ(q.bl.texCoords, (engine::Tex2F {0.25f, 1.0f}));
    EXPECT_EQ(q.tr.texCoords, (engine::Tex2F {0.5f, 0.5f}));
    EXPECT_EQ(q.br.texCoords, (engine::Tex2F {0.5f, 1.0f}));
    auto const& second = atlas->textureAtlas()->quads()[1];
    EXPECT_EQ(second.bl.vertices, (engine::Vertex3F {32, 0, 0}));
    EXPECT_EQ(second.tl.texCoords, (engine::Tex2F {0.75f, 0}));
}

TEST_F(TileMapAtlasTest, OnlyCellsThatHadATileChange) {
    writeSmallMap();
    auto atlas = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "map.tga", 32, 32);
    auto before = atlas->textureAtlas()->quads()[0];
    atlas->setTile({1, 2, 3}, {0, 0});
    EXPECT_EQ(atlas->tileAt({0, 0}), (Color3B {0, 0, 0}));
    EXPECT_EQ(atlas->textureAtlas()->quads()[0], before);
    EXPECT_EQ(atlas->textureAtlas()->totalQuads(), 2u);

    atlas->setTile({2, 7, 7}, {0, 1});
    EXPECT_EQ(atlas->tileAt({0, 1}), (Color3B {2, 7, 7}));
    EXPECT_EQ(atlas->textureAtlas()->quads()[0].tl.texCoords, (engine::Tex2F {0.5f, 0}));
    EXPECT_EQ(atlas->textureAtlas()->quads()[1], atlas->textureAtlas()->quads()[1]);

    atlas->releaseMap();
    EXPECT_FALSE(atlas->tgaInfo());
    EXPECT_EQ(atlas->textureAtlas()->totalQuads(), 2u);
}

TEST_F(TileMapAtlasTest, GreyAndAlphaMapsAreReadWithTheirOwnPixelSize) {
    // 8-bit grey: the grey value is the tile.
    writeTGA("grey.tga", tga(3, 3, 1, 8, {0, 2, 1}));
    auto grey = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "grey.tga", 32, 32);
    EXPECT_EQ(grey->itemsToRender(), 2);
    EXPECT_EQ(grey->tileAt({1, 0}), (Color3B {2, 2, 2}));
    EXPECT_EQ(grey->atlasIndexFor({2, 0}), 1);
    grey->setTile({6, 0, 0}, {2, 0});
    EXPECT_EQ(grey->tileAt({2, 0}), (Color3B {6, 6, 6}));
    EXPECT_EQ(grey->tgaInfo()->imageData, (Bytes {0, 2, 6}));

    // 32 bits: four bytes a cell, the alpha kept.
    writeTGA("alpha.tga", tga(2, 2, 1, 32, {0, 0, 4, 255, 0, 0, 0, 255}));
    auto alpha = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "alpha.tga", 32, 32);
    EXPECT_EQ(alpha->itemsToRender(), 1);
    EXPECT_EQ(alpha->tileAt({0, 0}), (Color3B {4, 0, 0}));
    EXPECT_EQ(alpha->tileAt({1, 0}), (Color3B {0, 0, 0}));
    alpha->setTile({7, 1, 2}, {0, 0});
    EXPECT_EQ(alpha->tgaInfo()->imageData, (Bytes {7, 1, 2, 255, 0, 0, 0, 255}));
}

TEST_F(TileMapAtlasTest, AMapThatDoesNotLoadRaises) {
    writeTGA("short.tga", tga(2, 4, 4, 24, {1, 2, 3}));
    writeTGA("indexed.tga", tga(1, 1, 1, 8, {0}));
    for (std::string name : {"short.tga", "indexed.tga", "absent.tga"}) {
        try {
            TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", name, 32, 32);
            FAIL() << name << " loaded";
        } catch (base::Exception const& e) {
            EXPECT_EQ(e.name(), "TileMapAtlasLoadTGA");
            EXPECT_EQ(e.reason(), "TileMapAtas cannot load TGA file");
        }
    }
}

TEST_F(TileMapAtlasTest, TheMapDrawsItsTiles) {
    writeSmallMap();
    auto atlas = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "map.tga", 32, 32);
    atlas->setPosition({50, 50});
    drawFrame(*atlas);
    // Cell (1, 0) shows tile 3 at (82..114, 50..82); cell (0, 1) tile 5 at (50..82, 82..114).
    for (auto [x, y, tile] : {std::tuple {98, 66, 3}, std::tuple {66, 98, 5}}) {
        auto got = pixel(x, y);
        auto want = test::tmx::tileColour(tile);
        EXPECT_NEAR(got.r, want.r, 16) << tile;
        EXPECT_NEAR(got.g, want.g, 16) << tile;
        EXPECT_NEAR(got.b, want.b, 16) << tile;
    }
    auto empty = pixel(66, 66);
    EXPECT_EQ(empty.r + empty.g + empty.b, 0);
}

using TileMapAtlasDeathTest = TileMapAtlasTest;

TEST_F(TileMapAtlasDeathTest, BadPositionsAndEmptyTilesAreRefused) {
    writeSmallMap();
    auto atlas = TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "map.tga", 32, 32);
    EXPECT_DEATH(atlas->setTile({0, 1, 1}, {0, 1}), "R component must be non 0");
    EXPECT_DEATH(atlas->setTile({1, 1, 1}, {2, 0}), "Invalid position.x");
    EXPECT_DEATH(atlas->tileAt({0, 2}), "Invalid position.y");
    EXPECT_DEATH(atlas->tileAt({-1, 0}), "Invalid position.x");
    atlas->releaseMap();
    EXPECT_DEATH(atlas->tileAt({0, 0}), "tgaInfo must not be nil");
    EXPECT_DEATH(atlas->updateAtlasValues(), "tgaInfo must be non-nil");
    EXPECT_DEATH(
        TileMapAtlas::tileMapAtlasWithTileFile("tiles.png", "", 32, 32), "file must be non-nil");
}

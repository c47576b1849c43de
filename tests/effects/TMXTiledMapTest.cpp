#include "TMXFixture.hpp"

#include <effects/TMXDecoding.hpp>
#include <effects/TMXTiledMap.hpp>

#include <engine/AtlasSprite.hpp>
#include <support/LogCapture.hpp>

#include <zlib.h>

using namespace effects;
using engine::Point;
using engine::Rect;
using namespace test::tmx;

namespace {

using TMXTiledMapTest = test::TMXTest;

std::vector<std::uint8_t> bytesOf(std::string const& text) {
    return {text.begin(), text.end()};
}

}

TEST(TMXDecodingTest, Base64SkipsForeignBytesAndStopsAtPadding) {
    struct Case {
        std::string text;
        std::optional<std::string> decoded;
    };
    Case cases[] = {
        {"QQ==", "A"},
        {"QUI=", "AB"},
        {"QUJD", "ABC"},
        {"QU\nJD\r\n RA==", "ABCD"},
        // Characters left over without padding are dropped; padding ends the input.
        {"QUJDRA", "ABC"},
        {"QUJD=QUJD", "ABC"},
        {"", ""},
        {"Q===", std::nullopt},
    };
    for (Case const& c : cases) {
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        auto decoded = Base64Utils(bytesOf(c.text));
        std::string err = testing::internal::GetCapturedStderr();
        std::string out = testing::internal::GetCapturedStdout();
        ASSERT_EQ(decoded.has_value(), c.decoded.has_value()) << c.text;
        if (decoded) {
            EXPECT_EQ(std::string(decoded->begin(), decoded->end()), *c.decoded) << c.text;
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(err, "base64Decode: encoding incomplete: at least 2 bits missing\n");
            EXPECT_EQ(out, "Base64Utils: error decoding\n");
        }
    }
}

TEST(TMXDecodingTest, BothHeadersInflateAndLargeOutputDoublesTheBuffer) {
    std::vector<std::uint8_t> big(700 * 1024);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = std::uint8_t(i * 7 % 251);
    for (bool gzip : {true, false}) {
        auto inflated = inflateBytes(deflateBytes(big, gzip));
        ASSERT_TRUE(inflated) << gzip;
        EXPECT_EQ(*inflated, big);
    }
    auto small = inflateBytes(deflateBytes(gidBytes({1, 2, 3}), true));
    ASSERT_TRUE(small);
    EXPECT_EQ(*small, gidBytes({1, 2, 3}));
}

TEST(TMXDecodingTest, DamagedAndBombLikeStreamsEndWithAnError) {
    std::vector<std::uint8_t> zeros(2 * 1024 * 1024, 0);
    auto stream = deflateBytes(zeros, true);
    std::vector<std::uint8_t> out;

    // Cut short: a data error instead of a buffer that grows without end.
    std::vector<std::uint8_t> cut(stream.begin(), stream.begin() + long(stream.size() / 2));
    EXPECT_EQ(inflateBytesCore(cut, out), Z_DATA_ERROR);
    EXPECT_FALSE(inflateBytes(cut));

    // More output than the limit allows.
    EXPECT_EQ(inflateBytesCore(stream, out, 1024 * 1024), Z_DATA_ERROR);
    EXPECT_LE(out.size(), 1024u * 1024 + 1);
    // Exactly at the limit is fine.
    EXPECT_EQ(inflateBytesCore(stream, out, zeros.size()), Z_OK);
    EXPECT_EQ(out.size(), zeros.size());

    EXPECT_FALSE(inflateBytes(bytesOf("not a stream at all")));
    EXPECT_FALSE(inflateBytes({}));
    auto corrupt = deflateBytes(gidBytes({5, 6, 7, 8}), false);
    corrupt[corrupt.size() - 1] ^= 0xFF;
    EXPECT_FALSE(inflateBytes(corrupt));
}

TEST_F(TMXTiledMapTest, TheMapRecordsHoldTheFileAttributes) {
    auto info = TMXMapInfo::formatWithXML(map("isometric", 3, 2, 64, 32,
        tileset("tiles.png", 5, 32, 2, 1)
            + layer("ground", 3, 2, {5, 6, 0, 0, 7, 8}, "", " opacity=\"0.5\"")
            + layer("hidden", 3, 2, {0, 0, 0, 0, 0, 0}, "gzip", " visible=\"0\"")));
    EXPECT_EQ(info->orientation(), TMXOrientationIso);
    EXPECT_EQ(info->mapSize(), (engine::Size {3, 2}));
    EXPECT_EQ(info->tileSize(), (engine::Size {64, 32}));
    ASSERT_EQ(info->tilesets().size(), 1u);
    auto const& set = *info->tilesets()[0];
    EXPECT_EQ(set.name, "ground");
    EXPECT_EQ(set.firstGid, 5);
    EXPECT_EQ(set.spacing, 2);
    EXPECT_EQ(set.margin, 1);
    EXPECT_EQ(set.tileSize, (engine::Size {32, 32}));
    EXPECT_EQ(set.sourceImage, "tiles.png");
    ASSERT_EQ(info->layers().size(), 2u);
    auto const& ground = *info->layers()[0];
    EXPECT_EQ(ground.name, "ground");
    EXPECT_TRUE(ground.visible);
    EXPECT_EQ(ground.opacity, 127);
    ASSERT_TRUE(ground.hasTiles);
    EXPECT_EQ(ground.tiles, (std::vector<std::uint32_t> {5, 6, 0, 0, 7, 8}));
    EXPECT_FALSE(info->layers()[1]->visible);
    EXPECT_EQ(info->layers()[1]->opacity, 255);
    EXPECT_TRUE(info->layers()[1]->hasTiles);

    for (auto [text, orientation] :
        {std::pair {"orthogonal", TMXOrientationOrtho}, std::pair {"hexagonal", TMXOrientationHex},
            std::pair {"oblique", TMXOrientationOrtho}}) {
        EXPECT_EQ(TMXMapInfo::formatWithXML(map(text, 1, 1, 8, 8, ""))->orientation(), orientation);
    }
}

TEST_F(TMXTiledMapTest, TileRectanglesComeFromTheGID) {
    auto set = TMXTilesetInfo::create();
    set->firstGid = 1;
    set->tileSize = {32, 32};
    set->imageSize = {256, 256};
    EXPECT_EQ(set->tileForGID(1 + 9), (Rect {{32, 32}, {32, 32}}));
    EXPECT_EQ(set->tileForGID(1), (Rect {{0, 0}, {32, 32}}));
    set->spacing = 2;
    set->margin = 1;
    // (256 - 2 + 2) / 34 = 7 columns.
    EXPECT_EQ(set->columns(), 7);
    EXPECT_EQ(set->tileForGID(1 + 8), (Rect {{35, 35}, {32, 32}}));
    // GIDs outside the tileset, and a tileset whose tiles do not fit, give no rectangle.
    EXPECT_FALSE(set->hasGID(0));
    EXPECT_FALSE(set->hasGID(1 + 49));
    EXPECT_TRUE(set->hasGID(1 + 48));
    set->tileSize = {0, 0};
    set->spacing = 0;
    EXPECT_EQ(set->columns(), 0);
    EXPECT_EQ(set->tileForGID(3), (Rect {{0, 0}, {0, 0}}));
}

TEST_F(TMXTiledMapTest, LayersOfEveryEncodingBuildTheirTiles) {
    std::vector<std::uint32_t> gids = {1, 2, 0, 8, 0, 3};
    for (std::string compression : {"", "gzip", "zlib"}) {
        auto mapInfo = TMXMapInfo::formatWithXML(
            map("orthogonal", 3, 2, 32, 32, tileset() + layer("a", 3, 2, gids, compression)));
        auto tiled = TMXTiledMap::tiledMapWithMapInfo(*mapInfo);
        ASSERT_TRUE(tiled) << compression;
        TMXLayer* a = tiled->layerNamed("a");
        ASSERT_TRUE(a);
        EXPECT_EQ(a->children().size(), 4u) << compression;
        EXPECT_EQ(a->tileGIDAt({2, 1}), 3u);
        EXPECT_EQ(a->tileAt({2, 0}), nullptr);
        EXPECT_EQ(a->tileAt({1, 1}), nullptr);
        auto* tile = a->tileAt({0, 0});
        ASSERT_TRUE(tile);
        EXPECT_EQ(tile->tag(), 0);
        EXPECT_EQ(tile->textureRect(), (Rect {{0, 0}, {32, 32}}));
        ASSERT_TRUE(a->tileAt({0, 1}));
        EXPECT_EQ(a->tileAt({0, 1})->textureRect(), (Rect {{96, 32}, {32, 32}}));
        EXPECT_EQ(a->tileAt({0, 1})->zOrder(), 3);
        ASSERT_TRUE(a->tileAt({2, 1}));
        EXPECT_EQ(a->tileAt({2, 1})->tag(), 5);
        EXPECT_EQ(a->tileAt({2, 1})->anchorPoint(), (Point {0, 0}));
        EXPECT_EQ(a->tileset()->imageSize, (engine::Size {128, 64}));
    }
}

TEST_F(TMXTiledMapTest, AMapFileLoadsFromTheBundle) {
    writeMap("level.tmx",
        map("orthogonal", 4, 10, 32, 32,
            tileset() + layer("back", 4, 10, std::vector<std::uint32_t>(40, 1), "gzip")
                + layer("ghost", 4, 10, std::vector<std::uint32_t>(40, 2), "", " visible=\"0\"")
                + layer("front", 2, 12, std::vector<std::uint32_t>(24, 4))));
    auto tiled = TMXTiledMap::tiledMapWithTMXFile("level.tmx");
    ASSERT_TRUE(tiled);
    EXPECT_EQ(tiled->mapSize(), (engine::Size {4, 10}));
    EXPECT_EQ(tiled->tileSize(), (engine::Size {32, 32}));
    EXPECT_EQ(tiled->mapOrientation(), TMXOrientationOrtho);
    // Tags and z orders count visible layers; the content is the larger of the layers.
    ASSERT_EQ(tiled->children().size(), 2u);
    EXPECT_EQ(tiled->getChildByTag(0), tiled->layerNamed("back"));
    EXPECT_EQ(tiled->getChildByTag(1), tiled->layerNamed("front"));
    EXPECT_EQ(tiled->layerNamed("front")->zOrder(), 1);
    EXPECT_EQ(tiled->layerNamed("ghost"), nullptr);
    EXPECT_EQ(tiled->layerNamed("back")->contentSize(), (engine::Size {128, 320}));
    EXPECT_EQ(tiled->contentSize(), (engine::Size {128, 384}));
    // Height 10, tile height 32: the top row at 288, the bottom row at 0.
    EXPECT_EQ(tiled->layerNamed("back")->tileAt({0, 0})->position(), (Point {0, 288}));
    EXPECT_EQ(tiled->layerNamed("back")->tileAt({0, 9})->position(), (Point {0, 0}));
}

TEST_F(TMXTiledMapTest, PositionsFollowTheOrientation) {
    struct Case {
        std::string orientation;
        Point cell;
        Point position;
    };
    // A 4 x 3 layer of 32 x 16 tiles.
    Case cases[] = {
        {"orthogonal", {0, 0}, {0, 32}},
        {"orthogonal", {3, 2}, {96, 0}},
        {"isometric", {0, 0}, {48, 32}},
        {"isometric", {3, 0}, {96, 8}},
        {"isometric", {1, 2}, {32, 8}},
        // Hexagonal: x steps by three quarters of a tile; odd columns half a tile lower.
        {"hexagonal", {0, 1}, {24 * 0, 16}},
        {"hexagonal", {1, 1}, {24, 8}},
        {"hexagonal", {2, 1}, {48, 16}},
        {"hexagonal", {3, 2}, {72, -7}},
    };
    for (Case const& c : cases) {
        auto info = TMXMapInfo::formatWithXML(map(c.orientation, 4, 3, 32, 16,
            tileset() + layer("l", 4, 3, std::vector<std::uint32_t>(12, 1))));
        auto tiled = TMXTiledMap::tiledMapWithMapInfo(*info);
        ASSERT_TRUE(tiled);
        TMXLayer* l = tiled->layerNamed("l");
        EXPECT_EQ(l->positionAt(c.cell), c.position)
            << c.orientation << " " << c.cell.x << "," << c.cell.y;
        EXPECT_EQ(l->tileAt(c.cell)->position(), c.position) << c.orientation;
    }
}

TEST_F(TMXTiledMapTest, TilesAreChangedAddedAndRemoved) {
    auto info = TMXMapInfo::formatWithXML(
        map("orthogonal", 2, 2, 32, 32, tileset() + layer("l", 2, 2, {1, 0, 0, 2})));
    auto tiled = TMXTiledMap::tiledMapWithMapInfo(*info);
    ASSERT_TRUE(tiled);
    TMXLayer* l = tiled->layerNamed("l");
    auto* first = l->tileAt({0, 0});

    l->setTileGID(1, {0, 0});
    EXPECT_EQ(l->tileAt({0, 0}), first);
    EXPECT_EQ(first->textureRect(), (Rect {{0, 0}, {32, 32}}));

    l->setTileGID(6, {0, 0});
    EXPECT_EQ(l->tileAt({0, 0}), first);
    EXPECT_EQ(first->textureRect(), (Rect {{32, 32}, {32, 32}}));
    EXPECT_EQ(l->tileGIDAt({0, 0}), 6u);

    l->setTileGID(3, {1, 0});
    ASSERT_TRUE(l->tileAt({1, 0}));
    EXPECT_EQ(l->tileAt({1, 0})->position(), (Point {32, 32}));
    EXPECT_EQ(l->children().size(), 3u);

    l->removeTileAt({1, 1});
    EXPECT_EQ(l->tileAt({1, 1}), nullptr);
    EXPECT_EQ(l->tileGIDAt({1, 1}), 2u);
    EXPECT_EQ(l->children().size(), 2u);

    l->releaseMap();
    EXPECT_TRUE(l->tiles().empty());
    EXPECT_TRUE(l->tileAt({0, 0}));
}

TEST_F(TMXTiledMapTest, TheLayersDrawTheirTiles) {
    auto info = TMXMapInfo::formatWithXML(
        map("orthogonal", 3, 2, 32, 32, tileset() + layer("l", 3, 2, {1, 2, 3, 4, 0, 8}, "gzip")));
    auto tiled = TMXTiledMap::tiledMapWithMapInfo(*info);
    ASSERT_TRUE(tiled);
    tiled->setPosition({100, 100});
    drawFrame(*tiled);
    // Top row (y 132..164): tiles 0, 1, 2; bottom row (100..132): tile 3, empty, tile 7.
    struct Probe {
        int x, y, tile;
    };
    for (Probe p : {Probe {116, 148, 0}, Probe {148, 148, 1}, Probe {180, 148, 2},
             Probe {116, 116, 3}, Probe {180, 116, 7}}) {
        auto got = pixel(p.x, p.y);
        auto want = tileColour(p.tile);
        // The cache keeps PNG images in 4 bits a channel.
        EXPECT_NEAR(got.r, want.r, 16) << p.tile;
        EXPECT_NEAR(got.g, want.g, 16) << p.tile;
        EXPECT_NEAR(got.b, want.b, 16) << p.tile;
    }
    auto empty = pixel(148, 116);
    EXPECT_EQ(empty.r + empty.g + empty.b, 0);
    saveImage("tmx-layer");
}

TEST_F(TMXTiledMapTest, DamagedMapsAreRefusedWithAReason) {
    std::vector<std::uint32_t> six = {1, 2, 3, 4, 5, 6};
    auto full = gidBytes(six);
    auto cutGzip = deflateBytes(full, true);
    cutGzip.resize(cutGzip.size() - 6);
    struct Case {
        std::string name;
        std::string body;
        std::string log;
    };
    Case cases[] = {
        {"two tilesets", tileset() + tileset("tiles.png", 9) + layer("l", 3, 2, six),
            "TMXTiledMap: only supports 1 tileset"},
        {"no tileset", layer("l", 3, 2, six), "TMXTiledMap: only supports 1 tileset"},
        {"short data", tileset() + layer("l", 3, 2, {1, 2, 3, 4, 5}),
            "layer \"l\" refused: layer data holds 5 of 6 cells"},
        {"csv data",
            tileset()
                + " <layer name=\"l\" width=\"3\" height=\"2\"><data "
                  "encoding=\"csv\">1,2,3,4,5,6</data></layer>\n",
            "layer \"l\" refused: layer data is not base64"},
        {"no data", tileset() + " <layer name=\"l\" width=\"3\" height=\"2\"/>\n",
            "layer \"l\" refused: no layer data"},
        {"bad base64",
            tileset()
                + " <layer name=\"l\" width=\"1\" height=\"1\"><data "
                  "encoding=\"base64\">A=</data></layer>\n",
            "layer \"l\" refused: layer data is not valid base64"},
        {"cut gzip",
            tileset()
                + " <layer name=\"l\" width=\"3\" height=\"2\"><data encoding=\"base64\" "
                  "compression=\"gzip\">"
                + base64(cutGzip) + "</data></layer>\n",
            "layer \"l\" refused: layer data does not inflate"},
        {"gzip marked, plain data",
            tileset()
                + " <layer name=\"l\" width=\"3\" height=\"2\"><data encoding=\"base64\" "
                  "compression=\"gzip\">"
                + base64(full) + "</data></layer>\n",
            "layer \"l\" refused: layer data does not inflate"},
        {"gid past the tileset", tileset() + layer("l", 3, 2, {1, 2, 3, 4, 5, 9}),
            "layer \"l\" refused: GID 9 is not in the tileset"},
        {"gid below the first", tileset("tiles.png", 10) + layer("l", 3, 2, {10, 0, 3, 0, 0, 0}),
            "layer \"l\" refused: GID 3 is not in the tileset"},
        {"negative size", tileset() + layer("l", -3, 2, six),
            "layer \"l\" refused: layer size out of bounds"},
        {"huge size", tileset() + layer("l", 100000, 100000, six),
            "layer \"l\" refused: layer size out of bounds"},
        {"missing image", tileset("absent.png") + layer("l", 3, 2, six),
            "TMXTiledMap: tileset image \"absent.png\" does not load"},
        {"tiles too big for the image", tileset("tiles.png", 1, 200) + layer("l", 3, 2, six),
            "layer \"l\" refused: GID 1 is not in the tileset"},
    };
    for (Case const& c : cases) {
        test::LogCapture log;
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        auto tiled = TMXTiledMap::tiledMapWithMapInfo(
            *TMXMapInfo::formatWithXML(map("orthogonal", 3, 2, 32, 32, c.body)));
        testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(tiled) << c.name;
        EXPECT_TRUE(log.contains(c.log)) << c.name << ": " << testing::PrintToString(log.lines());
    }
}

TEST_F(TMXTiledMapTest, EachLayerSaysForItselfHowItsDataIsEncoded) {
    // A compressed layer followed by a plain one: the second is not inflated.
    auto info = TMXMapInfo::formatWithXML(map("orthogonal", 2, 1, 32, 32,
        tileset() + layer("packed", 2, 1, {1, 2}, "gzip") + layer("plain", 2, 1, {3, 4})));
    ASSERT_EQ(info->layers().size(), 2u);
    EXPECT_EQ(info->layers()[0]->tiles, (std::vector<std::uint32_t> {1, 2}));
    EXPECT_EQ(info->layers()[1]->tiles, (std::vector<std::uint32_t> {3, 4}));
    EXPECT_EQ(
        info->layerAttribs(), TMXMapInfo::TMXLayerAttribNone | TMXMapInfo::TMXLayerAttribBase64);
    EXPECT_TRUE(TMXTiledMap::tiledMapWithMapInfo(*info));
}

TEST_F(TMXTiledMapTest, AnXMLErrorKeepsWhatWasReadBefore) {
    std::string text = map(
        "orthogonal", 2, 1, 32, 32, tileset() + layer("a", 2, 1, {1, 2}) + "<broken attr=>\n");
    auto info = TMXMapInfo::formatWithXML(text);
    ASSERT_EQ(info->layers().size(), 1u);
    EXPECT_TRUE(info->layers()[0]->hasTiles);
    EXPECT_TRUE(TMXTiledMap::tiledMapWithMapInfo(*info));
}

using TMXTiledMapDeathTest = TMXTiledMapTest;

TEST_F(TMXTiledMapDeathTest, BadPositionsGIDZeroAndAReleasedMapAreRefused) {
    auto info = TMXMapInfo::formatWithXML(
        map("orthogonal", 2, 2, 32, 32, tileset() + layer("l", 2, 2, {1, 0, 0, 2})));
    auto tiled = TMXTiledMap::tiledMapWithMapInfo(*info);
    ASSERT_TRUE(tiled);
    TMXLayer* l = tiled->layerNamed("l");
    EXPECT_DEATH(l->tileAt({2, 0}), "TMXLayer: invalid position");
    EXPECT_DEATH(l->tileAt({0, 2}), "TMXLayer: invalid position");
    EXPECT_DEATH(l->tileGIDAt({-1, 0}), "TMXLayer: invalid position");
    EXPECT_DEATH(l->setTileGID(1, {0, -1}), "TMXLayer: invalid position");
    EXPECT_DEATH(l->removeTileAt({-1, -1}), "TMXLayer: invalid position");
    EXPECT_DEATH(l->setTileGID(0, {0, 0}), "TMXLayer: invalid gid");
    EXPECT_DEATH(l->setTileGID(9, {0, 0}), "TMXLayer: invalid gid");
    EXPECT_DEATH(TMXTiledMap::tiledMapWithTMXFile(""), "TMXTiledMap: tmx file should not bi nil");
    l->releaseMap();
    EXPECT_DEATH(l->tileGIDAt({0, 0}), "TMXLayer: the tiles map has been released");
    EXPECT_DEATH(l->setTileGID(1, {0, 0}), "TMXLayer: the tiles map has been released");
}

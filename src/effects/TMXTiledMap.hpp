#pragma once

#include <base/Ref.hpp>
#include <effects/TMXXMLParser.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/SceneNode.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace effects {

// One layer of a tile map: a sprite batch over the tileset's image with one tile sprite per
// non-empty cell, each a child whose z order and tag are its cell index x + y x width. The
// layer owns the cells' GIDs until releaseMap. Cell positions count from the top row; the
// tiles are placed for the map's orientation. Main thread, GL context current.
class TMXLayer : public engine::AtlasSpriteManager {
public:
    // Null when the tileset's image does not load. The layer takes the record's GIDs.
    static base::Ref<TMXLayer> layerWithTilesetInfo(
        TMXTilesetInfo* tileset, TMXLayerInfo* layerInfo, TMXMapInfo const* mapInfo);

    // The cell's tile sprite, or null. The position must lie in the layer (asserted:
    // "TMXLayer: invalid position").
    engine::AtlasSprite* tileAt(engine::Point position) const;
    // Asserted as tileAt, and "TMXLayer: the tiles map has been released".
    std::uint32_t tileGIDAt(engine::Point position) const;
    // A GID of the tileset (asserted: "TMXLayer: invalid gid"; empty a cell with removeTileAt)
    // at a position in the layer. The same GID changes nothing.
    void setTileGID(std::uint32_t gid, engine::Point position);
    engine::AtlasSprite* addTileForGID(std::uint32_t gid, engine::Point position);
    // Removes the sprite; the GID stays.
    void removeTileAt(engine::Point position);
    engine::Point positionAt(engine::Point position) const;
    engine::Point positionForOrthoAt(engine::Point position) const;
    engine::Point positionForIsoAt(engine::Point position) const;
    engine::Point positionForHexAt(engine::Point position) const;
    void releaseMap();

    std::string const& layerName() const { return layerName_; }
    engine::Size layerSize() const { return layerSize_; }
    std::vector<std::uint32_t> const& tiles() const { return tiles_; }
    bool hasTiles() const { return hasTiles_; }
    TMXTilesetInfo* tileset() const { return tileset_.get(); }
    int layerOrientation() const { return layerOrientation_; }
    engine::Size mapTileSize() const { return mapTileSize_; }

protected:
    ~TMXLayer() override;

private:
    friend base::Factory;
    TMXLayer(base::Ref<engine::Texture2D> texture, std::size_t capacity);

    int cellIndex(engine::Point position) const;

    base::Ref<TMXTilesetInfo> tileset_;
    std::string layerName_;
    engine::Size layerSize_;
    engine::Size mapTileSize_;
    std::vector<std::uint32_t> tiles_;
    bool hasTiles_ {false};
    int layerOrientation_ {TMXOrientationOrtho};
};

// A tile map read from a TMX file: one TMXLayer child per visible layer (z order and tag
// counting the visible layers), all cut from the map's one tileset. A map that cannot be
// shown as a whole (not exactly one tileset, a tileset image that does not load, a visible
// layer without usable data or with GIDs outside the tileset) is refused: null, with a log
// line that says why. Main thread, GL context current.
class TMXTiledMap : public engine::SceneNode {
public:
    // The name must not be empty (asserted: "TMXTiledMap: tmx file should not bi nil").
    static base::Ref<TMXTiledMap> tiledMapWithTMXFile(std::string const& tmxFile);
    // A map already read.
    static base::Ref<TMXTiledMap> tiledMapWithMapInfo(TMXMapInfo const& mapInfo);

    // The first layer of that name, or null.
    TMXLayer* layerNamed(std::string const& layerName) const;

    engine::Size mapSize() const { return mapSize_; }
    engine::Size tileSize() const { return tileSize_; }
    int mapOrientation() const { return mapOrientation_; }

protected:
    ~TMXTiledMap() override = default;

private:
    friend base::Factory;
    TMXTiledMap() = default;

    bool build(TMXMapInfo const& mapInfo);
    base::Ref<TMXLayer> parseLayer(
        TMXLayerInfo* layerInfo, TMXTilesetInfo* tileset, TMXMapInfo const& mapInfo);

    engine::Size mapSize_;
    engine::Size tileSize_;
    int mapOrientation_ {TMXOrientationOrtho};
};

}

#pragma once

#include <effects/TGALib.hpp>
#include <engine/AtlasNode.hpp>
#include <engine/Color.hpp>
#include <engine/Geometry.hpp>

#include <map>
#include <string>

namespace effects {

// A grid of tiles whose layout is a TGA image: each pixel is a cell, its red component the
// tile number (0 = empty), drawn from a tile sheet cut into equal items. The atlas holds one
// quad per non-empty cell of the loaded map, numbered column by column; only those cells
// can be changed later. Maps of 8 (grey: the grey value is the tile), 24 and 32 bits per
// pixel are read with their own pixel size. The node owns the image and the position
// dictionary until releaseMap. Main thread, GL context current.
class TileMapAtlas : public engine::AtlasNode {
public:
    // Raises "TileMapAtlasLoadTGA" / "TileMapAtas cannot load TGA file" when the map does not
    // load.
    static base::Ref<TileMapAtlas> tileMapAtlasWithTileFile(
        std::string const& tile, std::string const& mapFile, int tileWidth, int tileHeight);

    // Rewrites every quad from the map.
    void updateAtlasValues() override;
    void updateAtlasValueAt(engine::Point position, engine::Color3B value, int index);
    // A cell that had a tile when the map was loaded takes the tile (whose red component must
    // not be 0); an empty cell stays empty.
    void setTile(engine::Color3B tile, engine::Point position);
    engine::Color3B tileAt(engine::Point position) const;
    void releaseMap();

    sImageTGA const* tgaInfo() const { return tgaInfo_.get(); }
    int itemsToRender() const { return itemsToRender_; }
    // The quad index of the cell under the key "x,y", or -1.
    int atlasIndexFor(engine::Point position) const;

protected:
    ~TileMapAtlas() override;

private:
    friend base::Factory;
    TileMapAtlas(std::string const& tile, TGAImage map, int tileWidth, int tileHeight, int items);

    static TGAImage loadTGAfile(std::string const& file);
    static int calculateItemsToRender(sImageTGA const& image);

    std::uint8_t* cell(engine::Point position) const;

    TGAImage tgaInfo_;
    std::map<std::string, int> posToAtlasIndex_;
    bool hasIndex_ {false};
    int itemsToRender_ {0};
};

}

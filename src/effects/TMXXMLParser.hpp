#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <effects/Forward.hpp>
#include <engine/Geometry.hpp>
#include <foundation/XMLParser.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace effects {

// Map orientations.
inline constexpr int TMXOrientationOrtho = 0;
inline constexpr int TMXOrientationHex = 1;
inline constexpr int TMXOrientationIso = 2;

// Bounds on what a map file may ask for: a layer holds at most this many cells (its GIDs take
// four bytes each).
inline constexpr std::int64_t maxTMXLayerCells = 4 * 1024 * 1024;

// A tileset of a map: its first GID, tile size, spacing and margin, the image it cuts the
// tiles from, and that image's size once loaded. Main thread.
class TMXTilesetInfo final : public base::Object {
public:
    static base::Ref<TMXTilesetInfo> create() { return base::make<TMXTilesetInfo>(); }

    // The tile's rectangle in the image (y downwards). Only for GIDs of this tileset
    // (hasGID); others give an empty rectangle at the origin.
    engine::Rect tileForGID(std::uint32_t gid) const;
    // Whether the GID names a tile of the loaded image: from firstGid to the last whole tile.
    bool hasGID(std::uint32_t gid) const;
    // Tiles across the image; 0 when not even one fits.
    int columns() const;

    std::string name;
    int firstGid {0};
    engine::Size tileSize;
    int spacing {0};
    int margin {0};
    std::string sourceImage;
    engine::Size imageSize;

private:
    friend base::Factory;
    TMXTilesetInfo() = default;
};

// A layer of a map: its name, size in cells, visibility, opacity and the GIDs of its cells
// (row-major from the top row), if its data decoded to enough of them. Main thread.
class TMXLayerInfo final : public base::Object {
public:
    static base::Ref<TMXLayerInfo> create() { return base::make<TMXLayerInfo>(); }

    std::string name;
    engine::Size layerSize;
    // width x height GIDs when hasTiles.
    std::vector<std::uint32_t> tiles;
    bool hasTiles {false};
    bool visible {true};
    std::uint8_t opacity {255};
    bool ownTiles {true};
    // Why the layer has no tiles, for the map's refusal.
    std::string error;

private:
    friend base::Factory;
    TMXLayerInfo() = default;
};

// Reads a TMX map file (map, tileset, image, layer and data elements) into plain records.
// Layer data must be Base64, optionally compressed ("gzip" or "zlib"); it
// must decode to at least width x height little-endian 32-bit GIDs, else the layer keeps no
// tiles and says why. Layer sizes beyond maxTMXLayerCells, or negative, are refused the same
// way. XML errors stop the reading; what was read so far stays. Main thread.
class TMXMapInfo final : public base::Object, private foundation::XMLParserDelegate {
public:
    // The file through FileUtils::fullPathFromRelativePath.
    static base::Ref<TMXMapInfo> formatWithTMXFile(std::string const& tmxFile);
    // A map already in memory.
    static base::Ref<TMXMapInfo> formatWithXML(std::string xml);

    int orientation() const { return orientation_; }
    engine::Size mapSize() const { return mapSize_; }
    engine::Size tileSize() const { return tileSize_; }
    std::vector<base::Ref<TMXLayerInfo>> const& layers() const { return layers_; }
    std::vector<base::Ref<TMXTilesetInfo>> const& tilesets() const { return tilesets_; }
    int layerAttribs() const { return layerAttribs_; }

    static constexpr int TMXLayerAttribNone = 1;
    static constexpr int TMXLayerAttribBase64 = 2;
    static constexpr int TMXLayerAttribGzip = 4;

private:
    friend base::Factory;
    TMXMapInfo() = default;

    void parse(base::Ref<foundation::XMLParser> parser);
    void parserDidStartElement(foundation::XMLParser&, std::string_view elementName,
        std::string_view, std::string_view, foundation::XMLAttributes const& attributes) override;
    void parserDidEndElement(foundation::XMLParser&, std::string_view elementName, std::string_view,
        std::string_view) override;
    void parserFoundCharacters(foundation::XMLParser&, std::string_view characters) override;
    void finishData();

    std::string currentString_;
    bool storingCharacters_ {false};
    int layerAttribs_ {TMXLayerAttribNone};
    int orientation_ {TMXOrientationOrtho};
    engine::Size mapSize_;
    engine::Size tileSize_;
    std::vector<base::Ref<TMXLayerInfo>> layers_;
    std::vector<base::Ref<TMXTilesetInfo>> tilesets_;
};

}

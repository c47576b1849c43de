#include <effects/TMXTiledMap.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/Texture2D.hpp>
#include <engine/TextureMgr.hpp>

#include <algorithm>

namespace effects {

// Layers

base::Ref<TMXLayer> TMXLayer::layerWithTilesetInfo(
    TMXTilesetInfo* tileset, TMXLayerInfo* layerInfo, TMXMapInfo const* mapInfo) {
    auto texture = engine::TextureMgr::sharedTextureMgr().addImage(tileset->sourceImage);
    if (!texture)
        return nullptr;
    engine::Size size = layerInfo->layerSize;
    auto capacity = std::size_t(size.width * size.height * 0.35f + 1);
    auto layer = base::make<TMXLayer>(std::move(texture), capacity);
    layer->layerName_ = layerInfo->name;
    layer->layerSize_ = size;
    layer->tiles_ = std::move(layerInfo->tiles);
    layer->hasTiles_ = layerInfo->hasTiles;
    layerInfo->tiles.clear();
    layerInfo->hasTiles = false;
    layerInfo->ownTiles = false;
    layer->tileset_ = base::Ref<TMXTilesetInfo>(tileset);
    layer->mapTileSize_ = mapInfo->tileSize();
    layer->layerOrientation_ = mapInfo->orientation();
    layer->setContentSize(
        {size.width * layer->mapTileSize_.width, size.height * layer->mapTileSize_.height});
    return layer;
}

TMXLayer::TMXLayer(base::Ref<engine::Texture2D> texture, std::size_t capacity)
    : AtlasSpriteManager(
        std::move(texture), std::min(capacity, engine::TextureAtlas::maxCapacity)) {
}

TMXLayer::~TMXLayer() = default;

int TMXLayer::cellIndex(engine::Point position) const {
    VERIFY_MSG(position.x >= 0 && position.y >= 0 && position.x < layerSize_.width
            && position.y < layerSize_.height,
        "TMXLayer: invalid position");
    return int(position.x) + int(position.y) * int(layerSize_.width);
}

engine::AtlasSprite* TMXLayer::tileAt(engine::Point position) const {
    int tag = cellIndex(position);
    return static_cast<engine::AtlasSprite*>(getChildByTag(tag));
}

std::uint32_t TMXLayer::tileGIDAt(engine::Point position) const {
    int index = cellIndex(position);
    VERIFY_MSG(hasTiles_, "TMXLayer: the tiles map has been released");
    return tiles_[std::size_t(index)];
}

void TMXLayer::setTileGID(std::uint32_t gid, engine::Point position) {
    int index = cellIndex(position);
    VERIFY_MSG(hasTiles_, "TMXLayer: the tiles map has been released");
    VERIFY_MSG(tileset_->hasGID(gid), "TMXLayer: invalid gid");
    if (tiles_[std::size_t(index)] == gid)
        return;
    if (auto* tile = tileAt(position))
        tile->setTextureRect(tileset_->tileForGID(gid));
    else
        addTileForGID(gid, position);
    tiles_[std::size_t(index)] = gid;
}

engine::AtlasSprite* TMXLayer::addTileForGID(std::uint32_t gid, engine::Point position) {
    int tag = cellIndex(position);
    auto tile = engine::AtlasSprite::spriteWithRect(tileset_->tileForGID(gid), this);
    tile->setAnchorPoint({0, 0});
    engine::AtlasSprite* raw = tile.get();
    addChild(tile, tag, tag);
    raw->setPosition(positionAt(position));
    return raw->parent() == this ? raw : nullptr;
}

void TMXLayer::removeTileAt(engine::Point position) {
    removeChildByTag(cellIndex(position), engine::Cleanup::Yes);
}

namespace {

// Each coordinate gets 0.49 and is truncated to a whole point.
engine::Point whole(float x, float y) {
    return {float(int(x + 0.49f)), float(int(y + 0.49f))};
}

}

engine::Point TMXLayer::positionForOrthoAt(engine::Point p) const {
    return whole(p.x * mapTileSize_.width, (layerSize_.height - p.y - 1) * mapTileSize_.height);
}

engine::Point TMXLayer::positionForIsoAt(engine::Point p) const {
    float w = layerSize_.width, h = layerSize_.height;
    return whole(mapTileSize_.width / 2 * (w + p.x - p.y - 1),
        mapTileSize_.height / 2 * (h * 2 - p.x - p.y - 2));
}

engine::Point TMXLayer::positionForHexAt(engine::Point p) const {
    float diffY = int(p.x) % 2 == 1 ? -mapTileSize_.height / 2 : 0;
    return whole(p.x * mapTileSize_.width * 3 / 4,
        (layerSize_.height - p.y - 1) * mapTileSize_.height + diffY);
}

engine::Point TMXLayer::positionAt(engine::Point position) const {
    switch (layerOrientation_) {
    case TMXOrientationOrtho:
        return positionForOrthoAt(position);
    case TMXOrientationIso:
        return positionForIsoAt(position);
    case TMXOrientationHex:
        return positionForHexAt(position);
    default:
        return {0, 0};
    }
}

void TMXLayer::releaseMap() {
    tiles_ = {};
    hasTiles_ = false;
}

// Maps

base::Ref<TMXTiledMap> TMXTiledMap::tiledMapWithTMXFile(std::string const& tmxFile) {
    VERIFY_MSG(!tmxFile.empty(), "TMXTiledMap: tmx file should not bi nil");
    auto info = TMXMapInfo::formatWithTMXFile(tmxFile);
    return tiledMapWithMapInfo(*info);
}

base::Ref<TMXTiledMap> TMXTiledMap::tiledMapWithMapInfo(TMXMapInfo const& mapInfo) {
    auto map = base::make<TMXTiledMap>();
    return map->build(mapInfo) ? map : nullptr;
}

bool TMXTiledMap::build(TMXMapInfo const& mapInfo) {
    setContentSize({0, 0});
    mapSize_ = mapInfo.mapSize();
    tileSize_ = mapInfo.tileSize();
    mapOrientation_ = mapInfo.orientation();
    if (mapInfo.tilesets().size() != 1) {
        base::logLine("TMXTiledMap: only supports 1 tileset");
        return false;
    }
    TMXTilesetInfo* tileset = mapInfo.tilesets().front().get();
    int added = 0;
    for (auto const& layerInfo : mapInfo.layers()) {
        if (!layerInfo->visible)
            continue;
        auto layer = parseLayer(layerInfo.get(), tileset, mapInfo);
        if (!layer)
            return false;
        engine::Size own = contentSize(), size = layer->contentSize();
        addChild(layer, added, added);
        ++added;
        setContentSize({std::max(own.width, size.width), std::max(own.height, size.height)});
    }
    return true;
}

base::Ref<TMXLayer> TMXTiledMap::parseLayer(
    TMXLayerInfo* layerInfo, TMXTilesetInfo* tileset, TMXMapInfo const& mapInfo) {
    if (!layerInfo->hasTiles) {
        std::string why = layerInfo->error.empty() ? "no layer data" : layerInfo->error;
        base::logLine("TMXTiledMap: layer \"" + layerInfo->name + "\" refused: " + why);
        return nullptr;
    }
    auto layer = TMXLayer::layerWithTilesetInfo(tileset, layerInfo, &mapInfo);
    if (!layer) {
        base::logLine("TMXTiledMap: tileset image \"" + tileset->sourceImage + "\" does not load");
        return nullptr;
    }
    tileset->imageSize = layer->texture()->contentSize();
    layer->texture()->setAliasTexParameters();

    std::vector<std::uint32_t> const& tiles = layer->tiles();
    for (std::uint32_t gid : tiles) {
        if (gid != 0 && !tileset->hasGID(gid)) {
            base::logLine("TMXTiledMap: layer \"" + layer->layerName() + "\" refused: GID "
                + std::to_string(gid) + " is not in the tileset");
            return nullptr;
        }
    }
    int width = int(layer->layerSize().width), height = int(layer->layerSize().height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t gid = tiles[std::size_t(x) + std::size_t(y) * std::size_t(width)];
            if (gid != 0)
                layer->addTileForGID(gid, {float(x), float(y)});
        }
    }
    return layer;
}

TMXLayer* TMXTiledMap::layerNamed(std::string const& layerName) const {
    for (auto const& child : children()) {
        auto* layer = dynamic_cast<TMXLayer*>(child.get());
        if (layer && layer->layerName() == layerName)
            return layer;
    }
    return nullptr;
}

}

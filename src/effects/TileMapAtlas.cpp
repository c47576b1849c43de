#include <effects/TileMapAtlas.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>
#include <engine/FileUtils.hpp>
#include <engine/Quad.hpp>

namespace effects {

namespace {

std::string key(int x, int y) {
    return std::to_string(x) + "," + std::to_string(y);
}

}

base::Ref<TileMapAtlas> TileMapAtlas::tileMapAtlasWithTileFile(
    std::string const& tile, std::string const& mapFile, int tileWidth, int tileHeight) {
    TGAImage map = loadTGAfile(mapFile);
    int items = calculateItemsToRender(*map);
    return base::make<TileMapAtlas>(tile, std::move(map), tileWidth, tileHeight, items);
}

TGAImage TileMapAtlas::loadTGAfile(std::string const& file) {
    VERIFY_MSG(!file.empty(), "file must be non-nil");
    TGAImage image = loadTgaImage(engine::FileUtils::fullPathFromRelativePath(file));
    if (!image || image->status != TgaOk)
        throw base::Exception("TileMapAtlasLoadTGA", "TileMapAtas cannot load TGA file");
    return image;
}

int TileMapAtlas::calculateItemsToRender(sImageTGA const& image) {
    auto bpp = std::size_t(image.bytesPerPixel());
    int items = 0;
    for (std::size_t i = 0; i < image.imageData.size(); i += bpp)
        items += image.imageData[i] != 0 ? 1 : 0;
    return items;
}

TileMapAtlas::TileMapAtlas(
    std::string const& tile, TGAImage map, int tileWidth, int tileHeight, int items)
    : AtlasNode(tile, tileWidth, tileHeight, items)
    , tgaInfo_(std::move(map))
    , hasIndex_(true)
    , itemsToRender_(items) {
    updateAtlasValues();
    setContentSize(
        {float(itemWidth_) * float(tgaInfo_->width), float(itemHeight_) * float(tgaInfo_->height)});
}

TileMapAtlas::~TileMapAtlas() = default;

std::uint8_t* TileMapAtlas::cell(engine::Point position) const {
    auto x = std::size_t(position.x), y = std::size_t(position.y);
    auto index = (x + y * std::size_t(tgaInfo_->width)) * std::size_t(tgaInfo_->bytesPerPixel());
    return &tgaInfo_->imageData[index];
}

namespace {

engine::Color3B colourOf(std::uint8_t const* pixel, int bytesPerPixel) {
    if (bytesPerPixel == 1)
        return {pixel[0], pixel[0], pixel[0]};
    return {pixel[0], pixel[1], pixel[2]};
}

}

void TileMapAtlas::updateAtlasValues() {
    VERIFY_MSG(tgaInfo_, "tgaInfo must be non-nil");
    int total = 0;
    for (int x = 0; x < tgaInfo_->width; ++x) {
        for (int y = 0; y < tgaInfo_->height && total < itemsToRender_; ++y) {
            engine::Point position {float(x), float(y)};
            engine::Color3B value = colourOf(cell(position), tgaInfo_->bytesPerPixel());
            if (value.r != 0) {
                updateAtlasValueAt(position, value, total);
                posToAtlasIndex_[key(x, y)] = total;
                ++total;
            }
        }
    }
}

void TileMapAtlas::updateAtlasValueAt(engine::Point position, engine::Color3B value, int index) {
    int t = value.r;
    int row = itemsPerRow_ > 0 ? t / itemsPerRow_ : 0;
    int column = itemsPerRow_ > 0 ? t % itemsPerRow_ : 0;
    float left = float(column) * texStepX_, right = left + texStepX_;
    float top = float(row) * texStepY_, bottom = top + texStepY_;
    float x = position.x, y = position.y;
    auto w = float(itemWidth_), h = float(itemHeight_);

    engine::V3F_C4B_T2F_Quad quad;
    quad.tl.vertices = {x * w, (y + 1) * h, 0};
    quad.bl.vertices = {x * w, y * h, 0};
    quad.tr.vertices = {(x + 1) * w, (y + 1) * h, 0};
    quad.br.vertices = {(x + 1) * w, y * h, 0};
    quad.tl.texCoords = {left, top};
    quad.bl.texCoords = {left, bottom};
    quad.tr.texCoords = {right, top};
    quad.br.texCoords = {right, bottom};
    if (index >= 0 && std::size_t(index) < textureAtlas_->capacity())
        textureAtlas_->updateQuad(quad, std::size_t(index));
}

void TileMapAtlas::setTile(engine::Color3B tile, engine::Point position) {
    VERIFY_MSG(tgaInfo_, "tgaInfo must not be nil");
    VERIFY_MSG(hasIndex_, "posToAtlasIndex must not be nil");
    VERIFY_MSG(position.x >= 0 && position.x < tgaInfo_->width, "Invalid position.x");
    VERIFY_MSG(position.y >= 0 && position.y < tgaInfo_->height, "Invalid position.y");
    VERIFY_MSG(tile.r != 0, "R component must be non 0");
    std::uint8_t* pixel = cell(position);
    if (pixel[0] == 0)
        return;
    int bpp = tgaInfo_->bytesPerPixel();
    pixel[0] = tile.r;
    if (bpp >= 3) {
        pixel[1] = tile.g;
        pixel[2] = tile.b;
    }
    int index = atlasIndexFor(position);
    if (index >= 0)
        updateAtlasValueAt(position, tile, index);
}

engine::Color3B TileMapAtlas::tileAt(engine::Point position) const {
    VERIFY_MSG(tgaInfo_, "tgaInfo must not be nil");
    VERIFY_MSG(position.x >= 0 && position.x < tgaInfo_->width, "Invalid position.x");
    VERIFY_MSG(position.y >= 0 && position.y < tgaInfo_->height, "Invalid position.y");
    return colourOf(cell(position), tgaInfo_->bytesPerPixel());
}

int TileMapAtlas::atlasIndexFor(engine::Point position) const {
    auto found = posToAtlasIndex_.find(key(int(position.x), int(position.y)));
    return found == posToAtlasIndex_.end() ? -1 : found->second;
}

void TileMapAtlas::releaseMap() {
    tgaInfo_.reset();
    posToAtlasIndex_.clear();
    hasIndex_ = false;
}

}

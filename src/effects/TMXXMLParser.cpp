#include <effects/TMXXMLParser.hpp>

#include <effects/TMXDecoding.hpp>
#include <engine/FileUtils.hpp>

#include <base/Value.hpp>

#include <algorithm>
#include <cmath>
#include <span>

namespace effects {

namespace {

// Text of a layer's data beyond this is not collected: no layer within the cell bound needs it.
constexpr std::size_t maxDataText = 96u * 1024 * 1024;

std::string stringAttribute(base::Dictionary const& attributes, std::string_view key) {
    base::Value const* value = attributes.find(key);
    return value ? value->stringValue() : std::string();
}

int intAttribute(base::Dictionary const& attributes, std::string_view key) {
    base::Value const* value = attributes.find(key);
    return value ? value->intValue() : 0;
}

}

int TMXTilesetInfo::columns() const {
    float step = tileSize.width + float(spacing);
    if (!(step > 0))
        return 0;
    float across = (imageSize.width - float(2 * margin) + float(spacing)) / step;
    if (!(across >= 1))
        return 0;
    return across >= 65536 ? 65536 : int(across);
}

bool TMXTilesetInfo::hasGID(std::uint32_t gid) const {
    if (firstGid < 0 || gid < std::uint32_t(firstGid))
        return false;
    int across = columns();
    float stepY = tileSize.height + float(spacing);
    if (across <= 0 || !(stepY > 0))
        return false;
    float down = (imageSize.height - float(2 * margin) + float(spacing)) / stepY;
    if (!(down >= 1))
        return false;
    std::uint64_t rows = down >= 65536 ? 65536 : std::uint64_t(down);
    return std::uint64_t(gid - std::uint32_t(firstGid)) < rows * std::uint64_t(across);
}

engine::Rect TMXTilesetInfo::tileForGID(std::uint32_t gid) const {
    if (!hasGID(gid))
        return {{0, 0}, {0, 0}};
    auto n = gid - std::uint32_t(firstGid);
    auto across = std::uint32_t(columns());
    engine::Rect rect;
    rect.origin.x = float(n % across) * (tileSize.width + float(spacing)) + float(margin);
    rect.origin.y = float(n / across) * (tileSize.height + float(spacing)) + float(margin);
    rect.size = tileSize;
    return rect;
}

base::Ref<TMXMapInfo> TMXMapInfo::formatWithTMXFile(std::string const& tmxFile) {
    auto info = base::make<TMXMapInfo>();
    std::string path = engine::FileUtils::fullPathFromRelativePath(tmxFile);
    info->parse(foundation::XMLParser::createWithContentsOfFile(path));
    return info;
}

base::Ref<TMXMapInfo> TMXMapInfo::formatWithXML(std::string xml) {
    auto info = base::make<TMXMapInfo>();
    info->parse(foundation::XMLParser::createWithString(std::move(xml)));
    return info;
}

void TMXMapInfo::parse(base::Ref<foundation::XMLParser> parser) {
    currentString_.reserve(200);
    parser->setDelegate(this);
    parser->setShouldProcessNamespaces(false);
    parser->setShouldReportNamespacePrefixes(false);
    parser->setShouldResolveExternalEntities(false);
    // An error stops the reading; the records made so far are kept.
    parser->parse();
    parser->setDelegate(nullptr);
}

void TMXMapInfo::parserDidStartElement(foundation::XMLParser&, std::string_view elementName,
    std::string_view, std::string_view, foundation::XMLAttributes const& attributes) {
    if (elementName != "map" && elementName != "tileset" && elementName != "layer"
        && elementName != "image" && elementName != "data")
        return;
    auto dictionary = attributes.dictionary();
    base::Dictionary const& a = *dictionary;
    if (elementName == "map") {
        std::string orientation = stringAttribute(a, "orientation");
        if (orientation == "isometric")
            orientation_ = TMXOrientationIso;
        else if (orientation == "hexagonal")
            orientation_ = TMXOrientationHex;
        else
            orientation_ = TMXOrientationOrtho;
        mapSize_ = {float(intAttribute(a, "width")), float(intAttribute(a, "height"))};
        tileSize_ = {float(intAttribute(a, "tilewidth")), float(intAttribute(a, "tileheight"))};
    } else if (elementName == "tileset") {
        auto tileset = TMXTilesetInfo::create();
        tileset->name = stringAttribute(a, "name");
        tileset->firstGid = intAttribute(a, "firstgid");
        tileset->spacing = intAttribute(a, "spacing");
        tileset->margin = intAttribute(a, "margin");
        tileset->tileSize
            = {float(intAttribute(a, "tilewidth")), float(intAttribute(a, "tileheight"))};
        tilesets_.push_back(std::move(tileset));
    } else if (elementName == "layer") {
        auto layer = TMXLayerInfo::create();
        layer->name = stringAttribute(a, "name");
        int width = intAttribute(a, "width"), height = intAttribute(a, "height");
        layer->layerSize = {float(width), float(height)};
        if (width < 0 || height < 0 || std::int64_t(width) * height > maxTMXLayerCells)
            layer->error = "layer size out of bounds";
        layer->visible = stringAttribute(a, "visible") != "0";
        if (base::Value const* opacity = a.find("opacity")) {
            float value = opacity->floatValue();
            value = value >= 0 ? std::min(value, 1.0f) : 0.0f;
            layer->opacity = std::uint8_t(value * 255);
        }
        layers_.push_back(std::move(layer));
        // Each layer says for itself how its data is encoded.
        layerAttribs_ = TMXLayerAttribNone;
    } else if (elementName == "image") {
        if (!tilesets_.empty())
            tilesets_.back()->sourceImage = stringAttribute(a, "source");
    } else if (elementName == "data") {
        layerAttribs_ = TMXLayerAttribNone;
        if (stringAttribute(a, "encoding") == "base64") {
            layerAttribs_ |= TMXLayerAttribBase64;
            storingCharacters_ = true;
            currentString_.clear();
            // zlib streams go through the same inflater, which reads either header.
            std::string compression = stringAttribute(a, "compression");
            if (compression == "gzip" || compression == "zlib")
                layerAttribs_ |= TMXLayerAttribGzip;
        } else if (!layers_.empty()) {
            layers_.back()->error = "layer data is not base64";
        }
    }
}

void TMXMapInfo::parserFoundCharacters(foundation::XMLParser&, std::string_view characters) {
    if (!storingCharacters_)
        return;
    if (currentString_.size() + characters.size() > maxDataText) {
        storingCharacters_ = false;
        currentString_.clear();
        if (!layers_.empty())
            layers_.back()->error = "layer data too long";
        return;
    }
    currentString_.append(characters);
}

void TMXMapInfo::parserDidEndElement(
    foundation::XMLParser&, std::string_view elementName, std::string_view, std::string_view) {
    if (elementName == "data" && (layerAttribs_ & TMXLayerAttribBase64)) {
        bool wasStoring = storingCharacters_;
        storingCharacters_ = false;
        if (wasStoring)
            finishData();
        currentString_.clear();
    }
}

void TMXMapInfo::finishData() {
    if (layers_.empty())
        return;
    TMXLayerInfo& layer = *layers_.back();
    if (!layer.error.empty())
        return;
    std::span<std::uint8_t const> text(
        reinterpret_cast<std::uint8_t const*>(currentString_.data()), currentString_.size());
    auto decoded = Base64Utils(text);
    if (!decoded) {
        layer.error = "layer data is not valid base64";
        return;
    }
    if (layerAttribs_ & TMXLayerAttribGzip) {
        decoded = inflateBytes(*decoded);
        if (!decoded) {
            layer.error = "layer data does not inflate";
            return;
        }
    }
    auto cells = std::size_t(layer.layerSize.width) * std::size_t(layer.layerSize.height);
    if (decoded->size() / 4 < cells) {
        layer.error = "layer data holds " + std::to_string(decoded->size() / 4) + " of "
            + std::to_string(cells) + " cells";
        return;
    }
    layer.tiles.resize(cells);
    for (std::size_t i = 0; i < cells; ++i) {
        std::uint8_t const* b = decoded->data() + 4 * i;
        layer.tiles[i] = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16
            | std::uint32_t(b[3]) << 24;
    }
    layer.hasTiles = true;
}

}

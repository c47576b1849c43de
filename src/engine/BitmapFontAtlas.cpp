#include <engine/BitmapFontAtlas.hpp>

#include <base/Log.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/FileUtils.hpp>
#include <engine/TextureMgr.hpp>

#include <foundation/Strings.hpp>

#include <algorithm>

namespace engine {

namespace {

// Before any character: a code no character has.
constexpr unsigned noPreviousCharacter = 65535;

}

std::optional<std::string> BitmapFontAtlas::atlasNameFromFntFile(std::string const& fntFile) {
    std::string path = FileUtils::fullPathFromRelativePath(fntFile);
    auto bytes = FileUtils::readFile(path, BitmapFontConfiguration::maxFileSize);
    if (!bytes) {
        base::logLine("BitmapFontAtlas: cannot read the font file " + fntFile);
        return std::nullopt;
    }
    std::string text(bytes->begin(), bytes->end());
    auto name = BitmapFontConfiguration::sheetNameFromText(text, fntFile);
    if (!name)
        return std::nullopt;
    return FileUtils::fullPathFromRelativePath(*name);
}

base::Ref<BitmapFontAtlas> BitmapFontAtlas::bitmapFontAtlasWithString(
    std::string const& string, std::string const& fntFile) {
    auto configuration = CachedFontConfiguration(fntFile);
    if (!configuration)
        return nullptr;
    auto sheetPath = atlasNameFromFntFile(fntFile);
    if (!sheetPath)
        return nullptr;
    auto sheet = TextureMgr::sharedTextureMgr().addImage(*sheetPath);
    if (!sheet) {
        base::logLine(
            "BitmapFontAtlas: the sheet " + *sheetPath + " of " + fntFile + " does not load");
        return nullptr;
    }
    return base::make<BitmapFontAtlas>(string, std::move(configuration), std::move(sheet));
}

BitmapFontAtlas::BitmapFontAtlas(std::string const& string,
    base::Ref<BitmapFontConfiguration> configuration, base::Ref<Texture2D> sheet)
    : AtlasSpriteManager(sheet, std::max<std::size_t>(string.size(), 1))
    , configuration_(std::move(configuration))
    , opacityModifyRGB_(sheet && sheet->hasPremultipliedAlpha()) {
    setContentSize({0, 0});
    SceneNode::setAnchorPoint({0.5f, 0.5f});
    setString(string);
}

void BitmapFontAtlas::setString(std::string const& string) {
    string_ = string;
    for (auto const& child : children())
        child->setVisible(false);
    createFontChars();
}

int BitmapFontAtlas::kerningAmmountForFirst(unsigned first, unsigned second) const {
    return configuration_->kerningAmount(first, second);
}

void BitmapFontAtlas::createFontChars() {
    std::u16string characters = foundation::utf8ToUtf16(string_);
    if (characters.empty()) {
        setContentSize({0, 0});
        return;
    }
    int pen = 0;
    int width = 0;
    unsigned previous = noPreviousCharacter;
    float lastHeight = 0;
    float const lineHeight = float(configuration_->commonHeight());
    bool reported = false;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        unsigned code = characters[i];
        if (code > 255) {
            if (!reported)
                base::logLine("BitmapFontAtlas: a character above 255 has no place in the font; "
                              "it is left out");
            reported = true;
            continue;
        }
        int kerning = kerningAmmountForFirst(previous, code);
        BitmapFontDef const& def = configuration_->definition(std::uint8_t(code));
        int tag = int(i);
        auto* sprite = dynamic_cast<AtlasSprite*>(getChildByTag(tag));
        if (sprite) {
            sprite->setTextureRect(def.rect);
        } else {
            auto made = createSpriteWithRect(def.rect);
            sprite = made.get();
            addChild(std::move(made), 0, tag);
        }
        sprite->setVisible(true);
        float x = float(pen + def.xOffset) + float(def.xAdvance) * 0.5f + float(kerning);
        float y = (lineHeight - float(def.yOffset)) - def.rect.size.height * 0.5f;
        sprite->setPosition({x, y});
        sprite->setOpacityModifyRGB(opacityModifyRGB_);
        sprite->setColor(color_);
        sprite->setOpacity(opacity_);
        pen += def.xAdvance + kerning;
        width += def.xAdvance + kerning;
        previous = code;
        lastHeight = def.rect.size.height;
    }
    setContentSize({float(width), std::max(lastHeight, contentSize().height)});
}

void BitmapFontAtlas::setColor(Color3B color) {
    color_ = color;
    for (auto const& child : children()) {
        if (auto* sprite = dynamic_cast<AtlasSprite*>(child.get()))
            sprite->setColor(color);
    }
}

void BitmapFontAtlas::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    for (auto const& child : children()) {
        if (auto* sprite = dynamic_cast<AtlasSprite*>(child.get()))
            sprite->setOpacity(opacity);
    }
}

void BitmapFontAtlas::setOpacityModifyRGB(bool modify) {
    opacityModifyRGB_ = modify;
    for (auto const& child : children()) {
        if (auto* sprite = dynamic_cast<AtlasSprite*>(child.get()))
            sprite->setOpacityModifyRGB(modify);
    }
}

void BitmapFontAtlas::setAnchorPoint(Point anchorPoint) {
    if (anchorPoint == this->anchorPoint())
        return;
    SceneNode::setAnchorPoint(anchorPoint);
    createFontChars();
}

}

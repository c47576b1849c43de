#include <engine/LabelAtlas.hpp>

#include <engine/DrawScope.hpp>

namespace engine {

base::Ref<LabelAtlas> LabelAtlas::labelAtlasWithString(std::string const& string,
    std::string const& charMapFile, int itemWidth, int itemHeight, char startCharMap) {
    return base::make<LabelAtlas>(string, charMapFile, itemWidth, itemHeight, startCharMap);
}

LabelAtlas::LabelAtlas(std::string const& string, std::string const& charMapFile, int itemWidth,
    int itemHeight, char startCharMap)
    : AtlasNode(charMapFile, itemWidth, itemHeight, int(string.size()))
    , mapStartChar_(static_cast<unsigned char>(startCharMap)) {
    setString(string);
}

void LabelAtlas::setString(std::string const& string) {
    if (textureAtlas_->capacity() < string.size())
        textureAtlas_->resizeCapacity(string.size());
    string_ = string;
    updateAtlasValues();
    setContentSize({float(string_.size()) * float(itemWidth_), float(itemHeight_)});
}

void LabelAtlas::updateAtlasValues() {
    std::size_t const count = std::min(string_.size(), textureAtlas_->capacity());
    std::size_t const cells
        = std::size_t(std::max(itemsPerRow_, 0)) * std::size_t(std::max(itemsPerColumn_, 0));
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(string_[i]);
        V3F_C4B_T2F_Quad quad {};
        std::size_t index = std::size_t(byte) - mapStartChar_;
        if (byte >= mapStartChar_ && index < cells) {
            std::size_t row = index / std::size_t(itemsPerRow_);
            std::size_t column = index % std::size_t(itemsPerRow_);
            float left = float(column) * texStepX_;
            float right = left + texStepX_;
            float top = float(row) * texStepY_;
            float bottom = top + texStepY_;
            float x0 = float(i) * float(itemWidth_), x1 = float(i + 1) * float(itemWidth_);
            float h = float(itemHeight_);
            quad.tl.vertices = {x0, h, 0};
            quad.bl.vertices = {x0, 0, 0};
            quad.tr.vertices = {x1, h, 0};
            quad.br.vertices = {x1, 0, 0};
            quad.tl.texCoords = {left, top};
            quad.bl.texCoords = {left, bottom};
            quad.tr.texCoords = {right, top};
            quad.br.texCoords = {right, bottom};
        }
        textureAtlas_->updateQuad(quad, i);
    }
}

void LabelAtlas::draw() {
    TexturedDrawScope scope(TexturedDrawScope::Colours::Constant);
    glColor4ub(color().r, color().g, color().b, opacity());
    BlendScope blend(blendFunc());
    textureAtlas_->drawNumberOfQuads(string_.size());
}

}

#pragma once

#include <engine/AtlasNode.hpp>
#include <engine/LabelProtocol.hpp>

#include <string>

namespace engine {

// A string drawn from a fixed grid of character images: cell n of the image (row by row)
// shows the character mapStartChar + n, each character of the text (one byte of its UTF-8
// form) takes one item-sized quad, left to right. A byte below the first character of the
// map, or beyond the cells the image has, is left blank. Main thread; drawing needs the GL
// context.
class LabelAtlas final : public AtlasNode, public LabelProtocol {
public:
    static base::Ref<LabelAtlas> labelAtlasWithString(std::string const& string,
        std::string const& charMapFile, int itemWidth, int itemHeight, char startCharMap);

    // The content size becomes (length x item width, item height).
    void setString(std::string const& string) override;
    std::string const& string() const { return string_; }
    unsigned char mapStartChar() const { return mapStartChar_; }

    void updateAtlasValues() override;
    // Draws as many quads as the text has characters.
    void draw() override;

private:
    std::string string_;
    unsigned char mapStartChar_;

    friend base::Factory;

    LabelAtlas(std::string const& string, std::string const& charMapFile, int itemWidth,
        int itemHeight, char startCharMap);
};

}

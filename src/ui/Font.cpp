#include <ui/Font.hpp>
#include <ui/FontEngine.hpp>

namespace ui {

Font::Font()
    : Font("Helvetica", labelFontSize()) {
}

Font::Font(std::string name, float size)
    : name_(std::move(name))
    , size_(size > 0 ? size : 0) {
}

Font Font::fontWithName(std::string name, float size) {
    return Font(std::move(name), size);
}

Font Font::systemFontOfSize(float size) {
    return Font("Helvetica", size);
}

Font Font::boldSystemFontOfSize(float size) {
    return Font("Helvetica-Bold", size);
}

Font Font::italicSystemFontOfSize(float size) {
    return Font("Helvetica-Oblique", size);
}

Font Font::fontWithSize(float size) const {
    return Font(name_, size);
}

std::string Font::familyName() const {
    auto dash = name_.rfind('-');
    return dash == std::string::npos || dash == 0 ? name_ : name_.substr(0, dash);
}

namespace {

std::string styleOf(std::string const& name) {
    auto dash = name.rfind('-');
    return dash == std::string::npos ? std::string() : name.substr(dash + 1);
}

}

bool Font::isBold() const {
    auto style = styleOf(name_);
    return style.find("Bold") != std::string::npos || style.find("Black") != std::string::npos
        || style.find("Heavy") != std::string::npos;
}

bool Font::isItalic() const {
    auto style = styleOf(name_);
    return style.find("Italic") != std::string::npos || style.find("Oblique") != std::string::npos;
}

float Font::ascender() const {
    return fontengine::metrics(*this).ascender;
}

float Font::descender() const {
    return fontengine::metrics(*this).descender;
}

float Font::lineHeight() const {
    return fontengine::metrics(*this).lineHeight;
}

}

#pragma once

#include <string>

namespace ui {

// A font by the platform's name and a size in points: "Helvetica", "Helvetica-Bold",
// "Verdana", "Arial-BoldMT", "Marker Felt". The name's family part picks a free font of
// similar shape; a "-Bold..." or "-Italic..." suffix picks the style. A name nothing
// matches falls back to a sans-serif face, so every font draws. A plain value.
class Font {
public:
    // The system font at 17 points, as labels start.
    Font();

    static Font fontWithName(std::string name, float size);
    static Font systemFontOfSize(float size);
    static Font boldSystemFontOfSize(float size);
    static Font italicSystemFontOfSize(float size);
    static float labelFontSize() { return 17; }
    static float buttonFontSize() { return 18; }
    static float systemFontSize() { return 14; }

    Font fontWithSize(float size) const;

    std::string const& fontName() const { return name_; }
    // The name without its style suffix ("Helvetica" for "Helvetica-Bold").
    std::string familyName() const;
    float pointSize() const { return size_; }
    bool isBold() const;
    bool isItalic() const;

    // Distances from the baseline in points: up (positive) and down (negative).
    float ascender() const;
    float descender() const;
    // The distance between the baselines of two lines.
    float lineHeight() const;

    bool operator==(Font const&) const = default;

private:
    Font(std::string name, float size);

    std::string name_;
    float size_;
};

}

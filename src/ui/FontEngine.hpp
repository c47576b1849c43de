#pragma once

#include <ui/Font.hpp>

#include <string_view>

typedef struct _cairo cairo_t;

namespace ui::fontengine {

// The one place where the view system turns fonts into measures and pixels. Everything
// else (layout, truncation, labels) is built on these three calls, so the face behind
// them can change without touching the rest. Main thread only.

struct Metrics {
    float ascender {0};
    // Negative: below the baseline.
    float descender {0};
    float lineHeight {0};
};

Metrics metrics(Font const& font);

// The advance of UTF-8 text set in one line, in points.
float width(Font const& font, std::string_view text);

// Draws one line of UTF-8 text with its baseline starting at (x, baseline) in the user
// space of cairo, in the cairo source that is set.
void draw(cairo_t* cairo, Font const& font, std::string_view text, float x, float baseline);

}

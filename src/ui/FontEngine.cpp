#include <ui/FontEngine.hpp>

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>

#include <map>
#include <string>
#include <utility>

namespace ui::fontengine {

namespace {

struct Face {
    std::string family;
    cairo_font_slant_t slant;
    cairo_font_weight_t weight;
};

// Family and style from a platform font name: the style follows the last '-', and the
// "MT" and "PS" suffixes of some families are dropped.
Face faceOf(Font const& font) {
    std::string family = font.familyName();
    for (char const* suffix : {"MT", "PSMT", "PS"}) {
        std::string s(suffix);
        if (family.size() > s.size() && family.ends_with(s)) {
            family.resize(family.size() - s.size());
            break;
        }
    }
    return {family, font.isItalic() ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        font.isBold() ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL};
}

void select(cairo_t* cairo, Font const& font) {
    auto face = faceOf(font);
    cairo_select_font_face(cairo, face.family.c_str(), face.slant, face.weight);
    cairo_set_font_size(cairo, font.pointSize());
    // Unhinted metrics: the same advances whatever the scale of the drawing.
    auto* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cairo, options);
    cairo_font_options_destroy(options);
}

cairo_t* context = nullptr;

// Under the leak checker, cairo's font caches and fontconfig's configuration are given
// back at exit, so that they are not reported as leaks. Release builds leave them to the
// end of the process.
void releaseAtExit() {
#if defined(__SANITIZE_ADDRESS__)
    std::atexit([] {
        cairo_destroy(context);
        context = nullptr;
        cairo_debug_reset_static_data();
        FcFini();
    });
#endif
}

// A context kept for measuring only.
cairo_t* measuringContext() {
    if (!context) {
        auto* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        context = cairo_create(surface);
        cairo_surface_destroy(surface);
        releaseAtExit();
    }
    return context;
}

}

Metrics metrics(Font const& font) {
    static std::map<std::pair<std::string, float>, Metrics> cache;
    auto key = std::make_pair(font.fontName(), font.pointSize());
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    auto* cairo = measuringContext();
    select(cairo, font);
    cairo_font_extents_t extents;
    cairo_font_extents(cairo, &extents);
    Metrics result {float(extents.ascent), -float(extents.descent), float(extents.height)};
    if (cache.size() > 256)
        cache.clear();
    cache[key] = result;
    return result;
}

float width(Font const& font, std::string_view text) {
    if (text.empty())
        return 0;
    auto* cairo = measuringContext();
    select(cairo, font);
    std::string copy(text);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, copy.c_str(), &extents);
    return float(extents.x_advance);
}

void draw(cairo_t* cairo, Font const& font, std::string_view text, float x, float baseline) {
    if (text.empty())
        return;
    measuringContext();
    cairo_save(cairo);
    select(cairo, font);
    std::string copy(text);
    cairo_move_to(cairo, x, baseline);
    cairo_show_text(cairo, copy.c_str());
    cairo_new_path(cairo);
    cairo_restore(cairo);
}

}

#pragma once

#include <graphics/GLES.hpp>

namespace engine {

// A pair of GL blend factors. Drawable nodes blend with the default pair, which
// suits premultiplied alpha, and restore it after drawing with any other pair.
struct BlendFunc {
    GLenum src {GL_ONE};
    GLenum dst {GL_ONE_MINUS_SRC_ALPHA};

    bool operator==(BlendFunc const&) const = default;
};

inline constexpr BlendFunc defaultBlendFunc {GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
// For textures whose colours are not premultiplied by their alpha.
inline constexpr BlendFunc straightAlphaBlendFunc {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};

}

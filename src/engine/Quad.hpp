#pragma once

#include <engine/Color.hpp>

namespace engine {

struct Vertex3F {
    float x {0}, y {0}, z {0};
    bool operator==(Vertex3F const&) const = default;
};

struct Tex2F {
    float u {0}, v {0};
    bool operator==(Tex2F const&) const = default;
};

// One corner of a textured quad, laid out as the GL vertex arrays read it: a
// stride of 24 bytes with the position at 0, the colour at 12 and the texture
// coordinates at 16.
struct V3F_C4B_T2F {
    Vertex3F vertices;
    Color4B colors;
    Tex2F texCoords;
    bool operator==(V3F_C4B_T2F const&) const = default;
};

// A textured quad: top-left, bottom-left, top-right, bottom-right.
struct V3F_C4B_T2F_Quad {
    V3F_C4B_T2F tl;
    V3F_C4B_T2F bl;
    V3F_C4B_T2F tr;
    V3F_C4B_T2F br;
    bool operator==(V3F_C4B_T2F_Quad const&) const = default;
};

static_assert(sizeof(V3F_C4B_T2F) == 24);
static_assert(sizeof(V3F_C4B_T2F_Quad) == 96);

}

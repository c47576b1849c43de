#pragma once

#include <cstdint>

namespace effects {

// Cells across and up of a grid, or the column and row of one grid point or tile.
struct ccGridSize {
    std::int32_t x {0};
    std::int32_t y {0};

    bool operator==(ccGridSize const&) const = default;
};

inline ccGridSize ccg(std::int32_t x, std::int32_t y) {
    return {x, y};
}

// A point of a mesh; z points towards the viewer.
struct ccVertex3F {
    float x {0};
    float y {0};
    float z {0};

    bool operator==(ccVertex3F const&) const = default;
};

// One tile: its corners lower-left, lower-right, upper-left, upper-right.
struct ccQuad3 {
    ccVertex3F bl;
    ccVertex3F br;
    ccVertex3F tl;
    ccVertex3F tr;

    bool operator==(ccQuad3 const&) const = default;
};

}

#pragma once

namespace ui {

// Distances inward from each edge, as the platform's edge insets.
struct EdgeInsets {
    float top {0};
    float left {0};
    float bottom {0};
    float right {0};

    bool operator==(EdgeInsets const&) const = default;
};

}

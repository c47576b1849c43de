#pragma once

#include <cstdint>

namespace engine {

// Colours as the engine passes them to GL: 8-bit channels.
struct Color3B {
    std::uint8_t r {0}, g {0}, b {0};
    bool operator==(Color3B const&) const = default;
};

struct Color4B {
    std::uint8_t r {0}, g {0}, b {0}, a {0};
    bool operator==(Color4B const&) const = default;
};

inline Color3B makeColor3B(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {r, g, b};
}
inline Color4B makeColor4B(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return {r, g, b, a};
}

}

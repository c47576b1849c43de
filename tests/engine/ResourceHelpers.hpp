#pragma once

#include <engine/FileUtils.hpp>
#include <engine/StaticFileCache.hpp>
#include <engine/Texture2D.hpp>
#include <engine/TextureMgr.hpp>
#include <ui/Device.hpp>

#include <base/Value.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <graphics/Image.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test {

// A bundle ("bundle" and its tablet twin "bundle-ipad") and a sandbox home of
// their own in a temporary folder, for as long as the object lives; the lookup
// cache starts and ends empty and the device is the phone.
class ResourceSandbox {
public:
    ResourceSandbox() {
        std::filesystem::create_directories(bundle());
        std::filesystem::create_directories(tabletBundle());
        std::filesystem::create_directories(home());
        foundation::Sandbox::setRoot(home().string());
        foundation::Bundle::setMainBundlePath(bundle().string());
        std::filesystem::create_directories(dataFolder());
        engine::StaticFileCache::clearCache();
        ui::Device::reset();
    }
    ~ResourceSandbox() {
        engine::StaticFileCache::clearCache();
        ui::Device::reset();
        foundation::Bundle::setMainBundlePath("");
        foundation::Sandbox::setRoot("");
    }
    ResourceSandbox(ResourceSandbox const&) = delete;
    ResourceSandbox& operator=(ResourceSandbox const&) = delete;

    std::filesystem::path bundle() const { return dir_ / "bundle"; }
    std::filesystem::path tabletBundle() const { return dir_ / "bundle-ipad"; }
    std::filesystem::path home() const { return dir_ / "home"; }
    std::filesystem::path dataFolder() const { return engine::FileUtils::dataFolderPath(); }

private:
    TempDir dir_;
};

inline void writeBytes(std::filesystem::path const& path, std::vector<std::uint8_t> const& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeText(std::filesystem::path const& path, std::string const& text) {
    writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

inline void writeList(std::filesystem::path const& path, base::Value const& list) {
    std::filesystem::create_directories(path.parent_path());
    foundation::PropertyList::writeToFile(list, path.string());
}

inline graphics::Image solidImage(int width, int height, graphics::Rgba colour) {
    graphics::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour);
    }
    return image;
}

// An opaque image: the colour info says there is no alpha, as for a JPEG.
inline graphics::Image opaqueImage(int width, int height, graphics::Rgba colour) {
    colour.a = 255;
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {colour.r, colour.g, colour.b, 255});
    return graphics::Image(width, height, graphics::Image::Format::RGBA8,
        graphics::AlphaInfo::NoneSkipLast, std::move(pixels));
}

inline void writePNG(std::filesystem::path const& path, graphics::Image const& image) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(image.writePNG(path));
}

// PVRTC blocks and files, as the format lays them out.
namespace pvr {

// Colour word of two opaque colours: A in RGB 5-5-4 (low half), B in RGB 5-5-5
// (high half); mode is the block's mode bit.
inline std::uint32_t opaqueColours(
    int ar, int ag, int ab4, int br, int bg, int bb, bool mode = false) {
    std::uint32_t a
        = 0x8000u | std::uint32_t(ar) << 10 | std::uint32_t(ag) << 5 | std::uint32_t(ab4) << 1;
    std::uint32_t b
        = 0x8000u | std::uint32_t(br) << 10 | std::uint32_t(bg) << 5 | std::uint32_t(bb);
    return b << 16 | a | (mode ? 1u : 0u);
}

// Translucent colour A (ARGB 3-4-4-3) with an opaque B.
inline std::uint32_t translucentA(int a3, int r4, int g4, int b3, int br, int bg, int bb) {
    std::uint32_t a = std::uint32_t(a3) << 12 | std::uint32_t(r4) << 8 | std::uint32_t(g4) << 4
        | std::uint32_t(b3) << 1;
    std::uint32_t b
        = 0x8000u | std::uint32_t(br) << 10 | std::uint32_t(bg) << 5 | std::uint32_t(bb);
    return b << 16 | a;
}

inline void appendWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(word >> (8 * i)));
}

inline std::vector<std::uint8_t> block(std::uint32_t modulation, std::uint32_t colours) {
    std::vector<std::uint8_t> out;
    appendWord(out, modulation);
    appendWord(out, colours);
    return out;
}

// The same block count times.
inline std::vector<std::uint8_t> repeat(std::vector<std::uint8_t> const& one, int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), one.begin(), one.end());
    return out;
}

// 4 bits per pixel: modulation codes of a 4 x 4 block, rows from the top.
inline std::uint32_t modulation4(std::array<std::array<int, 4>, 4> const& codes) {
    std::uint32_t word = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            word |= std::uint32_t(codes[y][x] & 3) << (2 * (y * 4 + x));
    }
    return word;
}

// The legacy 52-byte header and the data.
inline std::vector<std::uint8_t> file(unsigned width, unsigned height, std::uint32_t type,
    std::vector<std::uint8_t> const& data, std::uint32_t alphaMask = 0,
    std::uint32_t dataLength = 0xFFFFFFFF) {
    std::vector<std::uint8_t> out;
    appendWord(out, 52);
    appendWord(out, height);
    appendWord(out, width);
    appendWord(out, 0);
    appendWord(out, type);
    appendWord(out, dataLength == 0xFFFFFFFF ? std::uint32_t(data.size()) : dataLength);
    appendWord(out, type == 0x18 ? 2 : 4);
    appendWord(out, 0);
    appendWord(out, 0);
    appendWord(out, 0);
    appendWord(out, alphaMask);
    out.insert(out.end(), {'P', 'V', 'R', '!'});
    appendWord(out, 1);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

}

}

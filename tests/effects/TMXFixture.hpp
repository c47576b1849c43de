#pragma once

#include "ParticleFixture.hpp"

#include <foundation/Base64.hpp>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test::tmx {

// The little-endian bytes of GIDs, as layer data holds them.
inline std::vector<std::uint8_t> gidBytes(std::vector<std::uint32_t> const& gids) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t gid : gids) {
        for (int i = 0; i < 4; ++i)
            out.push_back(std::uint8_t(gid >> (8 * i)));
    }
    return out;
}

// A gzip (windowBits 31) or zlib (15) stream of the bytes.
inline std::vector<std::uint8_t> deflateBytes(std::vector<std::uint8_t> const& in, bool gzip) {
    z_stream stream {};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, gzip ? 31 : 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<std::uint8_t> out(deflateBound(&stream, uLong(in.size())) + 64);
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = uInt(in.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

inline std::string base64(std::vector<std::uint8_t> const& bytes) {
    return foundation::Base64::encode(foundation::ByteView(bytes.data(), bytes.size()));
}

// A layer element with its data: base64 GIDs, compressed as asked ("", "gzip", "zlib").
inline std::string layer(std::string const& name, int width, int height,
    std::vector<std::uint32_t> const& gids, std::string const& compression = "",
    std::string const& extra = "") {
    auto bytes = gidBytes(gids);
    if (!compression.empty())
        bytes = deflateBytes(bytes, compression == "gzip");
    std::string data = "<data encoding=\"base64\""
        + (compression.empty() ? std::string() : " compression=\"" + compression + "\"") + ">\n   "
        + base64(bytes) + "\n  </data>";
    return " <layer name=\"" + name + "\" width=\"" + std::to_string(width) + "\" height=\""
        + std::to_string(height) + "\"" + extra + ">\n  " + data + "\n </layer>\n";
}

inline std::string tileset(std::string const& image = "tiles.png", int firstGid = 1, int tile = 32,
    int spacing = 0, int margin = 0) {
    return " <tileset name=\"ground\" firstgid=\"" + std::to_string(firstGid) + "\" tilewidth=\""
        + std::to_string(tile) + "\" tileheight=\"" + std::to_string(tile) + "\" spacing=\""
        + std::to_string(spacing) + "\" margin=\"" + std::to_string(margin)
        + "\">\n  <image source=\"" + image + "\"/>\n </tileset>\n";
}

inline std::string map(std::string const& orientation, int width, int height, int tileWidth,
    int tileHeight, std::string const& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"0.99b\" orientation=\""
        + orientation + "\" width=\"" + std::to_string(width) + "\" height=\""
        + std::to_string(height) + "\" tilewidth=\"" + std::to_string(tileWidth)
        + "\" tileheight=\"" + std::to_string(tileHeight) + "\">\n" + body + "</map>\n";
}

// The colour of tile n (counted from 0) of the fixture's tileset.
inline graphics::Rgba tileColour(int n) {
    return {
        std::uint8_t(40 + 25 * n), std::uint8_t(200 - 20 * n), std::uint8_t(n % 2 ? 220 : 30), 255};
}

}

namespace test {

// A particle-test surface whose bundle also holds "tiles.png": 128 x 64 pixels of eight
// 32 x 32 tiles in two rows, tile n filled with tmx::tileColour(n).
class TMXTest : public ParticleTest {
protected:
    void SetUp() override {
        ParticleTest::SetUp();
        graphics::Image sheet(128, 64);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 128; ++x)
                sheet.setPixel(x, y, tmx::tileColour(x / 32 + 4 * (y / 32)));
        }
        writePNG(resources->bundle() / "tiles.png", sheet);
    }

    void writeMap(std::string const& name, std::string const& text) {
        writeText(resources->bundle() / name, text);
        engine::StaticFileCache::clearCache();
    }
};

}

#pragma once

#include "KestrelFixture.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test {

// The golden ad reply, written block by block from a table, with the offset where
// each block begins (the truncation points of the hostile cases).
struct GoldenReply {
    base::Bytes bytes;
    std::vector<std::size_t> blockStarts;
    std::size_t endOfMessage {0}; // offset just after the end-of-message block
};

inline GoldenReply goldenReply() {
    struct Block {
        std::uint16_t tag;
        ReplyWriter payload;
    };
    std::vector<Block> blocks;
    blocks.push_back({0x0102, ReplyWriter().i32(7)});
    blocks.push_back({0x0106,
        ReplyWriter()
            .u16(2)
            .i64(11)
            .i32(40)
            .i32(40)
            .str("image/png")
            .u32(std::uint32_t(pngOf(4, 4, 200).size()))
            .raw(pngOf(4, 4, 200))
            .i64(21)
            .i32(320)
            .i32(50)
            .str("image/png")
            .u32(std::uint32_t(pngOf(8, 2, 100).size()))
            .raw(pngOf(8, 2, 100))});
    blocks.push_back({0x0103,
        ReplyWriter()
            .u8(1)
            .u16(2)
            .i64(101)
            .i64(9001)
            .str("Puppy Spa")
            .str("Kestrel Games")
            .i64(0)
            .i64(11)
            .u8(5)
            .raw({0x0A, 0x1B, 0x2C, 0x3D, 0x4E})
            .i64(102)
            .i64(9002)
            .str("Cat Cafe")
            .str("Whisker Co")
            .i64(77)
            .i64(11)
            .u8(0)});
    blocks.push_back({0x0107, ReplyWriter().u32(2).str("banner").u8(1).u8(3).str("").u8(1).u8(3)});
    blocks.push_back({0x010A,
        ReplyWriter()
            .u8(1)
            .u8(3)
            .str("Play now!")
            .i64(21)
            .i64(0)
            .style("Arial", 14, 0x00FF8000)
            .style("Helvetica", 12, 0x00000000)
            .style("Courier", 10, 0x000000FF)});
    blocks.push_back({0x010C, ReplyWriter().u32(1).i64(11).i16(5)});
    blocks.push_back(
        {0x010D, ReplyWriter().u16(0).u16(1).u32(30).i64(1234567).u8(4).u8(2).str("1.5").str("x")});
    blocks.push_back(
        {0x010E, ReplyWriter().u16(1).str("banner").u16(2).u16(0x0701).i64(2).u16(0x0999).i64(5)});
    ReplyWriter extension;
    extension.u8(1).u8(3);
    extension.style("Arial", 16, 0x00112233)
        .style("Arial", 17, 0x00445566)
        .style("Arial", 18, 0x00778899);
    for (int i = 1; i <= 36; ++i)
        extension.i32(i);
    blocks.push_back({0x010F, extension});
    blocks.push_back({0x0110, ReplyWriter().i64(101).str("Spa for pets").i32(199)});
    blocks.push_back({0x0122,
        ReplyWriter()
            .u16(2)
            .i64(101)
            .u8(3)
            .str("http://ads.kestrel.example/cb?x=1")
            .u8(1)
            .i64(0)
            .u8(4)
            .str("http://tracker.example.org/t")
            .u8(2)});
    blocks.push_back({0x0108, ReplyWriter()});

    GoldenReply reply;
    ReplyWriter all;
    for (auto const& block : blocks) {
        reply.blockStarts.push_back(all.bytes.size());
        all.block(block.tag, block.payload);
    }
    reply.endOfMessage = all.bytes.size();
    // A block after the end of the message is never read.
    all.block(0x0102, ReplyWriter().i32(99));
    reply.bytes = all.bytes;
    return reply;
}

}

#include <media/CafFile.hpp>
#include <media/DataSource.hpp>

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

using media::CafFile;
namespace status = media::status;

namespace {

// Builds CAF files chunk by chunk, sizes as given, so damaged files can be made.
struct CafBuilder {
    std::vector<std::uint8_t> bytes {'c', 'a', 'f', 'f', 0, 1, 0, 0};

    void be32(std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(std::uint8_t(v >> shift));
    }
    void be64(std::uint64_t v) {
        be32(std::uint32_t(v >> 32));
        be32(std::uint32_t(v));
    }
    void chunk(std::string const& type, std::uint64_t size) {
        bytes.insert(bytes.end(), type.begin(), type.end());
        be64(size);
    }
    void desc(std::uint64_t size = 32) {
        chunk("desc", size);
        be64(std::bit_cast<std::uint64_t>(22050.0));
        be32(media::formatAppleIMA4);
        be32(0);
        be32(34);
        be32(64);
        be32(1);
        be32(0);
    }
    void data(std::uint64_t declared, std::size_t actual) {
        chunk("data", declared);
        be32(0);
        bytes.insert(bytes.end(), actual, 0x11);
    }
};

media::Status readCaf(std::vector<std::uint8_t> bytes, CafFile& out) {
    auto source = media::DataSource::fromBytes(std::move(bytes));
    return CafFile::read(*source, out);
}

}

TEST(CafFile, ReadsDescriptionDataCookieAndPacketTable) {
    CafBuilder caf;
    caf.desc();
    caf.chunk("kuki", 3);
    caf.bytes.insert(caf.bytes.end(), {1, 2, 3});
    caf.chunk("pakt", 24);
    caf.be64(2);
    caf.be64(100);
    caf.be32(10);
    caf.be32(18);
    caf.chunk("free", 5);
    caf.bytes.insert(caf.bytes.end(), 5, 0);
    caf.data(4 + 68, 68);

    CafFile file;
    ASSERT_EQ(readCaf(caf.bytes, file), status::ok);
    EXPECT_EQ(file.format.sampleRate, 22050.0);
    EXPECT_EQ(file.format.formatID, media::formatAppleIMA4);
    EXPECT_EQ(file.format.bytesPerPacket, 34u);
    EXPECT_EQ(file.format.framesPerPacket, 64u);
    EXPECT_EQ(file.format.channelsPerFrame, 1u);
    EXPECT_EQ(file.magicCookie, (std::vector<std::uint8_t> {1, 2, 3}));
    ASSERT_TRUE(file.packetTable);
    EXPECT_EQ(file.packetTable->numberPackets, 2);
    EXPECT_EQ(file.packetTable->numberValidFrames, 100);
    EXPECT_EQ(file.packetTable->primingFrames, 10);
    EXPECT_EQ(file.packetTable->remainderFrames, 18);
    EXPECT_EQ(file.dataSize, 68);
    EXPECT_EQ(file.dataOffset, std::int64_t(caf.bytes.size()) - 68);
}

TEST(CafFile, DataRunsToTheEndWhenItsSizeIsUnknownOrCutShort) {
    for (std::uint64_t declared : {~std::uint64_t(0), std::uint64_t(4 + 1000)}) {
        CafBuilder caf;
        caf.desc();
        caf.data(declared, 68);
        CafFile file;
        ASSERT_EQ(readCaf(caf.bytes, file), status::ok);
        EXPECT_EQ(file.dataSize, 68);
    }
}

TEST(CafFile, RefusesDamagedFiles) {
    struct Case {
        char const* name;
        std::vector<std::uint8_t> bytes;
        media::Status expected;
    };
    std::vector<Case> cases;

    cases.push_back({"not a CAF file", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
        status::unsupportedFileType});
    cases.push_back({"header only", {'c', 'a', 'f', 'f'}, status::unsupportedFileType});
    {
        CafBuilder caf;
        caf.data(4 + 34, 34);
        cases.push_back({"no description", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc();
        cases.push_back({"no data", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc(31);
        caf.data(4 + 34, 34);
        cases.push_back({"short description", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc();
        caf.chunk("kuki", std::uint64_t(1) << 40);
        cases.push_back({"chunk larger than the file", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc();
        caf.chunk("free", ~std::uint64_t(0) - 5);
        cases.push_back({"negative chunk size", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc();
        caf.chunk("pakt", 24);
        caf.be64(~std::uint64_t(0));
        caf.be64(0);
        caf.be64(0);
        caf.data(4 + 34, 34);
        cases.push_back({"negative packet count", caf.bytes, status::invalidFile});
    }
    {
        CafBuilder caf;
        caf.desc();
        caf.data(2, 0);
        cases.push_back({"data chunk without its edit count", caf.bytes, status::invalidFile});
    }

    for (auto const& c : cases) {
        CafFile file;
        EXPECT_EQ(readCaf(c.bytes, file), c.expected) << c.name;
    }
}

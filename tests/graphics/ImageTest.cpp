#include <graphics/Image.hpp>
#include <support/LogCapture.hpp>
#include <support/PeakMemory.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator hooks (declared in its allocator_interface.h, which
// g++ does not ship).
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*malloc_hook)(void const volatile*, std::size_t),
    void (*free_hook)(void const volatile*));
#endif

using graphics::AlphaInfo;
using graphics::Image;
using graphics::Rgba;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The JPEG files in data/ were made with cjpeg from 16 x 16 quadrants (red top-left, green
// top-right, blue bottom-left, white bottom-right; -quality 100 -sample 1x1, one of them also
// -progressive) and an 8 x 8 grey picture (64 in the top half, 192 in the bottom; -grayscale).
Bytes readData(std::string const& name) {
    std::ifstream file(std::string(QUILLABY_TEST_DATA) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void put32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

void putChunk(Bytes& out, char const* type, Bytes const& data) {
    put32(out, std::uint32_t(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32(out, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

struct PngChunk {
    char const* type;
    Bytes data;
};

// A PNG built by hand, so each colour type and bit depth can be tested with exact pixels:
// rows are the raw scanlines without filter bytes; interlaced files get the rows as they are
// (the caller lays out the passes).
Bytes makePNG(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth,
    std::vector<Bytes> const& rows, std::vector<PngChunk> const& extra = {},
    bool interlaced = false) {
    Bytes out {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(),
        {std::uint8_t(bitDepth), std::uint8_t(colorType), 0, 0, std::uint8_t(interlaced)});
    putChunk(out, "IHDR", header);
    for (auto const& chunk : extra)
        putChunk(out, chunk.type, chunk.data);
    Bytes raw;
    for (auto const& row : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    uLongf size = compressBound(uLong(raw.size()));
    Bytes compressed(size);
    compress(compressed.data(), &size, raw.data(), uLong(raw.size()));
    compressed.resize(size);
    putChunk(out, "IDAT", compressed);
    putChunk(out, "IEND", {});
    return out;
}

// A 2 x 1 opaque RGB picture used where any valid PNG will do.
Bytes smallPNG() {
    return makePNG(2, 1, 2, 8, {{10, 20, 30, 40, 50, 60}});
}

bool near(Rgba a, Rgba b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

}

struct PngFormCase {
    char const* name;
    Bytes file;
    Rgba first;
    Rgba second;
    bool hasAlpha;
    int bitsPerComponent;
};

void PrintTo(PngFormCase const& c, std::ostream* out) {
    *out << c.name;
}

class PngForms : public ::testing::TestWithParam<PngFormCase> { };

TEST_P(PngForms, DecodeToEightBitRGBA) {
    auto const& c = GetParam();
    auto image = Image::decodePNG(c.file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 1);
    EXPECT_EQ(image->format(), Image::Format::RGBA8);
    EXPECT_EQ(image->pixel(0, 0), c.first) << image->pixel(0, 0);
    EXPECT_EQ(image->pixel(1, 0), c.second) << image->pixel(1, 0);
    EXPECT_EQ(image->hasAlpha(), c.hasAlpha);
    EXPECT_EQ(image->alphaInfo(), c.hasAlpha ? AlphaInfo::Last : AlphaInfo::NoneSkipLast);
    EXPECT_FALSE(image->isPremultiplied());
    EXPECT_EQ(image->bitsPerComponent(), c.bitsPerComponent);
}

INSTANTIATE_TEST_SUITE_P(Image, PngForms,
    ::testing::Values(PngFormCase {"Grey1", makePNG(2, 1, 0, 1, {{0b10000000}}),
                          {255, 255, 255, 255}, {0, 0, 0, 255}, false, 1},
        PngFormCase {"Grey4", makePNG(2, 1, 0, 4, {{0x3F}}), {51, 51, 51, 255},
            {255, 255, 255, 255}, false, 4},
        PngFormCase {"Grey8", makePNG(2, 1, 0, 8, {{7, 200}}), {7, 7, 7, 255}, {200, 200, 200, 255},
            false, 8},
        PngFormCase {"Grey16", makePNG(2, 1, 0, 16, {{0xFF, 0xFF, 0x80, 0x80}}),
            {255, 255, 255, 255}, {128, 128, 128, 255}, false, 16},
        PngFormCase {"GreyAlpha8", makePNG(2, 1, 4, 8, {{100, 50, 20, 255}}), {100, 100, 100, 50},
            {20, 20, 20, 255}, true, 8},
        PngFormCase {"RGB8", makePNG(2, 1, 2, 8, {{1, 2, 3, 250, 251, 252}}), {1, 2, 3, 255},
            {250, 251, 252, 255}, false, 8},
        PngFormCase {"RGB16",
            makePNG(2, 1, 2, 16, {{0xFF, 0xFF, 0, 0, 0x80, 0x80, 0, 0, 0, 0, 0xFF, 0xFF}}),
            {255, 0, 128, 255}, {0, 0, 255, 255}, false, 16},
        PngFormCase {"RGBA8", makePNG(2, 1, 6, 8, {{9, 8, 7, 0, 6, 5, 4, 128}}), {9, 8, 7, 0},
            {6, 5, 4, 128}, true, 8},
        PngFormCase {"Palette2",
            makePNG(2, 1, 3, 2, {{0b01100000}}, {{"PLTE", {0, 0, 0, 255, 0, 0, 0, 0, 255}}}),
            {255, 0, 0, 255}, {0, 0, 255, 255}, false, 8},
        PngFormCase {"PaletteWithTransparency",
            makePNG(2, 1, 3, 8, {{0, 1}}, {{"PLTE", {10, 20, 30, 40, 50, 60}}, {"tRNS", {0}}}),
            {10, 20, 30, 0}, {40, 50, 60, 255}, true, 8},
        PngFormCase {"RGBWithColourKey",
            makePNG(2, 1, 2, 8, {{1, 2, 3, 4, 5, 6}}, {{"tRNS", {0, 4, 0, 5, 0, 6}}}),
            {1, 2, 3, 255}, {4, 5, 6, 0}, true, 8},
        // Text, a broken colour profile and a suggested palette are skipped unread.
        PngFormCase {"WithChunksForOtherPrograms",
            makePNG(2, 1, 2, 8, {{1, 2, 3, 4, 5, 6}},
                {{"tEXt", {'T', 0, 'x'}}, {"iCCP", {'p', 0, 0, 0x78, 0x9C}},
                    {"sPLT", {'s', 0, 8, 1, 2, 3, 4, 0, 5}}}),
            {1, 2, 3, 255}, {4, 5, 6, 255}, false, 8},
        // Adam7 on a 2 x 1 picture: pass 1 holds pixel 0, pass 6 holds pixel 1.
        PngFormCase {"Interlaced", makePNG(2, 1, 2, 8, {{11, 12, 13}, {21, 22, 23}}, {}, true),
            {11, 12, 13, 255}, {21, 22, 23, 255}, false, 8}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST(Image, RoundTripsThroughPNGWithStraightAlpha) {
    Image image(3, 2, Image::Format::RGBA8, AlphaInfo::Last,
        {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4, 100, 150, 200, 250, 0, 0, 0,
            255});
    auto bytes = image.encodePNG();
    ASSERT_TRUE(bytes);
    auto decoded = Image::decodePNG(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, image);
}

TEST(Image, OpaqueImageRoundTripsAsOpaqueWhateverItsSkippedByte) {
    Image image(
        2, 1, Image::Format::RGBA8, AlphaInfo::NoneSkipLast, {10, 20, 30, 0, 40, 50, 60, 7});
    auto decoded = Image::decodePNG(*image.encodePNG());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->alphaInfo(), AlphaInfo::NoneSkipLast);
    EXPECT_EQ(decoded->pixel(0, 0), (Rgba {10, 20, 30, 255}));
    EXPECT_EQ(decoded->pixel(1, 0), (Rgba {40, 50, 60, 255}));
}

TEST(Image, PremultipliedImageIsWrittenWithStraightAlpha) {
    Image image(
        2, 1, Image::Format::RGBA8, AlphaInfo::PremultipliedLast, {128, 64, 0, 128, 0, 0, 0, 0});
    auto decoded = Image::decodePNG(*image.encodePNG());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->alphaInfo(), AlphaInfo::Last);
    EXPECT_EQ(decoded->pixel(0, 0), (Rgba {255, 128, 0, 128}));
    EXPECT_EQ(decoded->pixel(1, 0), (Rgba {0, 0, 0, 0}));
    decoded->premultiplyAlpha();
    EXPECT_EQ(decoded->pixel(0, 0), image.pixel(0, 0));
}

TEST(Image, MaskIsWrittenAsGrey) {
    Image mask(3, 1, Image::Format::A8);
    mask.setPixel(0, 0, {0, 0, 0, 0});
    mask.setPixel(1, 0, {9, 9, 9, 128});
    mask.setPixel(2, 0, {0, 0, 0, 255});
    EXPECT_EQ(mask.pixel(1, 0), (Rgba {0, 0, 0, 128}));
    EXPECT_FALSE(mask.hasColorSpace());
    EXPECT_EQ(mask.alphaInfo(), AlphaInfo::Only);
    auto decoded = Image::decodePNG(*mask.encodePNG());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixel(0, 0), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(decoded->pixel(1, 0), (Rgba {128, 128, 128, 255}));
    EXPECT_EQ(decoded->pixel(2, 0), (Rgba {255, 255, 255, 255}));
}

TEST(Image, EmptyImageIsNotEncoded) {
    test::LogCapture log;
    EXPECT_FALSE(Image().encodePNG());
    EXPECT_TRUE(log.contains("empty"));
    EXPECT_FALSE(Image().encodeJPEG(1));
}

TEST(Image, RoundTripsThroughJPEGWithColoursOverBlack) {
    // Left half opaque orange, right half half-transparent white (grey over black).
    Image image(
        16, 16, Image::Format::RGBA8, AlphaInfo::Last, std::vector<std::uint8_t>(16 * 16 * 4, 0));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, x < 8 ? Rgba {250, 120, 10, 255} : Rgba {255, 255, 255, 128});
    }
    auto bytes = image.encodeJPEG(1.0f);
    ASSERT_TRUE(bytes);
    ASSERT_GE(bytes->size(), 4u);
    EXPECT_EQ((*bytes)[0], 0xFF);
    EXPECT_EQ((*bytes)[1], 0xD8);
    auto decoded = Image::decodeJPEG(*bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 16);
    auto near = [](Rgba a, Rgba b) {
        return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6;
    };
    EXPECT_TRUE(near(decoded->pixel(2, 8), {250, 120, 10, 255})) << decoded->pixel(2, 8);
    EXPECT_TRUE(near(decoded->pixel(13, 8), {128, 128, 128, 255})) << decoded->pixel(13, 8);
    // A lower quality gives a smaller file.
    auto small = image.encodeJPEG(0.1f);
    ASSERT_TRUE(small);
    EXPECT_LT(small->size(), bytes->size());
}

TEST(Image, PremultipliesAndUnpremultipliesWithRounding) {
    Image image(3, 1, Image::Format::RGBA8, AlphaInfo::Last,
        {255, 128, 0, 128, 200, 100, 50, 0, 7, 8, 9, 255});
    image.premultiplyAlpha();
    EXPECT_TRUE(image.isPremultiplied());
    EXPECT_EQ(image.pixel(0, 0), (Rgba {128, 64, 0, 128}));
    EXPECT_EQ(image.pixel(1, 0), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(image.pixel(2, 0), (Rgba {7, 8, 9, 255}));
    image.premultiplyAlpha(); // already premultiplied: nothing changes
    EXPECT_EQ(image.pixel(0, 0), (Rgba {128, 64, 0, 128}));
    image.unpremultiplyAlpha();
    EXPECT_EQ(image.alphaInfo(), AlphaInfo::Last);
    EXPECT_EQ(image.pixel(0, 0), (Rgba {255, 128, 0, 128}));
    EXPECT_EQ(image.pixel(2, 0), (Rgba {7, 8, 9, 255}));
}

TEST(Image, OpaqueImageIsLeftAloneByPremultiplying) {
    Image image(1, 1, Image::Format::RGBA8, AlphaInfo::NoneSkipLast, {10, 20, 30, 0});
    image.premultiplyAlpha();
    EXPECT_EQ(image.alphaInfo(), AlphaInfo::NoneSkipLast);
    EXPECT_EQ(image.pixel(0, 0), (Rgba {10, 20, 30, 0}));
}

TEST(Image, AlphaCodesOneToFourHaveAlpha) {
    struct Case {
        Image::Format format;
        AlphaInfo info;
        bool hasAlpha;
        bool premultiplied;
    } const cases[] = {
        {Image::Format::RGBA8, AlphaInfo::PremultipliedLast, true, true},
        {Image::Format::RGBA8, AlphaInfo::Last, true, false},
        {Image::Format::RGBA8, AlphaInfo::NoneSkipLast, false, false},
        {Image::Format::A8, AlphaInfo::Only, false, false},
    };
    for (auto const& c : cases) {
        Image image(1, 1, c.format, c.info, Bytes(c.format == Image::Format::A8 ? 1 : 4));
        EXPECT_EQ(image.hasAlpha(), c.hasAlpha) << int(c.info);
        EXPECT_EQ(image.isPremultiplied(), c.premultiplied) << int(c.info);
    }
    EXPECT_EQ(int(AlphaInfo::PremultipliedLast), 1);
    EXPECT_EQ(int(AlphaInfo::First), 4);
    EXPECT_EQ(int(AlphaInfo::Only), 7);
}

TEST(Image, FlipsRowsInPlace) {
    Image image(1, 3, Image::Format::A8, AlphaInfo::Only, {1, 2, 3});
    image.flipVertically();
    EXPECT_EQ(image.pixel(0, 0).a, 3);
    EXPECT_EQ(image.pixel(0, 1).a, 2);
    EXPECT_EQ(image.pixel(0, 2).a, 1);
}

TEST(Image, NewImageIsTransparentBlack) {
    Image image(4, 2);
    EXPECT_EQ(image.pixels().size(), 32u);
    EXPECT_EQ(image.pixel(3, 1), (Rgba {}));
    EXPECT_EQ(image.alphaInfo(), AlphaInfo::PremultipliedLast);
    EXPECT_EQ(image.bitsPerComponent(), 8);
}

TEST(Image, DecodesBaselineAndProgressiveJPEG) {
    for (auto const* name : {"quadrants.jpg", "quadrants-progressive.jpg"}) {
        SCOPED_TRACE(name);
        auto image = Image::decodeJPEG(readData(name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), 16);
        EXPECT_EQ(image->height(), 16);
        EXPECT_EQ(image->format(), Image::Format::RGBA8);
        EXPECT_EQ(image->alphaInfo(), AlphaInfo::NoneSkipLast);
        EXPECT_FALSE(image->hasAlpha());
        EXPECT_EQ(image->bitsPerComponent(), 8);
        // Rows run from the top: red and green above, blue and white below.
        EXPECT_TRUE(near(image->pixel(3, 3), {255, 0, 0, 255}, 4)) << image->pixel(3, 3);
        EXPECT_TRUE(near(image->pixel(12, 3), {0, 255, 0, 255}, 4)) << image->pixel(12, 3);
        EXPECT_TRUE(near(image->pixel(3, 12), {0, 0, 255, 255}, 4)) << image->pixel(3, 12);
        EXPECT_TRUE(near(image->pixel(12, 12), {255, 255, 255, 255}, 4)) << image->pixel(12, 12);
    }
}

TEST(Image, DecodesGreyJPEGAsRGB) {
    auto image = Image::decodeJPEG(readData("grey.jpg"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 8);
    EXPECT_TRUE(image->hasColorSpace());
    EXPECT_TRUE(near(image->pixel(4, 1), {64, 64, 64, 255}, 2)) << image->pixel(4, 1);
    EXPECT_TRUE(near(image->pixel(4, 6), {192, 192, 192, 255}, 2)) << image->pixel(4, 6);
}

namespace {

Bytes truncated(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes withByte(Bytes bytes, std::size_t index, std::uint8_t value) {
    bytes.at(index) = value;
    return bytes;
}

Bytes flipped(Bytes bytes, std::size_t index) {
    bytes.at(index) ^= 0xFF;
    return bytes;
}

// The JPEG fixture with its frame header claiming another size.
Bytes jpegOfSize(std::uint16_t width, std::uint16_t height) {
    auto bytes = readData("quadrants.jpg");
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = std::uint8_t(height >> 8);
            bytes[i + 6] = std::uint8_t(height);
            bytes[i + 7] = std::uint8_t(width >> 8);
            bytes[i + 8] = std::uint8_t(width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

// The progressive JPEG fixture with its frame header claiming another size; the scans
// that follow hold the data of 16 x 16.
Bytes progressiveJpegOfSize(std::uint16_t width, std::uint16_t height) {
    auto bytes = readData("quadrants-progressive.jpg");
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {
            bytes[i + 5] = std::uint8_t(height >> 8);
            bytes[i + 6] = std::uint8_t(height);
            bytes[i + 7] = std::uint8_t(width >> 8);
            bytes[i + 8] = std::uint8_t(width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no progressive frame header";
    return bytes;
}

// The header of a valid PNG followed by a chunk whose length claims more than the file holds.
Bytes pngWithChunkClaiming(char const* type, std::uint32_t length) {
    Bytes bytes = truncated(smallPNG(), 33);
    put32(bytes, length);
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), 16, 0);
    return bytes;
}

std::size_t findMarker(Bytes const& bytes, std::uint8_t marker) {
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    }
    return bytes.size();
}

}

struct RefusedCase {
    char const* name;
    Bytes bytes;
    char const* reason;
};

void PrintTo(RefusedCase const& c, std::ostream* out) {
    *out << c.name;
}

class RefusedImages : public ::testing::TestWithParam<RefusedCase> { };

TEST_P(RefusedImages, GiveNothingAndOneLoggedLine) {
    auto const& c = GetParam();
    test::LogCapture log;
    EXPECT_FALSE(Image::decode(c.bytes));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("refused"), std::string::npos) << log.lines()[0];
    EXPECT_NE(log.lines()[0].find(c.reason), std::string::npos) << log.lines()[0];
}

INSTANTIATE_TEST_SUITE_P(Image, RefusedImages,
    ::testing::Values(RefusedCase {"Empty", {}, "signature"},
        RefusedCase {"Text", Bytes {'h', 'e', 'l', 'l', 'o'}, "signature"},
        RefusedCase {"PngSignatureOnly", truncated(smallPNG(), 8), "truncated"},
        RefusedCase {"PngCutInHeader", truncated(smallPNG(), 20), "truncated"},
        RefusedCase {"PngCutInImageData", truncated(smallPNG(), smallPNG().size() - 20), ""},
        RefusedCase {"PngWithoutEnd", truncated(smallPNG(), smallPNG().size() - 12), "truncated"},
        RefusedCase {"PngBadHeaderChecksum", flipped(smallPNG(), 29), "CRC"},
        RefusedCase {"PngBadImageChecksum", flipped(smallPNG(), smallPNG().size() - 13), "CRC"},
        RefusedCase {"PngBitDepthThree", makePNG(2, 1, 2, 3, {{0}}), ""},
        RefusedCase {"PngZeroWidth", makePNG(0, 1, 2, 8, {{}}), ""},
        RefusedCase {"PngTooWide", makePNG(8193, 1, 0, 8, {Bytes(8193)}),
            "8193 x 1 pixels; sides run from 1 to 8192"},
        RefusedCase {"PngHuge", makePNG(60000, 60000, 6, 8, {Bytes(16)}), "60000 x 60000"},
        RefusedCase {"PngTooLittleData", makePNG(4, 4, 2, 8, {Bytes(12)}), ""},
        RefusedCase {"PngPaletteMissing", makePNG(2, 1, 3, 8, {{0, 1}}), ""},
        RefusedCase {
            "PngTextLongerThanTheFile", pngWithChunkClaiming("tEXt", 0x73001900), "truncated"},
        RefusedCase {"JpegStartOnly", Bytes {0xFF, 0xD8, 0xFF}, ""},
        RefusedCase {"JpegCutInHeader", truncated(readData("quadrants.jpg"), 100), ""},
        RefusedCase {"JpegCutInData",
            truncated(readData("quadrants.jpg"), findMarker(readData("quadrants.jpg"), 0xDA) + 40),
            "corrupt or truncated"},
        RefusedCase {"ProgressiveJpegCut",
            truncated(readData("quadrants-progressive.jpg"),
                readData("quadrants-progressive.jpg").size() - 100),
            "corrupt or truncated"},
        RefusedCase {"JpegZeroSize", jpegOfSize(0, 16), ""},
        RefusedCase {"JpegTooTall", jpegOfSize(16, 9000), "16 x 9000"},
        RefusedCase {"JpegBadScanHeader",
            withByte(readData("quadrants.jpg"), findMarker(readData("quadrants.jpg"), 0xDA) + 4, 9),
            ""}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

namespace {

// The largest single allocation while watching, recorded by a hook of the sanitizer's
// allocator; builds without AddressSanitizer cannot watch.
std::atomic<bool> watchingAllocations {false};
std::atomic<std::size_t> largestAllocation {0};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool canWatchAllocations = true;

void recordAllocation(void const volatile*, std::size_t size) {
    if (watchingAllocations && size > largestAllocation)
        largestAllocation = size;
}

void ignoreFree(void const volatile*) {
}

void installAllocationHook() {
    static int const installed
        = __sanitizer_install_malloc_and_free_hooks(&recordAllocation, &ignoreFree);
    ASSERT_NE(installed, 0);
}
#else
constexpr bool canWatchAllocations = false;

void installAllocationHook() {
}
#endif

}

// libpng allocates the length a chunk claims before reading it, only warning when it passes
// its limit: fuzzing found a 104-byte file whose sPLT chunk asked for 1.9 GB. Chunks the
// image does not need are skipped unread, and nothing near their claim is allocated.
TEST(Image, AllocatesNothingLikeTheLengthAChunkClaims) {
    static std::uint8_t const found[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00,
        0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x0b, 0x00, 0x00, 0x00, 0x01, 0x04,
        0x03, 0x00, 0x00, 0x00, 0xfa, 0x19, 0x49, 0x73, 0x73, 0x00, 0x19, 0x00, 0x73, 0x50, 0x4c,
        0x54, 0x45, 0x00, 0x67, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x2e, 0xad, 0x16, 0xdc,
        0x00, 0x00, 0x00, 0x02, 0x74, 0x52, 0x4e, 0x53, 0xde, 0x80, 0x9b, 0x2b, 0x4e, 0x18, 0x00,
        0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x84, 0x00, 0x00, 0x00,
        0x25, 0x00, 0x22, 0xd1, 0xe5, 0xf3, 0x47, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44,
        0xae, 0x42, 0x60, 0x82};
    std::vector<Bytes> files {Bytes(std::begin(found), std::end(found))};
    for (auto type : {"iCCP", "iTXt", "pCAL", "sCAL", "sPLT", "tEXt", "zTXt", "eXIf", "quBy"})
        files.push_back(pngWithChunkClaiming(type, 0x73001900));
    installAllocationHook();
    test::LogCapture log;
    for (std::size_t i = 0; i < files.size(); ++i) {
        largestAllocation = 0;
        watchingAllocations = true;
        auto image = Image::decode(files[i]);
        watchingAllocations = false;
        EXPECT_FALSE(image) << "file " << i;
        if (canWatchAllocations) {
            EXPECT_LT(largestAllocation.load(), std::size_t(1) << 24) << "file " << i;
        }
    }
}

TEST(Image, DecodeFileGoesByContentNotName) {
    test::TempDir folder;
    auto path = folder / "actually-a-jpeg.png";
    auto bytes = readData("quadrants.jpg");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
    auto image = Image::decodeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 16);
}

TEST(Image, DecodeFileRefusalNamesTheFile) {
    test::TempDir folder;
    test::LogCapture log;
    EXPECT_FALSE(Image::decodeFile(folder / "missing.png"));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.contains("missing.png"));

    log.clear();
    auto path = folder / "cut.png";
    auto bytes = truncated(smallPNG(), 30);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_FALSE(Image::decodeFile(path));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.contains("cut.png"));
    EXPECT_TRUE(log.contains("truncated"));

    log.clear();
    EXPECT_FALSE(Image::decodeFile(folder.path()));
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(Image, WritesPNGFileAndLeavesNoPartialFile) {
    test::TempDir folder;
    Image image(2, 2, Image::Format::RGBA8, AlphaInfo::Last,
        Bytes {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    auto path = folder / "out.png";
    ASSERT_TRUE(image.writePNG(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    auto decoded = Image::decodeFile(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, image);
}

TEST(Image, WritingIntoAMissingFolderFailsCleanly) {
    test::TempDir folder;
    test::LogCapture log;
    EXPECT_FALSE(Image(1, 1).writePNG(folder / "no" / "such" / "out.png"));
    EXPECT_TRUE(log.contains("out.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "no"));
}

TEST(Image, DecodesUpToThePixelBudgetAndRefusesMore) {
    struct Case {
        std::uint32_t width, height;
        bool decodes;
    } const cases[] = {
        {2048, 2048, true},
        {4096, 1024, true},
        {1, 4096, true},
        {2049, 2048, false},
        {2048, 2049, false},
        {4096, 4096, false},
        {8192, 8192, false},
    };
    for (auto const& c : cases) {
        auto what = std::to_string(c.width) + " x " + std::to_string(c.height);
        // Grey rows of zeros: a PNG of that size whose data is all there.
        auto png = makePNG(c.width, c.height, 0, 8,
            c.decodes ? std::vector<Bytes>(c.height, Bytes(c.width)) : std::vector<Bytes> {});
        test::LogCapture log;
        auto image = Image::decode(png);
        EXPECT_EQ(image.has_value(), c.decodes) << what;
        if (image) {
            EXPECT_EQ(image->width(), int(c.width)) << what;
            EXPECT_EQ(image->height(), int(c.height)) << what;
        } else {
            EXPECT_TRUE(log.contains(what + " pixels, more than the 4194304")) << what;
        }
        if (!c.decodes) {
            EXPECT_FALSE(Image::decode(jpegOfSize(std::uint16_t(c.width), std::uint16_t(c.height))))
                << what;
            EXPECT_TRUE(log.contains(what + " pixels, more than the 4194304")) << what;
        }
    }
}

// Small files whose headers ask for huge images. Before the budget an 8192 x 8192
// progressive JPEG took half a gigabyte to refuse; now a header beyond the budget is
// refused before anything is allocated for it, and the largest image within it takes
// what its pixels and the decoder's coefficients need, no more.
TEST(Image, HostileHeadersCostLittleMemory) {
    constexpr std::size_t megabyte = std::size_t(1) << 20;
    struct Case {
        char const* name;
        Bytes bytes;
        std::size_t bound;
    };
    std::vector<Case> const cases = {
        {"PNG of 8192 x 8192", makePNG(8192, 8192, 6, 8, {Bytes(16)}), 4 * megabyte},
        {"interlaced PNG of 8192 x 8192", makePNG(8192, 8192, 6, 8, {Bytes(16)}, {}, true),
            4 * megabyte},
        {"progressive JPEG of 8192 x 8192", progressiveJpegOfSize(8192, 8192), 4 * megabyte},
        {"baseline JPEG of 8192 x 8192", jpegOfSize(8192, 8192), 4 * megabyte},
        // 16 MB of pixels and 24 MB of coefficients, then refused as truncated.
        {"progressive JPEG of 2048 x 2048", progressiveJpegOfSize(2048, 2048), 64 * megabyte},
        {"PNG of 2048 x 2048 with one row", makePNG(2048, 2048, 6, 8, {Bytes(8192)}),
            24 * megabyte},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        auto growth = test::peakMemoryGrowth([&] { return !Image::decode(c.bytes); });
        ASSERT_TRUE(growth) << c.name << " was decoded, or its decoding crashed";
        EXPECT_LT(*growth, c.bound) << c.name << ": " << *growth / 1024 << " KB";
    }
}

TEST(Image, AJPEGWithoutOnlyItsEndMarkerShowsItsImageWithAWarning) {
    for (auto const* name : {"quadrants.jpg", "quadrants-progressive.jpg"}) {
        SCOPED_TRACE(name);
        auto whole = readData(name);
        test::LogCapture log;
        auto image = Image::decodeJPEG(truncated(whole, whole.size() - 2));
        ASSERT_TRUE(image);
        EXPECT_TRUE(log.contains("lacks its end-of-image marker"));
        auto reference = Image::decodeJPEG(whole);
        ASSERT_TRUE(reference);
        EXPECT_TRUE(std::equal(image->pixels().begin(), image->pixels().end(),
            reference->pixels().begin(), reference->pixels().end()));
    }
    // Cut one byte further, inside the image data: still refused.
    auto whole = readData("quadrants.jpg");
    test::LogCapture log;
    EXPECT_FALSE(Image::decodeJPEG(truncated(whole, whole.size() - 3)));
    EXPECT_FALSE(log.contains("lacks its end-of-image marker"));
}

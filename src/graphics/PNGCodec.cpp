#include <graphics/ImageCodec.hpp>

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// libpng reports errors by longjmp. Each function below that calls into libpng sets its own
// jump point and holds no object with a destructor, so the jump never skips C++ clean-up;
// buffers are made between the stages, in frames the jump never crosses.

namespace graphics::codec {

namespace {

struct PngReadState {
    png_structp png {nullptr};
    png_infop info {nullptr};
    std::uint8_t const* data {nullptr};
    std::size_t size {0};
    std::size_t offset {0};
    char error[200] {};
};

void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngReadState*>(png_get_error_ptr(png));
    std::snprintf(state->error, sizeof state->error, "%s", message);
    png_longjmp(png, 1);
}

// Warnings are about ancillary chunks (colour profiles, text) that the image does not need.
void onPngWarning(png_structp, png_const_charp) {
}

void onPngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (length > state->size - state->offset)
        png_error(png, "the file is truncated");
    std::memcpy(out, state->data + state->offset, length);
    state->offset += length;
}

struct PngHeader {
    png_uint_32 width {0};
    png_uint_32 height {0};
    int bitDepth {0};
    int colorType {0};
    bool hasAlpha {false};
};

// Ancillary chunks that hold text, colour profiles and palettes for other programs, which
// the image does not need. libpng only warns about one that claims more than its limit
// (8 MB) and then allocates the claimed length before reading a byte of it, so a 100-byte
// file could take gigabytes; skipped chunks are read through a small buffer instead.
constexpr png_byte unusedChunks[] = "iCCP\0iTXt\0pCAL\0sCAL\0sPLT\0tEXt\0zTXt\0eXIf";

bool readPngHeader(PngReadState* state, PngHeader* header) {
    if (setjmp(png_jmpbuf(state->png)))
        return false;
    png_set_keep_unknown_chunks(
        state->png, PNG_HANDLE_CHUNK_NEVER, unusedChunks, int(sizeof unusedChunks / 5));
    png_read_info(state->png, state->info);
    int interlace = 0;
    png_get_IHDR(state->png, state->info, &header->width, &header->height, &header->bitDepth,
        &header->colorType, &interlace, nullptr, nullptr);
    header->hasAlpha = (header->colorType & PNG_COLOR_MASK_ALPHA)
        || png_get_valid(state->png, state->info, PNG_INFO_tRNS);
    return true;
}

// Every source form becomes 8-bit R, G, B, A rows.
bool setPngTransforms(PngReadState* state, PngHeader const* header) {
    if (setjmp(png_jmpbuf(state->png)))
        return false;
    auto* png = state->png;
    if (header->colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (header->colorType == PNG_COLOR_TYPE_GRAY && header->bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, state->info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (header->bitDepth == 16)
        png_set_scale_16(png);
    if (!(header->colorType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    if (!header->hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, state->info);
    if (png_get_rowbytes(png, state->info) != std::size_t(header->width) * 4)
        png_error(png, "unexpected row layout after conversion");
    return true;
}

bool readPngRows(PngReadState* state, png_bytepp rows) {
    if (setjmp(png_jmpbuf(state->png)))
        return false;
    png_read_image(state->png, rows);
    png_read_end(state->png, nullptr);
    return true;
}

class PngReadGuard {
public:
    explicit PngReadGuard(PngReadState& state)
        : state_(state) { }
    ~PngReadGuard() { png_destroy_read_struct(&state_.png, &state_.info, nullptr); }
    PngReadGuard(PngReadGuard const&) = delete;
    PngReadGuard& operator=(PngReadGuard const&) = delete;

private:
    PngReadState& state_;
};

}

std::optional<Image> readPNG(std::span<std::uint8_t const> bytes, std::string& reason) {
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
        reason = "not a PNG signature";
        return std::nullopt;
    }
    PngReadState state;
    state.data = bytes.data();
    state.size = bytes.size();
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (state.png)
        state.info = png_create_info_struct(state.png);
    PngReadGuard guard(state);
    if (!state.png || !state.info) {
        reason = "out of memory";
        return std::nullopt;
    }
    png_set_read_fn(state.png, &state, onPngRead);

    PngHeader header;
    if (!readPngHeader(&state, &header)) {
        reason = state.error;
        return std::nullopt;
    }
    if (auto refusal = sizeRefusal(header.width, header.height)) {
        reason = *refusal;
        return std::nullopt;
    }
    if (!setPngTransforms(&state, &header)) {
        reason = state.error;
        return std::nullopt;
    }

    int width = int(header.width);
    int height = int(header.height);
    std::vector<std::uint8_t> pixels(std::size_t(width) * 4 * std::size_t(height));
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] = pixels.data() + std::size_t(y) * std::size_t(width) * 4;
    if (!readPngRows(&state, rows.data())) {
        reason = state.error;
        return std::nullopt;
    }

    Image image(width, height, Image::Format::RGBA8,
        header.hasAlpha ? AlphaInfo::Last : AlphaInfo::NoneSkipLast, std::move(pixels));
    // Palette entries are 8 bits whatever the index depth.
    image.setBitsPerComponent(header.colorType == PNG_COLOR_TYPE_PALETTE ? 8 : header.bitDepth);
    return image;
}

std::optional<std::vector<std::uint8_t>> writePNG(Image const& source, std::string& reason) {
    if (source.isEmpty()) {
        reason = "the image is empty";
        return std::nullopt;
    }
    Image straight = source;
    straight.unpremultiplyAlpha();
    std::vector<std::uint8_t> rgb;
    std::uint8_t const* pixels = straight.pixels().data();

    // The simplified writing interface reports failure by its answer rather than by a jump.
    png_image description;
    std::memset(&description, 0, sizeof description);
    description.version = PNG_IMAGE_VERSION;
    description.width = png_uint_32(straight.width());
    description.height = png_uint_32(straight.height());
    if (straight.format() == Image::Format::A8) {
        description.format = PNG_FORMAT_GRAY;
    } else if (straight.alphaInfo() == AlphaInfo::NoneSkipLast) {
        // An opaque image is written without alpha; the skipped byte means nothing.
        description.format = PNG_FORMAT_RGB;
        auto opaque = straight.pixels();
        rgb.resize(opaque.size() / 4 * 3);
        for (std::size_t from = 0, to = 0; from < opaque.size(); from += 4, to += 3) {
            rgb[to] = opaque[from];
            rgb[to + 1] = opaque[from + 1];
            rgb[to + 2] = opaque[from + 2];
        }
        pixels = rgb.data();
    } else {
        description.format = PNG_FORMAT_RGBA;
    }
    // In components per row, which for 8-bit samples is bytes.
    auto stride
        = png_int_32(std::size_t(straight.width()) * PNG_IMAGE_PIXEL_CHANNELS(description.format));

    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&description, nullptr, &size, 0, pixels, stride, nullptr)) {
        reason = description.message;
        png_image_free(&description);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&description, bytes.data(), &size, 0, pixels, stride, nullptr)) {
        reason = description.message;
        png_image_free(&description);
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

}

#include <graphics/ImageCodec.hpp>

#include <base/Log.hpp>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

// libjpeg reports fatal errors through error_exit, which must not return: ours longjmps. As in
// the PNG reader, each function that sets a jump point holds no object with a destructor.
// Warnings (premature end of data, corrupt entropy data) let libjpeg carry on with invented
// pixels; they are counted, and an image that raised any is refused as corrupt or truncated,
// unless all it lacks is its final end-of-image marker.

namespace graphics::codec {

namespace {

constexpr long maxDecoderMemory = 64L << 20;

struct JpegReadState {
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    jpeg_progress_mgr progress {};
    std::jmp_buf jump {};
    bool created {false};
    int warnings {0};
    char error[JMSG_LENGTH_MAX] {};
    char warning[JMSG_LENGTH_MAX] {};
};

JpegReadState* stateOf(j_common_ptr info) {
    return static_cast<JpegReadState*>(info->client_data);
}

void onJpegErrorExit(j_common_ptr info) {
    auto* state = stateOf(info);
    (*info->err->format_message)(info, state->error);
    std::longjmp(state->jump, 1);
}

void onJpegMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return; // trace messages
    auto* state = stateOf(info);
    if (state->warnings++ == 0)
        (*info->err->format_message)(info, state->warning);
}

bool readJpegHeader(JpegReadState* state, std::uint8_t const* data, unsigned long size) {
    if (setjmp(state->jump))
        return false;
    // Creation keeps err and client_data, and may already report an error through them.
    state->info.client_data = state;
    jpeg_create_decompress(&state->info);
    state->created = true;
    // Creation clears every other field: the monitor goes in after it.
    state->info.progress = &state->progress;
    jpeg_mem_src(&state->info, data, size);
    if (jpeg_read_header(&state->info, TRUE) != JPEG_HEADER_OK) {
        std::snprintf(state->error, sizeof state->error, "no image in the file");
        return false;
    }
    return true;
}

// A progressive file may repeat scans without end, each a pass over the whole image:
// no encoder makes more than a few dozen.
constexpr int maxScans = 256;

void onJpegProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number <= maxScans)
        return;
    auto* state = stateOf(info);
    std::snprintf(state->error, sizeof state->error, "more than %d scans", maxScans);
    std::longjmp(state->jump, 1);
}

bool readJpegRows(JpegReadState* state, JSAMPROW* rows) {
    if (setjmp(state->jump))
        return false;
    state->info.out_color_space = JCS_EXT_RGBA;
    // libjpeg's whole-image buffers (a progressive file keeps every coefficient) stay
    // within this; an image within the pixel budget needs at most half of it.
    state->info.mem->max_memory_to_use = maxDecoderMemory;
    jpeg_start_decompress(&state->info);
    if (state->info.output_components != 4) {
        std::snprintf(state->error, sizeof state->error, "unexpected output layout");
        return false;
    }
    while (state->info.output_scanline < state->info.output_height) {
        if (jpeg_read_scanlines(&state->info, rows + state->info.output_scanline,
                state->info.output_height - state->info.output_scanline)
            == 0) {
            std::snprintf(state->error, sizeof state->error, "the decoder stopped early");
            return false;
        }
    }
    jpeg_finish_decompress(&state->info);
    return true;
}

class JpegReadGuard {
public:
    explicit JpegReadGuard(JpegReadState& state)
        : state_(state) { }
    ~JpegReadGuard() {
        if (state_.created)
            jpeg_destroy_decompress(&state_.info);
    }
    JpegReadGuard(JpegReadGuard const&) = delete;
    JpegReadGuard& operator=(JpegReadGuard const&) = delete;

private:
    JpegReadState& state_;
};

}

namespace {

bool isStandaloneMarker(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Whether the file, read marker by marker, stops in the entropy-coded data of a scan
// with no end-of-image marker: where a file that lost only that marker stops. A file
// cut inside a marker segment, or with a dangling 0xFF, does not.
bool endsInScanData(std::span<std::uint8_t const> bytes) {
    std::size_t size = bytes.size();
    std::size_t at = 2;
    while (at < size) {
        if (bytes[at] != 0xFF)
            return false;
        while (at < size && bytes[at] == 0xFF)
            ++at;
        if (at >= size)
            return false;
        std::uint8_t marker = bytes[at++];
        if (marker == 0xD9)
            return false;
        if (isStandaloneMarker(marker))
            continue;
        if (size - at < 2)
            return false;
        std::size_t length = std::size_t(bytes[at]) << 8 | bytes[at + 1];
        if (length < 2 || length > size - at)
            return false;
        at += length;
        if (marker != 0xDA)
            continue;
        // The scan's data runs to the next marker; 0xFF 0x00 is a data byte and the
        // restart markers sit inside it.
        while (at < size) {
            if (bytes[at] != 0xFF) {
                ++at;
                continue;
            }
            if (at + 1 == size)
                return false;
            std::uint8_t next = bytes[at + 1];
            if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                break;
            at += 2;
        }
        if (at >= size)
            return true;
    }
    return false;
}

// One decode; warnings is set to how many libjpeg raised (the image is then refused).
std::optional<Image> decodeJPEG(
    std::span<std::uint8_t const> bytes, std::string& reason, int& warnings) {
    JpegReadState state;
    state.info.err = jpeg_std_error(&state.errors);
    state.errors.error_exit = onJpegErrorExit;
    state.errors.emit_message = onJpegMessage;
    state.progress.progress_monitor = onJpegProgress;
    JpegReadGuard guard(state);

    if (!readJpegHeader(&state, bytes.data(), static_cast<unsigned long>(bytes.size()))) {
        reason = state.error;
        return std::nullopt;
    }
    auto width = state.info.image_width;
    auto height = state.info.image_height;
    if (auto refusal = sizeRefusal(width, height)) {
        reason = *refusal;
        return std::nullopt;
    }
    auto space = state.info.jpeg_color_space;
    if (space != JCS_GRAYSCALE && space != JCS_YCbCr && space != JCS_RGB) {
        reason = "unsupported colour space (only grey, YCbCr and RGB JPEG files are read)";
        return std::nullopt;
    }

    std::vector<std::uint8_t> pixels(std::size_t(width) * 4 * height);
    std::vector<JSAMPROW> rows(height);
    for (JDIMENSION y = 0; y < height; ++y)
        rows[y] = pixels.data() + std::size_t(y) * width * 4;
    if (!readJpegRows(&state, rows.data())) {
        reason = state.error;
        return std::nullopt;
    }
    warnings = state.warnings;
    if (state.warnings > 0) {
        reason = std::string("corrupt or truncated data: ") + state.warning;
        return std::nullopt;
    }
    return Image(
        int(width), int(height), Image::Format::RGBA8, AlphaInfo::NoneSkipLast, std::move(pixels));
}

}

std::optional<Image> readJPEG(std::span<std::uint8_t const> bytes, std::string& reason) {
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF) {
        reason = "not a JPEG signature";
        return std::nullopt;
    }
    int warnings = 0;
    auto image = decodeJPEG(bytes, reason, warnings);
    if (image || warnings == 0 || !endsInScanData(bytes))
        return image;
    // Uploaders often cut the final end-of-image marker and nothing else. With the marker
    // put back, such a file decodes without a single warning, as image viewers show it; a
    // file cut inside its image data still warns and stays refused.
    std::vector<std::uint8_t> mended(bytes.begin(), bytes.end());
    mended.push_back(0xFF);
    mended.push_back(0xD9);
    std::string mendedReason;
    int mendedWarnings = 0;
    auto whole = decodeJPEG(mended, mendedReason, mendedWarnings);
    if (!whole || mendedWarnings > 0)
        return image;
    base::logLine("JPEG: the file lacks its end-of-image marker; showing the image it holds");
    return whole;
}

namespace {

struct JpegWriteState {
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    std::jmp_buf jump {};
    char error[JMSG_LENGTH_MAX] {};
    unsigned char* buffer {nullptr};
    unsigned long size {0};
};

void onJpegWriteErrorExit(j_common_ptr info) {
    auto* state = static_cast<JpegWriteState*>(info->client_data);
    (*info->err->format_message)(info, state->error);
    std::longjmp(state->jump, 1);
}

// Compresses rows of packed RGB; false with the library's message on failure. Holds no
// object with a destructor, because errors jump out of it.
bool compressJPEG(
    JpegWriteState& state, std::uint8_t const* rgb, int width, int height, int quality) {
    state.info.err = jpeg_std_error(&state.errors);
    state.errors.error_exit = onJpegWriteErrorExit;
    state.info.client_data = &state;
    if (setjmp(state.jump)) {
        jpeg_destroy_compress(&state.info);
        return false;
    }
    jpeg_create_compress(&state.info);
    jpeg_mem_dest(&state.info, &state.buffer, &state.size);
    state.info.image_width = JDIMENSION(width);
    state.info.image_height = JDIMENSION(height);
    state.info.input_components = 3;
    state.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&state.info);
    jpeg_set_quality(&state.info, quality, TRUE);
    jpeg_start_compress(&state.info, TRUE);
    while (state.info.next_scanline < state.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            rgb + std::size_t(state.info.next_scanline) * std::size_t(width) * 3);
        jpeg_write_scanlines(&state.info, &row, 1);
    }
    jpeg_finish_compress(&state.info);
    jpeg_destroy_compress(&state.info);
    return true;
}

}

std::optional<std::vector<std::uint8_t>> writeJPEG(
    Image const& source, float quality, std::string& reason) {
    if (source.isEmpty()) {
        reason = "the image is empty";
        return std::nullopt;
    }
    // JPEG has no alpha: colours are taken as laid over black, which premultiplied ones are.
    Image premultiplied = source;
    premultiplied.premultiplyAlpha();
    std::vector<std::uint8_t> rgb(std::size_t(source.width()) * std::size_t(source.height()) * 3);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            Rgba p = premultiplied.pixel(x, y);
            std::size_t at = (std::size_t(y) * std::size_t(source.width()) + std::size_t(x)) * 3;
            rgb[at] = p.r;
            rgb[at + 1] = p.g;
            rgb[at + 2] = p.b;
        }
    }
    float clamped = quality < 0 ? 0 : quality > 1 ? 1 : quality;
    int level = int(clamped * 100 + 0.5f);
    if (level < 1)
        level = 1;
    JpegWriteState state;
    bool written = compressJPEG(state, rgb.data(), source.width(), source.height(), level);
    std::optional<std::vector<std::uint8_t>> bytes;
    if (written && state.buffer)
        bytes.emplace(state.buffer, state.buffer + state.size);
    else
        reason = state.error[0] ? state.error : "the encoder failed";
    std::free(state.buffer);
    return bytes;
}

}

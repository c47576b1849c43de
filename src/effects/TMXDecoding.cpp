#include <effects/TMXDecoding.hpp>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <new>

namespace effects {

int base64Decode(std::span<std::uint8_t const> in, std::uint8_t* out, std::size_t* outLength) {
    static constexpr char alphabet[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::array<int, 256> reverse;
    reverse.fill(-1);
    for (int i = 0; i < 64; ++i)
        reverse[std::uint8_t(alphabet[i])] = i;

    std::size_t written = 0;
    std::uint32_t group = 0;
    int pending = 0;
    bool sawPad = false;
    for (std::uint8_t c : in) {
        if (c == '=') {
            sawPad = true;
            break;
        }
        int value = reverse[c];
        if (value < 0)
            continue;
        group = group << 6 | std::uint32_t(value);
        if (++pending == 4) {
            out[written++] = std::uint8_t(group >> 16);
            out[written++] = std::uint8_t(group >> 8);
            out[written++] = std::uint8_t(group);
            group = 0;
            pending = 0;
        }
    }
    int errors = 0;
    if (sawPad) {
        if (pending == 3) {
            group <<= 6;
            out[written++] = std::uint8_t(group >> 16);
            out[written++] = std::uint8_t(group >> 8);
        } else if (pending == 2) {
            group <<= 12;
            out[written++] = std::uint8_t(group >> 16);
        } else if (pending == 1) {
            std::fputs("base64Decode: encoding incomplete: at least 2 bits missing\n", stderr);
            errors = 1;
        }
    }
    *outLength = written;
    return errors;
}

std::optional<std::vector<std::uint8_t>> Base64Utils(std::span<std::uint8_t const> in) {
    std::vector<std::uint8_t> out;
    try {
        out.resize(in.size() / 4 * 3 + (in.size() % 4) * 3 / 4 + 1);
    } catch (std::bad_alloc const&) {
        return std::nullopt;
    }
    std::size_t length = 0;
    if (base64Decode(in, out.data(), &length) != 0) {
        std::fputs("Base64Utils: error decoding\n", stdout);
        return std::nullopt;
    }
    out.resize(length);
    return out;
}

int inflateBytesCore(
    std::span<std::uint8_t const> in, std::vector<std::uint8_t>& out, std::size_t maxOutput) {
    constexpr std::size_t first = 256 * 1024;
    // One byte beyond the limit, so that a stream of exactly maxOutput bytes can still end.
    std::size_t room = std::min(maxOutput, std::numeric_limits<std::size_t>::max() - 1) + 1;
    try {
        out.assign(std::min(first, room), 0);
    } catch (std::bad_alloc const&) {
        return Z_MEM_ERROR;
    }
    if (in.size() > std::numeric_limits<uInt>::max())
        return Z_DATA_ERROR;

    z_stream stream {};
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = uInt(in.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    // 15 + 32: a zlib or a gzip header, whichever the stream has.
    int status = inflateInit2_(&stream, 15 + 32, zlibVersion(), int(sizeof(z_stream)));
    if (status != Z_OK)
        return status;

    for (;;) {
        status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            out.resize(out.size() - stream.avail_out);
            status = inflateEnd(&stream);
            return out.size() > maxOutput ? Z_DATA_ERROR : status;
        }
        if (status == Z_NEED_DICT)
            status = Z_DATA_ERROR;
        if (status == Z_DATA_ERROR || status == Z_MEM_ERROR || status == Z_STREAM_ERROR) {
            inflateEnd(&stream);
            return status;
        }
        // Z_OK or Z_BUF_ERROR. With room left to write, inflate stopped for want of input:
        // the stream ends before its end.
        if (stream.avail_out > 0) {
            inflateEnd(&stream);
            return Z_DATA_ERROR;
        }
        std::size_t used = out.size();
        if (used >= room) {
            inflateEnd(&stream);
            return Z_DATA_ERROR;
        }
        try {
            out.resize(std::min(used * 2, room));
        } catch (std::bad_alloc const&) {
            inflateEnd(&stream);
            return Z_MEM_ERROR;
        }
        stream.next_out = out.data() + used;
        stream.avail_out = uInt(out.size() - used);
    }
}

std::optional<std::vector<std::uint8_t>> inflateBytes(
    std::span<std::uint8_t const> in, std::size_t maxOutput) {
    std::vector<std::uint8_t> out;
    if (inflateBytesCore(in, out, maxOutput) != Z_OK)
        return std::nullopt;
    return out;
}

}

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace effects {

// The two decoders of tile-map layer data: Base64 text and zlib or gzip streams.

// Decodes Base64 of the standard alphabet into out, which holds at least
// length x 3 / 4 + 1 bytes: bytes outside the alphabet (line breaks, blanks) are skipped,
// the first "=" ends the input, and characters left over at the end without "=" are dropped.
// Answers the number of errors (0, or 1 for a single character before "=", reported on the
// standard error stream as "base64Decode: encoding incomplete: at least 2 bits missing").
int base64Decode(std::span<std::uint8_t const> in, std::uint8_t* out, std::size_t* outLength);

// The decoded bytes of Base64 text of `in.size()` bytes, or nothing after an error (reported
// as "Base64Utils: error decoding" on standard output).
std::optional<std::vector<std::uint8_t>> Base64Utils(std::span<std::uint8_t const> in);

// Most bytes an inflated layer may take: a stream that would grow past it is damaged or
// hostile, and stops with a data error.
inline constexpr std::size_t maxInflatedBytes = 64u * 1024 * 1024;

// Inflates a zlib or gzip stream (the header tells which) into out: a 256 KiB buffer first,
// doubled while more output comes, never beyond maxOutput. Answers zlib's status: Z_OK once
// the stream ended, Z_DATA_ERROR for a damaged stream, one that ends early, one that needs a
// dictionary or one that would pass maxOutput, Z_MEM_ERROR when memory runs out. The inflater
// is initialised with the version of the zlib the program runs with.
int inflateBytesCore(std::span<std::uint8_t const> in, std::vector<std::uint8_t>& out,
    std::size_t maxOutput = maxInflatedBytes);

// The inflated bytes, or nothing on any failure.
std::optional<std::vector<std::uint8_t>> inflateBytes(
    std::span<std::uint8_t const> in, std::size_t maxOutput = maxInflatedBytes);

}

#pragma once

#include <toolkit/json/LJSONError.hpp>

#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace toolkit::json {

// Class operations that read and write whole JSON values: reading through a new
// LJSONDeserializer, writing through a new LJSONSerializer. Any thread.
class LJSONSerialization final {
public:
    // The stream's write:maxLength:: bytes written, or a negative count on failure.
    using OutputStream = std::function<long(std::uint8_t const* bytes, std::size_t length)>;

    LJSONSerialization() = delete;

    static bool isValidJSONObject(base::Value const& object);
    // The options are not used.
    static std::optional<base::Bytes> dataWithJSONObject(
        base::Value const& object, unsigned options, LJSONError* error = nullptr);
    // The deserializer's options become the complement of the reading options' two low
    // bits; they do not reach its scanner.
    static base::Value JSONObjectWithData(
        base::Bytes const& data, unsigned options, LJSONError* error = nullptr);
    // One write of the whole text; its result, or -1 when the object cannot be written.
    static long writeJSONObject(base::Value const& object, OutputStream const& stream,
        unsigned options, LJSONError* error = nullptr);
    // Reading from a stream is not offered: always nil, and no error.
    static base::Value JSONObjectWithStream(
        std::function<long(std::uint8_t*, std::size_t)> const& stream, unsigned options,
        LJSONError* error = nullptr);
};

}

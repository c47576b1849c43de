#pragma once

#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace foundation {

// A read-only view of bytes that text and byte buffers both convert to, so the
// digest, codec and cipher functions take either without a copy. It does not own
// what it points at: keep the source alive while the view is used. data() is
// never null, even for an empty view, because some OpenSSL calls read a null
// pointer as "no argument" rather than "no bytes".
class ByteView {
public:
    ByteView() = default;
    ByteView(std::uint8_t const* data, std::size_t size)
        : data_(size ? data : noBytes())
        , size_(size) { }
    ByteView(std::span<std::uint8_t const> bytes)
        : ByteView(bytes.data(), bytes.size()) { }
    ByteView(base::Bytes const& bytes)
        : ByteView(bytes.data(), bytes.size()) { }
    ByteView(std::string_view text)
        : ByteView(reinterpret_cast<std::uint8_t const*>(text.data()), text.size()) { }
    ByteView(std::string const& text)
        : ByteView(std::string_view(text)) { }
    ByteView(char const* text)
        : ByteView(std::string_view(text)) { }

    std::uint8_t const* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t operator[](std::size_t index) const { return data_[index]; }
    std::uint8_t const* begin() const { return data_; }
    std::uint8_t const* end() const { return data_ + size_; }

    std::span<std::uint8_t const> span() const { return {data_, size_}; }
    std::string_view text() const { return {reinterpret_cast<char const*>(data_), size_}; }
    base::Bytes bytes() const { return base::Bytes(begin(), end()); }

private:
    static std::uint8_t const* noBytes() {
        static std::uint8_t const none = 0;
        return &none;
    }

    std::uint8_t const* data_ {noBytes()};
    std::size_t size_ {0};
};

}

#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <cstddef>
#include <optional>

namespace foundation {

// AES-128 in CBC mode over OpenSSL, one whole message at a time. Every failure
// (a key or initialisation vector that is not 16 bytes, unpadded input that is
// not a whole number of blocks, bad padding on decryption) gives nullopt; no
// partial output is ever returned. Callable from any thread.
class Cipher {
public:
    enum class Padding {
        // PKCS#7: encryption always adds 1 to 16 bytes, so the empty message gives
        // one block; decryption checks and removes them.
        PKCS7,
        // None: the input must be a whole number of 16-byte blocks (zero included).
        None,
    };

    static constexpr std::size_t AES128KeySize = 16;
    static constexpr std::size_t AESBlockSize = 16;

    static std::optional<base::Bytes> encryptAES128CBC(
        ByteView key, ByteView iv, ByteView plainText, Padding padding = Padding::PKCS7);
    static std::optional<base::Bytes> decryptAES128CBC(
        ByteView key, ByteView iv, ByteView cipherText, Padding padding = Padding::PKCS7);
};

}

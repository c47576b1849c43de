#include <foundation/Cipher.hpp>

#include <base/Verify.hpp>

#include <openssl/err.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace foundation {

namespace {

enum class Direction { Decrypt = 0, Encrypt = 1 };

std::optional<base::Bytes> run(
    Direction direction, ByteView key, ByteView iv, ByteView input, Cipher::Padding padding) {
    if (key.size() != Cipher::AES128KeySize || iv.size() != Cipher::AESBlockSize)
        return std::nullopt;
    if (padding == Cipher::Padding::None && input.size() % Cipher::AESBlockSize != 0)
        return std::nullopt;

    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
        EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    VERIFY(context);
    VERIFY(EVP_CipherInit_ex2(
               context.get(), EVP_aes_128_cbc(), key.data(), iv.data(), int(direction), nullptr)
        == 1);
    VERIFY(
        EVP_CIPHER_CTX_set_padding(context.get(), padding == Cipher::Padding::PKCS7 ? 1 : 0) == 1);

    // EVP counts in int: feed the input in pieces well below its limit.
    constexpr std::size_t piece = std::size_t(1) << 20;
    base::Bytes output(input.size() + Cipher::AESBlockSize);
    std::size_t written = 0;
    for (std::size_t offset = 0; offset < input.size(); offset += piece) {
        int length = 0;
        int count = int(std::min(piece, input.size() - offset));
        if (EVP_CipherUpdate(
                context.get(), output.data() + written, &length, input.data() + offset, count)
            != 1) {
            ERR_clear_error();
            return std::nullopt;
        }
        written += std::size_t(length);
    }
    int length = 0;
    // Fails on bad padding or a truncated final block when decrypting.
    if (EVP_CipherFinal_ex(context.get(), output.data() + written, &length) != 1) {
        // Leave nothing on the thread's error queue for the next OpenSSL user to trip on.
        ERR_clear_error();
        return std::nullopt;
    }
    written += std::size_t(length);
    output.resize(written);
    return output;
}

}

std::optional<base::Bytes> Cipher::encryptAES128CBC(
    ByteView key, ByteView iv, ByteView plainText, Padding padding) {
    return run(Direction::Encrypt, key, iv, plainText, padding);
}

std::optional<base::Bytes> Cipher::decryptAES128CBC(
    ByteView key, ByteView iv, ByteView cipherText, Padding padding) {
    return run(Direction::Decrypt, key, iv, cipherText, padding);
}

}

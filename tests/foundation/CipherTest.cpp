#include <foundation/Cipher.hpp>
#include <foundation/Hex.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using foundation::Cipher;
using foundation::Hex;
using Padding = foundation::Cipher::Padding;

namespace {

base::Bytes hex(std::string_view text) {
    auto bytes = Hex::decode(text);
    EXPECT_TRUE(bytes) << text;
    return bytes.value_or(base::Bytes());
}

// NIST SP 800-38A, F.2.1 and F.2.2 (CBC-AES128).
base::Bytes const nistKey = hex("2b7e151628aed2a6abf7158809cf4f3c");
base::Bytes const nistIV = hex("000102030405060708090a0b0c0d0e0f");
base::Bytes const nistPlainText = hex("6bc1bee22e409f96e93d7e117393172a"
                                      "ae2d8a571e03ac9c9eb76fac45af8e51"
                                      "30c81c46a35ce411e5fbc1191a0a52ef"
                                      "f69f2445df4f9b17ad2b417be66c3710");
base::Bytes const nistCipherText = hex("7649abac8119b246cee98e9b12e9197d"
                                       "5086cb9b507219ee95db113a917678b2"
                                       "73bed6b8e3c1743b7116e69e22229516"
                                       "3ff1caa1681fac09120eca307586e1a7");

base::Bytes first(base::Bytes const& bytes, std::size_t count) {
    return base::Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(count));
}

}

TEST(Cipher, UnpaddedCbcMatchesTheNistVectors) {
    EXPECT_EQ(
        Cipher::encryptAES128CBC(nistKey, nistIV, nistPlainText, Padding::None), nistCipherText);
    EXPECT_EQ(
        Cipher::decryptAES128CBC(nistKey, nistIV, nistCipherText, Padding::None), nistPlainText);
    // CBC chains: the first blocks alone encrypt to the first blocks of the whole.
    EXPECT_EQ(Cipher::encryptAES128CBC(nistKey, nistIV, first(nistPlainText, 16), Padding::None),
        first(nistCipherText, 16));
}

TEST(Cipher, Pkcs7PaddingAddsAFullBlockToWholeBlocksAndIsRemovedAgain) {
    auto encrypted = Cipher::encryptAES128CBC(nistKey, nistIV, nistPlainText);
    ASSERT_TRUE(encrypted);
    ASSERT_EQ(encrypted->size(), 80u);
    EXPECT_EQ(first(*encrypted, 64), nistCipherText);
    // The added block is sixteen bytes of 0x10, chained on the last cipher block.
    base::Bytes lastIV(nistCipherText.end() - 16, nistCipherText.end());
    EXPECT_EQ(Cipher::encryptAES128CBC(nistKey, lastIV, base::Bytes(16, 0x10), Padding::None),
        base::Bytes(encrypted->begin() + 64, encrypted->end()));
    EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, *encrypted), nistPlainText);
}

TEST(Cipher, EveryLengthSurvivesAPaddedRoundTrip) {
    base::Bytes message;
    for (std::size_t length = 0; length <= 48; ++length) {
        auto encrypted = Cipher::encryptAES128CBC(nistKey, nistIV, message);
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(encrypted->size(), (length / 16 + 1) * 16);
        EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, *encrypted), message);
        message.push_back(std::uint8_t(length));
    }
}

TEST(Cipher, EmptyInputWithoutPaddingGivesEmptyOutput) {
    EXPECT_EQ(
        Cipher::encryptAES128CBC(nistKey, nistIV, base::Bytes(), Padding::None), base::Bytes());
    EXPECT_EQ(
        Cipher::decryptAES128CBC(nistKey, nistIV, base::Bytes(), Padding::None), base::Bytes());
}

TEST(Cipher, WrongSizesGiveNothing) {
    base::Bytes const block(16, 0x42);
    struct Case {
        char const* name;
        base::Bytes key;
        base::Bytes iv;
        base::Bytes input;
        Padding padding;
    };
    std::vector<Case> const cases = {
        {"short key", base::Bytes(15, 1), nistIV, block, Padding::PKCS7},
        {"long key", base::Bytes(17, 1), nistIV, block, Padding::PKCS7},
        {"AES-256 key", base::Bytes(32, 1), nistIV, block, Padding::PKCS7},
        {"empty key", base::Bytes(), nistIV, block, Padding::PKCS7},
        {"short iv", nistKey, base::Bytes(15, 0), block, Padding::PKCS7},
        {"long iv", nistKey, base::Bytes(17, 0), block, Padding::PKCS7},
        {"empty iv", nistKey, base::Bytes(), block, Padding::PKCS7},
        {"partial block unpadded", nistKey, nistIV, base::Bytes(17, 0), Padding::None},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Cipher::encryptAES128CBC(c.key, c.iv, c.input, c.padding), std::nullopt);
        EXPECT_EQ(Cipher::decryptAES128CBC(c.key, c.iv, c.input, c.padding), std::nullopt);
    }
}

TEST(Cipher, DecryptionRefusesBadPaddingAndPartialBlocks) {
    // Blocks whose decrypted form ends in padding that PKCS#7 does not allow.
    std::vector<std::pair<char const*, base::Bytes>> badEndings = {
        {"pad byte zero", hex("000102030405060708090a0b0c0d0e00")},
        {"pad byte over the block size", hex("000102030405060708090a0b0c0d0e11")},
        {"pad bytes that disagree", hex("000102030405060708090a0b0c0d0302")},
        {"pad of sixteen with one wrong byte", hex("11101010101010101010101010101010")},
    };
    for (auto const& [name, plain] : badEndings) {
        SCOPED_TRACE(name);
        auto encrypted = Cipher::encryptAES128CBC(nistKey, nistIV, plain, Padding::None);
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, *encrypted), std::nullopt);
        // The same bytes decrypt fine when no padding is expected.
        EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, *encrypted, Padding::None), plain);
    }

    auto encrypted = Cipher::encryptAES128CBC(nistKey, nistIV, std::string("a message"));
    ASSERT_TRUE(encrypted);
    EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, base::Bytes()), std::nullopt);
    EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, first(*encrypted, 15)), std::nullopt);
    base::Bytes longer = *encrypted;
    longer.push_back(0);
    EXPECT_EQ(Cipher::decryptAES128CBC(nistKey, nistIV, longer), std::nullopt);
}

TEST(Cipher, TheWrongKeyDoesNotGiveBackTheMessage) {
    std::string const message = "the quick brown fox";
    auto encrypted = Cipher::encryptAES128CBC(nistKey, nistIV, message);
    ASSERT_TRUE(encrypted);
    base::Bytes otherKey = nistKey;
    otherKey[0] ^= 1;
    auto decrypted = Cipher::decryptAES128CBC(otherKey, nistIV, *encrypted);
    // Almost always bad padding; if the padding happens to pass, the text is still wrong.
    if (decrypted) {
        EXPECT_NE(*decrypted, base::Bytes(message.begin(), message.end()));
    }
}

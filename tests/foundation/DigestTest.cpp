#include <foundation/Digest.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using foundation::Digest;
using foundation::HexCase;
using Algorithm = foundation::Digest::Algorithm;

namespace {

std::string repeated(std::size_t count, char c) {
    return std::string(count, c);
}

std::string sequence(std::uint8_t first, std::uint8_t last) {
    std::string bytes;
    for (int b = first; b <= last; ++b)
        bytes.push_back(char(b));
    return bytes;
}

struct HashCase {
    Algorithm algorithm;
    std::string message;
    char const* hex;
};

}

// MD5 from RFC 1321's test suite, SHA-1 and SHA-256 from the FIPS 180 examples.
TEST(Digest, HashesMatchTheStandardsKnownAnswers) {
    std::string const million = repeated(1000000, 'a');
    std::string const twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    std::vector<HashCase> const cases = {
        {Algorithm::MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {Algorithm::MD5, "a", "0cc175b9c0f1b6a831c399e269772661"},
        {Algorithm::MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {Algorithm::MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {Algorithm::MD5, "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {Algorithm::MD5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
            "d174ab98d277d9f5a5611c2c9f419d9f"},
        {Algorithm::MD5,
            "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
            "57edf4a22be3c955ac49da2e2107b67a"},
        {Algorithm::SHA1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {Algorithm::SHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {Algorithm::SHA1, twoBlocks, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {Algorithm::SHA1, million, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {Algorithm::SHA256, "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {Algorithm::SHA256, "abc",
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {Algorithm::SHA256, twoBlocks,
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {Algorithm::SHA256, million,
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(Digest::hashHex(c.algorithm, c.message), c.hex);
        EXPECT_EQ(Digest::hash(c.algorithm, c.message).size(), Digest::size(c.algorithm));
    }
}

TEST(Digest, NamedFunctionsGiveRawBytesOfTheRightAlgorithm) {
    EXPECT_EQ(Digest::md5("abc"), Digest::hash(Algorithm::MD5, "abc"));
    EXPECT_EQ(Digest::sha1("abc"), Digest::hash(Algorithm::SHA1, "abc"));
    EXPECT_EQ(Digest::sha256("abc"), Digest::hash(Algorithm::SHA256, "abc"));
    base::Bytes md5 = Digest::md5("abc");
    ASSERT_EQ(md5.size(), 16u);
    EXPECT_EQ(md5[0], 0x90);
    EXPECT_EQ(md5[15], 0x72);
}

TEST(Digest, HexIsLowerOrUpperCaseAsAsked) {
    EXPECT_EQ(
        Digest::hashHex(Algorithm::MD5, "abc", HexCase::Upper), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(
        Digest::hashHex(Algorithm::MD5, "abc", HexCase::Lower), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Digest, TextAndBytesOfTheSameContentDigestAlike) {
    std::string text("with\0zero", 9);
    base::Bytes bytes(text.begin(), text.end());
    EXPECT_EQ(Digest::sha1(text), Digest::sha1(bytes));
    // The zero byte and what follows it count.
    EXPECT_NE(Digest::sha1(text), Digest::sha1("with"));
}

TEST(Digest, MessageGivenInPartsDigestsLikeTheWholeAndTheInstanceStartsOver) {
    std::string const message = repeated(1000, 'x') + "tail";
    for (auto algorithm : {Algorithm::MD5, Algorithm::SHA1, Algorithm::SHA256}) {
        Digest digest(algorithm);
        for (std::size_t offset = 0; offset < message.size(); offset += 7)
            digest.update(std::string_view(message).substr(offset, 7));
        EXPECT_EQ(digest.finish(), Digest::hash(algorithm, message));
        digest.update("abc");
        EXPECT_EQ(digest.finish(), Digest::hash(algorithm, "abc"));
        EXPECT_EQ(digest.finish(), Digest::hash(algorithm, ""));
    }
}

namespace {

struct HmacCase {
    char const* name;
    std::string key;
    std::string message;
    char const* sha1;
    char const* sha256;
};

}

// RFC 2202 (HMAC-SHA1) and RFC 4231 (HMAC-SHA256). Test cases 6 and 7 differ in
// key length between the two RFCs (80 and 131 bytes), so they appear once each.
TEST(Digest, HmacMatchesTheRfcKnownAnswers) {
    std::vector<HmacCase> const cases = {
        {"1", repeated(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00",
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"2", "Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79",
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {"3", repeated(20, '\xaa'), repeated(50, '\xdd'),
            "125d7342b9ac11cd91a39af48aa17b4f63f175d3",
            "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        {"4", sequence(0x01, 0x19), repeated(50, '\xcd'),
            "4c9007f4026250c6bc8414f9bf50c86c2d7235da",
            "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Digest::hmacHex(Algorithm::SHA1, c.key, c.message), c.sha1);
        EXPECT_EQ(Digest::hmacHex(Algorithm::SHA256, c.key, c.message), c.sha256);
    }

    std::string const rfc2202Key = repeated(80, '\xaa');
    EXPECT_EQ(Digest::hmacHex(Algorithm::SHA1, rfc2202Key,
                  "Test Using Larger Than Block-Size Key - Hash Key First"),
        "aa4ae5e15272d00e95705637ce8a3b55ed402112");
    EXPECT_EQ(Digest::hmacHex(Algorithm::SHA1, rfc2202Key,
                  "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
        "e8e99d0f45237d786d6bbaa7965c7808bbff1a91");

    std::string const rfc4231Key = repeated(131, '\xaa');
    EXPECT_EQ(Digest::hmacHex(Algorithm::SHA256, rfc4231Key,
                  "Test Using Larger Than Block-Size Key - Hash Key First"),
        "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    EXPECT_EQ(Digest::hmacHex(Algorithm::SHA256, rfc4231Key,
                  "This is a test using a larger than block-size key and a larger than block-size "
                  "data. The key "
                  "needs to be hashed before being used by the HMAC algorithm."),
        "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2");

    // RFC 2104's own example, with MD5.
    EXPECT_EQ(Digest::hmacHex(Algorithm::MD5, repeated(16, '\x0b'), "Hi There"),
        "9294727a3638bb1c13f48ef8158bfc9d");
}

TEST(Digest, HmacTakesAnEmptyKeyAndAnEmptyMessage) {
    EXPECT_EQ(Digest::hmacHex(Algorithm::SHA256, "", ""),
        "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
    EXPECT_EQ(Digest::hmacSHA1(base::Bytes(), base::Bytes()).size(), 20u);
}

TEST(Digest, HmacBytesAndHexAgree) {
    base::Bytes mac = Digest::hmacSHA1("0123456789abcdef", R"({"data":"x"})");
    ASSERT_EQ(mac.size(), 20u);
    std::string hex = Digest::hmacHex(Algorithm::SHA1, "0123456789abcdef", R"({"data":"x"})");
    EXPECT_EQ(hex.size(), 40u);
    EXPECT_EQ(hex, foundation::Hex::encode(mac));
    EXPECT_EQ(Digest::hmacSHA256("k", "m"), Digest::hmac(Algorithm::SHA256, "k", "m"));
    EXPECT_NE(Digest::hmacSHA1("k", "m"), Digest::hmacSHA1("K", "m"));
}

#include <foundation/Certificate.hpp>
#include <foundation/PublicKey.hpp>

#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using foundation::Certificate;
using foundation::PublicKey;
using Padding = foundation::PublicKey::Padding;
using BlockType = foundation::PublicKey::PKCS1BlockType;

namespace {

std::string fixturePath(std::string const& name) {
    return std::string(QUILLABY_TEST_DATA) + "/crypto/" + name;
}

base::Bytes fixture(std::string const& name) {
    std::ifstream file(fixturePath(name), std::ios::binary);
    EXPECT_TRUE(file) << name;
    return base::Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

base::Ref<PublicKey> testKey() {
    auto certificate = Certificate::createWithData(fixture("rsa-cert.der"));
    EXPECT_TRUE(certificate);
    return certificate ? certificate->publicKey() : nullptr;
}

base::Bytes bytesOf(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

}

TEST(Certificate, ReadsTheSameCertificateFromDerAndPem) {
    auto der = Certificate::createWithData(fixture("rsa-cert.der"));
    auto pem = Certificate::createWithData(fixture("rsa-cert.pem"));
    ASSERT_TRUE(der);
    ASSERT_TRUE(pem);
    EXPECT_EQ(der->data(), fixture("rsa-cert.der"));
    EXPECT_EQ(pem->data(), fixture("rsa-cert.der"));
    EXPECT_EQ(der->subjectSummary(), "Quillaby Test Server");
    ASSERT_TRUE(der->publicKey());
    ASSERT_TRUE(pem->publicKey());
    EXPECT_EQ(der->publicKey()->subjectPublicKeyInfo(), pem->publicKey()->subjectPublicKeyInfo());
}

TEST(Certificate, ReadsFilesAndPemWithTextAroundIt) {
    EXPECT_TRUE(Certificate::createWithContentsOfFile(fixturePath("rsa-cert.der")));
    EXPECT_TRUE(Certificate::createWithContentsOfFile(fixturePath("rsa-cert.pem")));

    base::Bytes pem = fixture("rsa-cert.pem");
    base::Bytes annotated = bytesOf("Certificate:\n    Subject: CN = Quillaby Test Server\n");
    annotated.insert(annotated.end(), pem.begin(), pem.end());
    annotated.insert(annotated.end(), {'t', 'r', 'a', 'i', 'l', '\n'});
    EXPECT_TRUE(Certificate::createWithData(annotated));
}

TEST(Certificate, RefusesWhatIsNotOneWholeCertificate) {
    base::Bytes der = fixture("rsa-cert.der");
    base::Bytes pem = fixture("rsa-cert.pem");
    base::Bytes withTrailingByte = der;
    withTrailingByte.push_back(0);
    base::Bytes damagedPem = pem;
    damagedPem[100] = '*';
    std::vector<std::pair<char const*, base::Bytes>> const cases = {
        {"empty", base::Bytes()},
        {"text", bytesOf("not a certificate")},
        {"truncated DER", base::Bytes(der.begin(), der.begin() + 400)},
        {"DER with a trailing byte", withTrailingByte},
        {"DER header only", base::Bytes(der.begin(), der.begin() + 4)},
        {"PEM markers only", bytesOf("-----BEGIN CERTIFICATE-----\n-----END CERTIFICATE-----\n")},
        {"PEM with a damaged body", damagedPem},
        {"PEM cut short", base::Bytes(pem.begin(), pem.begin() + 500)},
        {"a private key", fixture("rsa-key.pem")},
    };
    for (auto const& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Certificate::createWithData(bytes));
    }
}

TEST(Certificate, FilesThatCannotBeReadGiveNothing) {
    test::TempDir folder;
    EXPECT_FALSE(Certificate::createWithContentsOfFile((folder / "missing.der").string()));
    EXPECT_FALSE(Certificate::createWithContentsOfFile(folder.path().string()));
    std::ofstream(folder / "empty.der").close();
    EXPECT_FALSE(Certificate::createWithContentsOfFile((folder / "empty.der").string()));
}

TEST(PublicKey, TheRsaKeyOpensBlocksOfTheModulusSize) {
    auto key = testKey();
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->isRSA());
    EXPECT_EQ(key->blockSize(), 256u);
}

// token-block.sig was made with the private key's raw operation at fixture time;
// the public operation must give back token-block.bin exactly.
TEST(PublicKey, RawPublicOperationInvertsTheRawPrivateOperation) {
    auto key = testKey();
    ASSERT_TRUE(key);
    auto opened = key->decrypt(fixture("token-block.sig"), Padding::None);
    ASSERT_TRUE(opened);
    EXPECT_EQ(*opened, fixture("token-block.bin"));
}

// What the game server's token reply goes through: open the whole reply with no
// padding, find the first zero byte, read the text after it up to the next zero.
TEST(PublicKey, OpenedBlockYieldsTheTextAfterItsFirstZeroByte) {
    auto key = testKey();
    ASSERT_TRUE(key);
    auto opened = key->decrypt(fixture("token-block.sig"), Padding::None);
    ASSERT_TRUE(opened);
    auto zero = std::find(opened->begin(), opened->end(), 0);
    ASSERT_NE(zero, opened->end());
    auto end = std::find(zero + 1, opened->end(), 0);
    EXPECT_EQ(std::string(zero + 1, end), "0123456789abcdef0123456789abcdef");
}

TEST(PublicKey, KeepsLeadingZeroBytesOfTheResult) {
    auto key = testKey();
    ASSERT_TRUE(key);
    // Zero to any power is zero: the result is a whole block of zeros, not an empty one.
    EXPECT_EQ(key->decrypt(base::Bytes(256, 0), Padding::None), base::Bytes(256, 0));
    base::Bytes one(256, 0);
    one.back() = 1;
    EXPECT_EQ(key->decrypt(one, Padding::None), one);
}

TEST(PublicKey, Pkcs1PaddingIsRemovedFromASignedMessage) {
    auto key = testKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->decrypt(fixture("message.sig"), Padding::PKCS1), fixture("message.txt"));
    // The token block is not PKCS#1 padded.
    EXPECT_EQ(key->decrypt(fixture("token-block.sig"), Padding::PKCS1), std::nullopt);
    // And the raw form of the signed message shows its padding.
    auto raw = key->decrypt(fixture("message.sig"), Padding::None);
    ASSERT_TRUE(raw);
    EXPECT_EQ((*raw)[0], 0x00);
    EXPECT_EQ((*raw)[1], 0x01);
    EXPECT_EQ((*raw)[2], 0xff);
}

TEST(PublicKey, RefusesBlocksOfAnyOtherLengthOrNotBelowTheModulus) {
    auto key = testKey();
    ASSERT_TRUE(key);
    base::Bytes signature = fixture("token-block.sig");
    base::Bytes longer = signature;
    longer.insert(longer.begin(), 0);
    std::vector<std::pair<char const*, base::Bytes>> const cases = {
        {"empty", base::Bytes()},
        {"one byte short", base::Bytes(signature.begin() + 1, signature.end())},
        {"one byte long, even with a leading zero", longer},
        {"the size of the reply buffer", base::Bytes(1024, 1)},
        {"all ones, above the modulus", base::Bytes(256, 0xff)},
    };
    for (auto const& [name, block] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(key->decrypt(block, Padding::None), std::nullopt);
        EXPECT_EQ(key->decrypt(block, Padding::PKCS1), std::nullopt);
    }
}

TEST(PublicKey, AKeyThatIsNotRsaOpensNothing) {
    auto certificate = Certificate::createWithContentsOfFile(fixturePath("ec-cert.pem"));
    ASSERT_TRUE(certificate);
    auto key = certificate->publicKey();
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->isRSA());
    EXPECT_EQ(key->decrypt(base::Bytes(key->blockSize(), 1), Padding::None), std::nullopt);
    EXPECT_EQ(key->decrypt(base::Bytes(256, 1), Padding::None), std::nullopt);
}

TEST(PublicKey, RemovesPkcs1PaddingOfEitherTypeAndChecksIt) {
    auto block = [](std::initializer_list<std::uint8_t> head, std::size_t padding,
                     std::uint8_t fill, std::initializer_list<std::uint8_t> tail) {
        base::Bytes bytes(head);
        bytes.insert(bytes.end(), padding, fill);
        bytes.insert(bytes.end(), tail);
        return bytes;
    };
    struct Case {
        char const* name;
        base::Bytes block;
        BlockType type;
        std::optional<base::Bytes> message;
    };
    std::vector<Case> const cases = {
        {"type 1", block({0, 1}, 8, 0xff, {0, 'h', 'i'}), BlockType::PrivateKey,
            base::Bytes {'h', 'i'}},
        {"type 1, empty message", block({0, 1}, 20, 0xff, {0}), BlockType::PrivateKey,
            base::Bytes()},
        {"type 1, a zero in the message", block({0, 1}, 8, 0xff, {0, 'a', 0, 'b'}),
            BlockType::PrivateKey, base::Bytes {'a', 0, 'b'}},
        {"type 2", block({0, 2}, 9, 0x5a, {0, 'x'}), BlockType::PublicKey, base::Bytes {'x'}},
        {"type 1 read as type 2", block({0, 1}, 8, 0xff, {0, 'x'}), BlockType::PublicKey,
            std::nullopt},
        {"type 2 read as type 1", block({0, 2}, 8, 0x5a, {0, 'x'}), BlockType::PrivateKey,
            std::nullopt},
        {"seven padding bytes", block({0, 1}, 7, 0xff, {0, 'x'}), BlockType::PrivateKey,
            std::nullopt},
        {"no end of padding", block({0, 1}, 12, 0xff, {}), BlockType::PrivateKey, std::nullopt},
        {"non-zero first byte", block({1, 1}, 8, 0xff, {0, 'x'}), BlockType::PrivateKey,
            std::nullopt},
        {"type 1 padding not all ff", block({0, 1, 0xff, 0xfe}, 8, 0xff, {0, 'x'}),
            BlockType::PrivateKey, std::nullopt},
        {"too short", base::Bytes {0, 1, 0}, BlockType::PrivateKey, std::nullopt},
        {"empty", base::Bytes(), BlockType::PrivateKey, std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PublicKey::removePKCS1Padding(c.block, c.type), c.message);
    }
}

#include <ads/adnoria/ADNStringEncoding.hpp>

#include <foundation/Digest.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using ads::adnoria::ADNStringEncoding;

namespace {

using Factory = std::function<base::Ref<ADNStringEncoding>()>;

struct Vectors {
    char const* name;
    Factory make;
    // Encodings of "", "f", "fo", "foo", "foob", "fooba", "foobar" with padding on
    // (where the encoding pads) and off.
    std::vector<std::string> padded;
    std::vector<std::string> unpadded;
};

std::vector<std::string> const inputs {"", "f", "fo", "foo", "foob", "fooba", "foobar"};

std::vector<Vectors> const vectors {
    {"base64", ADNStringEncoding::rfc4648Base64StringEncoding,
        {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"},
        {"", "Zg", "Zm8", "Zm9v", "Zm9vYg", "Zm9vYmE", "Zm9vYmFy"}},
    {"base64url", ADNStringEncoding::rfc4648Base64WebsafeStringEncoding,
        {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"},
        {"", "Zg", "Zm8", "Zm9v", "Zm9vYg", "Zm9vYmE", "Zm9vYmFy"}},
    {"base32", ADNStringEncoding::rfc4648Base32StringEncoding,
        {"", "MY======", "MZXQ====", "MZXW6===", "MZXW6YQ=", "MZXW6YTB", "MZXW6YTBOI======"},
        {"", "MY", "MZXQ", "MZXW6", "MZXW6YQ", "MZXW6YTB", "MZXW6YTBOI"}},
    {"base32hex", ADNStringEncoding::rfc4648Base32HexStringEncoding,
        {"", "CO======", "CPNG====", "CPNMU===", "CPNMUOG=", "CPNMUOJ1", "CPNMUOJ1E8======"},
        {"", "CO", "CPNG", "CPNMU", "CPNMUOG", "CPNMUOJ1", "CPNMUOJ1E8"}},
    {"hex", ADNStringEncoding::hexStringEncoding,
        {"", "66", "666F", "666F6F", "666F6F62", "666F6F6261", "666F6F626172"},
        {"", "66", "666F", "666F6F", "666F6F62", "666F6F6261", "666F6F626172"}},
    {"crockford", ADNStringEncoding::crockfordBase32StringEncoding,
        {"", "CR", "CSQG", "CSQPY", "CSQPYRG", "CSQPYRK1", "CSQPYRK1E8"},
        {"", "CR", "CSQG", "CSQPY", "CSQPYRG", "CSQPYRK1", "CSQPYRK1E8"}},
    {"binary", ADNStringEncoding::binaryStringEncoding,
        {"", "01100110", "0110011001101111", "011001100110111101101111",
            "01100110011011110110111101100010", "0110011001101111011011110110001001100001",
            "011001100110111101101111011000100110000101110010"},
        {"", "01100110", "0110011001101111", "011001100110111101101111",
            "01100110011011110110111101100010", "0110011001101111011011110110001001100001",
            "011001100110111101101111011000100110000101110010"}},
};

}

TEST(ADNStringEncoding, KnownAnswersForEveryAlphabetWithAndWithoutPadding) {
    for (auto const& vector : vectors) {
        SCOPED_TRACE(vector.name);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            SCOPED_TRACE(inputs[i]);
            auto encoding = vector.make();
            EXPECT_EQ(encoding->encodeString(inputs[i]), vector.padded[i]);
            EXPECT_EQ(encoding->stringByDecoding(vector.padded[i]), inputs[i]);
            // Padding is never demanded on input.
            EXPECT_EQ(encoding->stringByDecoding(vector.unpadded[i]), inputs[i]);
            encoding->setDoPad(false);
            EXPECT_EQ(encoding->encodeString(inputs[i]), vector.unpadded[i]);
        }
    }
}

TEST(ADNStringEncoding, WebsafeAndStandardAlphabetsDifferInTheirLastTwoCharacters) {
    base::Bytes bytes {0xfb, 0xff, 0xbf};
    EXPECT_EQ(ADNStringEncoding::rfc4648Base64StringEncoding()->encode(bytes), "+/+/");
    EXPECT_EQ(ADNStringEncoding::rfc4648Base64WebsafeStringEncoding()->encode(bytes), "-_-_");
    EXPECT_EQ(ADNStringEncoding::rfc4648Base64WebsafeStringEncoding()->decode("-_-_"), bytes);
    EXPECT_FALSE(ADNStringEncoding::rfc4648Base64WebsafeStringEncoding()->decode("+/+/"));
}

TEST(ADNStringEncoding, BadInputIsRefused) {
    struct Case {
        char const* name;
        Factory make;
        std::string text;
    };
    std::vector<Case> const cases {
        {"foreign character", ADNStringEncoding::rfc4648Base64StringEncoding, "YW*j"},
        {"data after padding", ADNStringEncoding::rfc4648Base64StringEncoding, "YWI=YWJj"},
        {"leftover bits not zero", ADNStringEncoding::rfc4648Base64StringEncoding, "YWJ"},
        {"non-ASCII text", ADNStringEncoding::rfc4648Base64StringEncoding, "YW\xc3\xa9j"},
        {"lower case in base32", ADNStringEncoding::rfc4648Base32StringEncoding, "mzxw6"},
        {"odd hex digit", ADNStringEncoding::hexStringEncoding, "666"},
        {"letter past F", ADNStringEncoding::hexStringEncoding, "6G"},
        {"binary two", ADNStringEncoding::binaryStringEncoding, "01100112"},
        {"crockford U", ADNStringEncoding::crockfordBase32StringEncoding, "CU"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.make()->decode(c.text));
    }
}

TEST(ADNStringEncoding, SynonymsReadAsTheCharacterTheyFollow) {
    auto hex = ADNStringEncoding::hexStringEncoding();
    EXPECT_EQ(hex->decode("abcdef"), hex->decode("ABCDEF"));
    EXPECT_EQ(hex->encode(base::Bytes {0xab}), "AB");
    auto crockford = ADNStringEncoding::crockfordBase32StringEncoding();
    EXPECT_EQ(crockford->decode("O0"), crockford->decode("00"));
    EXPECT_EQ(crockford->decode("1l"), crockford->decode("11"));
    EXPECT_EQ(crockford->decode("1I"), crockford->decode("11"));
    EXPECT_EQ(crockford->stringByDecoding("csqpyrk1e8"), "foobar");
}

TEST(ADNStringEncoding, IgnoredCharactersAreSkipped) {
    auto encoding = ADNStringEncoding::rfc4648Base64StringEncoding();
    encoding->ignoreCharacters(" \n");
    EXPECT_EQ(encoding->stringByDecoding("Zm9v\nYmFy "), "foobar");
}

TEST(ADNStringEncoding, UnusableAlphabetsAreRefused) {
    EXPECT_FALSE(ADNStringEncoding::stringEncodingWithString("abc"));
    EXPECT_FALSE(ADNStringEncoding::stringEncodingWithString("a"));
    EXPECT_FALSE(ADNStringEncoding::stringEncodingWithString(std::string(256, 'a')));
    EXPECT_FALSE(ADNStringEncoding::stringEncodingWithString("abca"));
    EXPECT_FALSE(ADNStringEncoding::stringEncodingWithString("ab\xc3\xa9"));
    auto four = ADNStringEncoding::stringEncodingWithString("ACGT");
    ASSERT_TRUE(four);
    EXPECT_EQ(four->shift(), 2);
    EXPECT_EQ(four->padLen(), 4);
    EXPECT_EQ(four->encodeString("f"), "CGCG");
}

TEST(ADNStringEncoding, DigestInWebsafeBase64WithoutPaddingIsTwentyTwoSafeCharacters) {
    auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
    encoding->setDoPad(false);
    for (char const* text : {"install-0001", "a", "", "\xff\xfe"}) {
        auto encoded = encoding->encode(foundation::Digest::md5(text));
        EXPECT_EQ(encoded.size(), 22u);
        EXPECT_EQ(encoded.find_first_of("+/="), std::string::npos);
    }
}

TEST(ADNStringEncoding, DescriptionNamesTheBase) {
    EXPECT_EQ(ADNStringEncoding::hexStringEncoding()->description(),
        "<Base16 StringEncoder: 0123456789ABCDEF>");
}

TEST(ADNStringEncoding, PaddingWithoutAPaddingCharacterAddsNothing) {
    for (auto make : {ADNStringEncoding::crockfordBase32StringEncoding,
             ADNStringEncoding::hexStringEncoding, ADNStringEncoding::binaryStringEncoding}) {
        auto encoding = make();
        encoding->setDoPad(true);
        base::Bytes bytes {0x8d};
        auto text = encoding->encode(bytes);
        EXPECT_EQ(text.find('\0'), std::string::npos);
        EXPECT_EQ(encoding->decode(text), bytes);
    }
}

#include <foundation/Base64.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using foundation::Base64;
using Alphabet = foundation::Base64::Alphabet;
using Padding = foundation::Base64::Padding;

namespace {

base::Bytes bytesOf(std::string_view text) {
    return base::Bytes(text.begin(), text.end());
}

}

// RFC 4648, section 10.
TEST(Base64, EncodesTheRfcTestVectors) {
    struct Case {
        char const* input;
        char const* padded;
        char const* unpadded;
    };
    std::vector<Case> const cases = {
        {"", "", ""},
        {"f", "Zg==", "Zg"},
        {"fo", "Zm8=", "Zm8"},
        {"foo", "Zm9v", "Zm9v"},
        {"foob", "Zm9vYg==", "Zm9vYg"},
        {"fooba", "Zm9vYmE=", "Zm9vYmE"},
        {"foobar", "Zm9vYmFy", "Zm9vYmFy"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Base64::encode(c.input), c.padded);
        EXPECT_EQ(Base64::encode(c.input, Alphabet::Standard, Padding::No), c.unpadded);
        EXPECT_EQ(Base64::decode(c.padded), bytesOf(c.input));
        EXPECT_EQ(Base64::decode(c.unpadded), bytesOf(c.input));
        EXPECT_EQ(Base64::decode(c.padded, Alphabet::URLSafe), bytesOf(c.input));
    }
}

TEST(Base64, TheUrlSafeAlphabetReplacesPlusAndSlash) {
    base::Bytes const bytes {0xfb, 0xef, 0xbe, 0xff, 0xff, 0xff, 0xfb, 0xff};
    EXPECT_EQ(Base64::encode(bytes), "++++////+/8=");
    EXPECT_EQ(Base64::encode(bytes, Alphabet::URLSafe), "----____-_8=");
    EXPECT_EQ(Base64::encode(bytes, Alphabet::URLSafe, Padding::No), "----____-_8");
    EXPECT_EQ(Base64::decode("----____-_8", Alphabet::URLSafe), bytes);
    EXPECT_EQ(Base64::decode("++++////+/8="), bytes);
    // Each alphabet refuses the other's two characters.
    EXPECT_EQ(Base64::decode("----____-_8="), std::nullopt);
    EXPECT_EQ(Base64::decode("++++////+/8=", Alphabet::URLSafe), std::nullopt);
}

TEST(Base64, DecodingSkipsLineBreaksAndWhitespaceAnywhere) {
    struct Case {
        char const* text;
        char const* bytes;
    };
    std::vector<Case> const cases = {
        {"Zm9v\nYmFy", "foobar"},
        {"Zm9v\r\nYmFy\r\n", "foobar"},
        {"  Zm 9v\tYg = =\n", "foob"},
        {"Z\nm\n9\nv", "foo"},
        {"\n\n", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Base64::decode(c.text), bytesOf(c.bytes));
    }
}

TEST(Base64, DecodingRefusesInvalidInput) {
    std::vector<std::string> const cases = {
        "Zm9vY", // one character cannot make a byte
        "Zm9v=", // padding after a whole group
        "Zg=", // too little padding
        "Zg===", // too much padding
        "Zm8==", // padding that does not fit the group
        "Zg==Zg==", // data after padding
        "=",
        "====",
        "Zm9v!",
        "Zm9v.",
        std::string("Zm9v\0YmFy", 9),
        "Zm9v\xc3\xa9",
    };
    for (auto const& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Base64::decode(text), std::nullopt);
        EXPECT_EQ(Base64::decode(text, Alphabet::URLSafe), std::nullopt);
    }
}

TEST(Base64, EveryLengthAndByteValueSurvivesARoundTripInEveryForm) {
    base::Bytes bytes;
    for (int length = 0; length <= 300; ++length) {
        for (auto alphabet : {Alphabet::Standard, Alphabet::URLSafe}) {
            for (auto padding : {Padding::Yes, Padding::No}) {
                std::string text = Base64::encode(bytes, alphabet, padding);
                if (padding == Padding::Yes)
                    EXPECT_EQ(text.size() % 4, 0u);
                else
                    EXPECT_EQ(text.find('='), std::string::npos);
                ASSERT_EQ(Base64::decode(text, alphabet), bytes) << length;
            }
        }
        bytes.push_back(std::uint8_t(length * 97 + 13));
    }
}

TEST(Base64, DecodesTextBrokenIntoLinesAsServersSendIt) {
    base::Bytes image;
    for (int i = 0; i < 1000; ++i)
        image.push_back(std::uint8_t(i * 31));
    std::string text = Base64::encode(image);
    std::string wrapped;
    for (std::size_t i = 0; i < text.size(); i += 76)
        wrapped += text.substr(i, 76) + "\n";
    EXPECT_EQ(Base64::decode(wrapped), image);
}

#include <game/progression/Base64.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using game::Base64;

TEST(ServerClockBase64, EncodesAndDecodesTheVectorsOfTheStandard) {
    std::pair<char const*, char const*> const vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (auto const& [plain, encoded] : vectors) {
        EXPECT_EQ(game::encodeBase64(plain), encoded) << plain;
        if (*encoded) {
            EXPECT_EQ(game::decodeBase64(encoded), std::optional<std::string>(plain)) << encoded;
        }
    }
    base::Bytes every(256);
    for (int i = 0; i < 256; ++i)
        every[std::size_t(i)] = std::uint8_t(i);
    EXPECT_EQ(Base64::decode(Base64::encode(every)), every);
}

TEST(ServerClockBase64, DecodesAsTheServersClientsAlwaysHave) {
    struct Case {
        char const* name;
        std::string text;
        std::optional<std::string> bytes; // none: nothing decoded
    };
    Case const cases[] = {
        {"no text", "", std::nullopt},
        {"a length that is not a multiple of 4", "Zm9vY", std::nullopt},
        {"padding left out", "Zm9vYg", std::nullopt},
        {"one '=' takes one byte", "Zm9vYmE=", "fooba"},
        {"two take two", "Zm9vYg==", "foob"},
        {"a line break is not skipped but read as 0", "Zm9\nYmFy", "fo@bar"},
        {"a space in a whole group reads as 0", "Zm9v Zm9", std::string("foo\x01\x99\xbd", 6)},
        {"bytes of 128 and up read as 0", "Zm9v\xff\xff\xff\xff", std::string("foo\0\0\0", 6)},
        {"four '=' give nothing", "====", ""},
    };
    for (auto const& c : cases) {
        auto decoded = game::decodeBase64(c.text);
        EXPECT_EQ(decoded, c.bytes) << c.name;
    }
}

#include <game/shell/BountixSetting.hpp>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using game::BountixSetting;

TEST(BountixSetting, AnswersTheOfferWallAndMarqueeIdentifiers) {
    EXPECT_EQ(BountixSetting::getBountixID(), "7c1e9a42-5b3d-4e8f-a061-2d94b7f3c815");
    EXPECT_EQ(BountixSetting::getBountixSecret(), "Hq7TmB2xWn9LpZ4vKd8R");
    EXPECT_EQ(BountixSetting::getMarqueeID(), "5b1c9e0a7d3f42e86a0b7c13");
    EXPECT_EQ(BountixSetting::getMarqueeSig(), "9d4e2a7b0c5f18e36a2d9b4c7e1f05a8d3b6c2e9");
}

TEST(BountixSetting, PayPerActionIdentifiersByType) {
    std::string const none = BountixSetting::getBountixID();
    struct Case {
        int type;
        std::string id;
    };
    std::vector<Case> const cases = {
        {0, "3f8b2c71-0d4e-4a96-b5e2-7c19a0d3f684"},
        {1, "b2e47d09-8c1a-4f53-9e6b-015ad7c2e938"},
        {2, "e91c3a56-27bf-4d08-a4c7-6f3e8b15d290"},
        {3, none},
        {4, none},
        {5, "5d06f8e3-b147-4c29-8a3f-d4e27b90c61a"},
        {6, none},
        {7, "a47e1d92-6f05-4b8c-9d31-c8b54e07a2f3"},
        {8, none},
        {9, ""},
        {-1, ""},
        {1000, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(BountixSetting::getPayPerAction(c.type), c.id) << "type " << c.type;
}

TEST(BountixSetting, IdentifiersHaveTheShapesTheServicesExpect) {
    auto isUuid = [](std::string const& text) {
        if (text.size() != 36)
            return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            bool dash = i == 8 || i == 13 || i == 18 || i == 23;
            if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
                return false;
        }
        return true;
    };
    auto onlyOf = [](std::string const& text, char const* alphabet) {
        return text.find_first_not_of(alphabet) == std::string::npos;
    };
    char const* const lowerHex = "0123456789abcdef";
    char const* const lettersAndDigits
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

    EXPECT_TRUE(isUuid(BountixSetting::getBountixID())) << BountixSetting::getBountixID();
    for (int type : {0, 1, 2, 5, 7})
        EXPECT_TRUE(isUuid(BountixSetting::getPayPerAction(type))) << "type " << type;
    auto const secret = BountixSetting::getBountixSecret();
    EXPECT_EQ(secret.size(), 20u);
    EXPECT_TRUE(onlyOf(secret, lettersAndDigits)) << secret;
    auto const marquee = BountixSetting::getMarqueeID();
    EXPECT_EQ(marquee.size(), 24u);
    EXPECT_TRUE(onlyOf(marquee, lowerHex)) << marquee;
    auto const signature = BountixSetting::getMarqueeSig();
    EXPECT_EQ(signature.size(), 40u);
    EXPECT_TRUE(onlyOf(signature, lowerHex)) << signature;
}

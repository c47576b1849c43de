#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNLocation.hpp>
#include <ads/adnoria/ADNStringEncoding.hpp>

#include <foundation/Cipher.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNLocation;
using ads::adnoria::ADNStringEncoding;

namespace {

using ADNLocationTest = test::AdnoriaTest;

base::Bytes decodeWebsafe(std::string const& text) {
    auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
    auto bytes = encoding->decode(text);
    EXPECT_TRUE(bytes);
    return bytes.value_or(base::Bytes());
}

}

TEST_F(ADNLocationTest, PreciseLocationIsEncipheredWithTheKeyAndTimestampVector) {
    auto location = ADNLocation::initWithLatitude(51.5f, -0.125f, 100.0f);
    ASSERT_TRUE(location);
    EXPECT_DOUBLE_EQ(location->timestamp(), 1300000000.0);
    auto packed = location->packedRepresentation();
    ASSERT_TRUE(packed);
    ASSERT_EQ(packed->substr(0, 3), "e1+");
    auto payload = decodeWebsafe(packed->substr(3));
    ASSERT_GE(payload.size(), 32u);
    EXPECT_EQ(payload.size() % 16, 0u);

    // The vector: the timestamp and its multiples, held at the 32-bit maximum.
    base::Bytes iv(payload.begin(), payload.begin() + 16);
    base::Bytes expectedIV {0x00, 0x6d, 0x7c, 0x4d, 0xff, 0xff, 0xff, 0x7f, 0xff, 0xff, 0xff, 0x7f,
        0xff, 0xff, 0xff, 0x7f};
    EXPECT_EQ(iv, expectedIV);

    auto key = test::AdnoriaTest::testKey();
    auto plain = foundation::Cipher::decryptAES128CBC(foundation::ByteView(key.data(), key.size()),
        iv, foundation::ByteView(payload.data() + 16, payload.size() - 16));
    ASSERT_TRUE(plain);
    EXPECT_EQ(std::string(plain->begin(), plain->end()),
        "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: "
        "1300000000000000 latlng "
        "<latitude_e7: 515000000 longitude_e7: -1250000> radius: 100000");
}

TEST_F(ADNLocationTest, TextLengthAlreadyAMultipleOfSixteenGetsAWholeBlockOfPadding) {
    // Vary the accuracy until the text fills whole blocks; the payload then has one
    // block more than the text.
    for (float accuracy : {1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f, 100000.0f}) {
        auto location = ADNLocation::initWithLatitude(10.0f, 20.0f, accuracy);
        auto payload = decodeWebsafe(location->packedRepresentation()->substr(3));
        auto key = test::AdnoriaTest::testKey();
        auto raw
            = foundation::Cipher::decryptAES128CBC(foundation::ByteView(key.data(), key.size()),
                base::Bytes(payload.begin(), payload.begin() + 16),
                foundation::ByteView(payload.data() + 16, payload.size() - 16),
                foundation::Cipher::Padding::None);
        ASSERT_TRUE(raw);
        auto padding = raw->back();
        EXPECT_GE(padding, 1);
        EXPECT_LE(padding, 16);
        for (std::size_t i = raw->size() - padding; i < raw->size(); ++i)
            EXPECT_EQ((*raw)[i], padding);
    }
}

TEST_F(ADNLocationTest, WithoutAConfiguredKeyACoordinateHasNoPackedForm) {
    auto configuration = ads::adnoria::ADNConfiguration::current();
    configuration.locationKey.reset();
    ads::adnoria::ADNConfiguration::setUp(configuration);
    auto location = ADNLocation::initWithLatitude(51.5f, -0.125f, 100.0f);
    EXPECT_FALSE(location->packedRepresentation());
}

TEST_F(ADNLocationTest, DescriptionLocationIsSentInTheClearWithQuotesAsApostrophes) {
    auto location = ADNLocation::initWithDescription("Main St \"Salon\", Springfield");
    ASSERT_TRUE(location);
    auto packed = location->packedRepresentation();
    ASSERT_TRUE(packed);
    ASSERT_EQ(packed->substr(0, 2), "a+");
    auto text = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding()->stringByDecoding(
        packed->substr(2));
    EXPECT_EQ(text,
        "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: "
        "1300000000000000 loc: \"Main "
        "St 'Salon', Springfield\"");
    EXPECT_EQ(packed->find('='), std::string::npos);
}

TEST_F(ADNLocationTest, OnlyPreciseCoordinatesAndNonEmptyTextsMakeLocations) {
    struct Case {
        float latitude, longitude;
        bool made;
    };
    for (auto c : {Case {0, 10, false}, Case {10, 0, false}, Case {90.5f, 10, false},
             Case {10, -180.5f, false}, Case {-90, 180, true}, Case {1e-8f, 5, false},
             Case {0.001f, 0.001f, true}}) {
        SCOPED_TRACE(std::to_string(c.latitude) + "," + std::to_string(c.longitude));
        EXPECT_EQ(bool(ADNLocation::initWithLatitude(c.latitude, c.longitude, 5)), c.made);
    }
    EXPECT_FALSE(ADNLocation::initWithDescription(""));
}

TEST_F(ADNLocationTest, DescriptionCopyAndEquality) {
    auto precise = ADNLocation::initWithLatitude(1.5f, 2.25f, 3);
    EXPECT_EQ(precise->description(), "1.500000,2.250000");
    precise->setTimestamp(12345);
    auto copy = precise->copy();
    EXPECT_TRUE(copy->isEqual(*precise));
    EXPECT_DOUBLE_EQ(copy->timestamp(), 12345);
    EXPECT_FALSE(precise->isEqual(*ADNLocation::initWithLatitude(1.5f, 2.25f, 4)));

    auto text = ADNLocation::initWithDescription("Springfield");
    EXPECT_TRUE(text->isEqual(*ADNLocation::initWithDescription("Springfield")));
    EXPECT_FALSE(text->isEqual(*precise));
    EXPECT_EQ(text->copy()->description(), "Springfield");
}

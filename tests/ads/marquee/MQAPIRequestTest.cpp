#include "MarqueeTestSupport.hpp"

#include <ads/marquee/MQAPIRequest.hpp>

#include <foundation/Digest.hpp>

#include <gtest/gtest.h>

using ads::marquee::MQAPIRequest;
using ads::marquee::MQParams;

namespace {

std::string md5(std::string const& text) {
    return foundation::Digest::hashHex(foundation::Digest::Algorithm::MD5, text);
}

}

TEST(MQAPIRequest, DeviceParamsComeInTheirOrderWithTheInstallationIdentifier) {
    test::MarqueeDeviceScope scope;
    auto request = MQAPIRequest::requestWithController("api", "install");
    EXPECT_FALSE(request->body().has_value());
    request->appendDeviceInfoParams();
    ASSERT_TRUE(request->body().has_value());
    std::vector<MQParams::Entry> expected {{"model", "iPhone"}, {"os", "4.3.1"}, {"ui", "0"},
        {"uuid", test::MarqueeInstallation}, {"country", "DE"}, {"language", "de"},
        {"bundle", "1.0"}, {"sdk", "2.5.7"}};
    EXPECT_EQ(request->body()->entries(), expected);
}

TEST(MQAPIRequest, AbsentLocaleCodesAndBundleVersionAreLeftOut) {
    test::MarqueeDeviceScope scope;
    ads::marquee::MQDeviceInfo info;
    info.model = "iPad";
    info.os = "5.0";
    info.ui = 1;
    ads::marquee::MQDeviceInfo::setOverride(info);
    auto request = MQAPIRequest::requestWithController("api", "get");
    request->appendDeviceInfoParams();
    std::vector<MQParams::Entry> expected {{"model", "iPad"}, {"os", "5.0"}, {"ui", "1"},
        {"uuid", test::MarqueeInstallation}, {"sdk", "2.5.7"}};
    EXPECT_EQ(request->body()->entries(), expected);
}

TEST(MQAPIRequest, ALaterValueReplacesTheEarlierInPlace) {
    auto request = MQAPIRequest::requestWithController("api", "get");
    request->appendBodyArgumentKey("a", "1");
    request->appendBodyArgumentKey("b", "2");
    request->appendBodyArgumentKey("a", "3");
    std::vector<MQParams::Entry> expected {{"a", "3"}, {"b", "2"}};
    EXPECT_EQ(request->body()->entries(), expected);
    EXPECT_FALSE(request->query().has_value());
    request->appendQueryArgumentKey("q", "x");
    EXPECT_EQ(request->query()->entries(), (std::vector<MQParams::Entry> {{"q", "x"}}));
}

TEST(MQAPIRequest, SerialisationSortsByByteOrderAndSkipsAppAndSignature) {
    MQParams pairs;
    for (auto const* key : {"more_type", "model", "app", "ad_id", "signature", "Zed", "to"})
        pairs.set(key, std::string("v-") + key);
    EXPECT_EQ(MQAPIRequest::serializeDictionaryToStringForSignature(pairs),
        "Zed:v-Zed;ad_id:v-ad_id;model:v-model;more_type:v-more_type;to:v-to;");
    EXPECT_EQ(MQAPIRequest::serializeDictionaryToStringForSignature(MQParams {}), "");
}

// The digest is over the raw values, whatever their escaping on the wire.
TEST(MQAPIRequest, SignatureIsTheLowerCaseMD5OfTheGoldenText) {
    test::MarqueeDeviceScope scope;
    auto request = MQAPIRequest::requestWithController("api", "get");
    request->appendDeviceInfoParams();
    request->appendBodyArgumentKey("location", "Main Menu & Shop=1+2 \xC3\xA9");
    std::string golden = "controller:api;action:get;bundle:1.0;country:DE;language:de;"
                         "location:Main Menu & Shop=1+2 \xC3\xA9;model:iPhone;os:4.3.1;sdk:2.5.7;"
                         "ui:0;uuid:0F1E2D3C-uuid;app:5b1c9e0a7d3f42e86a0b7c13;"
                         "signature:9d4e2a7b0c5f18e36a2d9b4c7e1f05a8d3b6c2e9;";
    EXPECT_EQ(request->signatureText(test::MarqueeAppId, test::MarqueeAppSignature), golden);
    request->signWithAppId(test::MarqueeAppId, test::MarqueeAppSignature);
    EXPECT_EQ(*request->body()->find("app"), test::MarqueeAppId);
    EXPECT_EQ(*request->body()->find("signature"), "ef06d5a9cd582640d67e56533631e50c");
    EXPECT_EQ(md5(golden), "ef06d5a9cd582640d67e56533631e50c");
    // Signing again signs over the same pairs.
    request->signWithAppId(test::MarqueeAppId, test::MarqueeAppSignature);
    EXPECT_EQ(*request->body()->find("signature"), "ef06d5a9cd582640d67e56533631e50c");
    EXPECT_EQ(request->body()->entries().size(), 11u);
}

TEST(MQAPIRequest, SignatureTakesQueryBodyAndExtraValuesInThatOrder) {
    auto request = MQAPIRequest::requestWithController("api", "show");
    request->appendQueryArgumentKey("q", "1");
    request->appendBodyArgumentKey("b", "2");
    request->setParams(std::vector<std::string> {"first", "second"});
    EXPECT_EQ(request->signatureText("A", "S"),
        "controller:api;action:show;q:1;b:2;0:first;1:second;app:A;signature:S;");
    auto bare = MQAPIRequest::requestWithController("c", "d");
    EXPECT_EQ(bare->signatureText("A", "S"), "controller:c;action:d;app:A;signature:S;");
}

TEST(MQAPIRequest, FormEncodingEscapesReservedCharactersAndKeepsTheTrailingAmpersand) {
    struct Case {
        std::vector<MQParams::Entry> pairs;
        std::string encoded;
    };
    std::vector<Case> cases {
        {{}, ""},
        {{{"a", "b"}}, "a=b&"},
        {{{"k&=", "v&w=x+y z"}}, "k%26%3D=v%26w%3Dx%2By%20z&"},
        {{{"to", "https://x.test/a?b=c"}}, "to=https%3A%2F%2Fx.test%2Fa%3Fb%3Dc&"},
        {{{"name", "Caf\xC3\xA9 ~-._"}}, "name=Caf%C3%A9%20~-._&"},
        {{{"z", "1"}, {"a", "2"}}, "z=1&a=2&"},
    };
    for (auto const& c : cases) {
        MQParams pairs;
        for (auto const& [key, value] : c.pairs)
            pairs.set(key, value);
        EXPECT_EQ(ads::marquee::MQEncodePairs(pairs), c.encoded);
    }
}

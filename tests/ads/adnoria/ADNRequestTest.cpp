#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNNetworkChecker.hpp>
#include <ads/adnoria/ADNRequest.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADN_PJSON.hpp>

#include <foundation/Digest.hpp>
#include <foundation/Hex.hpp>
#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNIdentifierUtilities;
using ads::adnoria::ADNRequest;
using ads::adnoria::ADNRequestPrivate;

namespace {

using ADNRequestTest = test::AdnoriaTest;

std::vector<std::string> const deviceKeys {"ios_metadata", "app_name", "isu", "platform",
    "submodel", "hl", "u_audio", "u_so", "u_sd", "u_w", "u_h"};

}

TEST_F(ADNRequestTest, VersionStringIsFixed) {
    EXPECT_EQ(ADNRequest::sdkVersion(), "anma-sdk-i-v4.1.0");
}

TEST_F(ADNRequestTest, DeviceIdentifiersAreTheDigestOfTheInstallationIdentifier) {
    auto& identifiers = ADNIdentifierUtilities::sharedInstance();
    // MD5("install-0001").
    auto digest = foundation::Digest::md5("install-0001");
    EXPECT_EQ(identifiers.deviceIdentifier(),
        foundation::Hex::encode(digest, foundation::HexCase::Upper));
    EXPECT_EQ(identifiers.deviceIdentifier(), "272BCE5B7E87D9A7335A76F37477FE77");
    EXPECT_EQ(identifiers.deviceIdentifierBase64(), "JyvOW36H2aczWnbzdHf-dw");
}

TEST_F(ADNRequestTest, PlainRequestCarriesDeviceFactsVersionAndCounter) {
    auto request = ADNRequest::request();
    auto parameters = request->parameters();
    std::vector<std::string> expected = deviceKeys;
    expected.insert(expected.end(), {"js", "preqs"});
    EXPECT_EQ(parameters->keys(), expected);
    EXPECT_EQ(parameters->objectForKey("app_name"), base::Value("1.2.iphone.com.quillaby.salon"));
    EXPECT_EQ(parameters->objectForKey("u_sd"), base::Value("2"));
    EXPECT_EQ(parameters->objectForKey("u_w"), base::Value("320"));
    EXPECT_EQ(parameters->objectForKey("u_audio"), base::Value("1"));
    EXPECT_EQ(parameters->objectForKey("u_so"), base::Value("p"));
    EXPECT_EQ(parameters->objectForKey("preqs"), base::Value(0));
    EXPECT_EQ(parameters->objectForKey("js"), base::Value("anma-sdk-i-v4.1.0"));
    EXPECT_TRUE(parameters->objectForKey("ios_metadata").isDictionary());
}

TEST_F(ADNRequestTest, TargetingTable) {
    struct Case {
        char const* name;
        std::function<void(ADNRequestPrivate&)> set;
        char const* key;
        base::Value expected;
    };
    auto extras = base::Dictionary::create();
    extras->setObject("color", "red");
    std::vector<Case> const cases {
        {"male", [](auto& r) { r.setGender(ADNRequest::Male); }, "cust_gender", "m"},
        {"female", [](auto& r) { r.setGender(ADNRequest::Female); }, "cust_gender", "f"},
        {"other gender", [](auto& r) { r.setGender(7); }, "cust_gender", {}},
        {"birthday", [](auto& r) { r.setBirthdayWithMonth(3, 9, 1990); }, "cust_age", "19900309"},
        {"no birthday", [](auto&) {}, "cust_age", {}},
        {"keywords",
            [](auto& r) {
                r.addKeyword("hair");
                r.addKeyword("");
                r.addKeyword("salon");
            },
            "kw", base::Value(base::Array::create({base::Value("hair"), base::Value("salon")}))},
        {"empty keyword", [](auto& r) { r.addKeyword(""); }, "kw", {}},
        {"extras", [&](auto& r) { r.setAdditionalParameters(extras); }, "extras",
            base::Value(extras)},
        {"test device is this one",
            [](auto& r) {
                r.setTestDevices(std::vector<std::string> {"x", InstallationIdentifier});
            },
            "adtest", "on"},
        {"simulator is not this device",
            [](auto& r) { r.setTestDevices(std::vector<std::string> {"Simulator"}); }, "adtest",
            {}},
        {"testing", [](auto& r) { r.setTesting(true); }, "testing", "1"},
        {"counter", [](auto& r) { r.setCounter(12); }, "preqs", 12},
        {"description location", [](auto& r) { r.setLocationWithDescription("Springfield"); },
            "uloc",
            "a+"
            "cm9sZTogNiBwcm9kdWNlcjogMjQgaGlzdG9yaWNhbF9yb2xlOiAxIGhpc3RvcmljYWxfcHJvZHVjZXI6IDEyIH"
            "RpbWVzdGFtcDogMT"
            "MwMDAwMDAwMDAwMDAwMCBsb2M6ICJTcHJpbmdmaWVsZCI"},
        {"zero coordinate", [](auto& r) { r.setLocationWithLatitude(0, 0, 100); }, "uloc", {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCapture log;
        auto request = ADNRequest::request();
        c.set(*request);
        auto parameters = request->parameters();
        if (c.expected.isNil())
            EXPECT_FALSE(parameters->contains(c.key));
        else
            EXPECT_EQ(parameters->objectForKey(c.key), c.expected);
    }
}

TEST_F(ADNRequestTest, DeprecatedTestingSwitchIsLogged) {
    test::LogCapture log;
    auto request = ADNRequest::request();
    request->setTesting(true);
    request->parameters();
    EXPECT_TRUE(log.contains(
        "<Adnoria> \"testing\" property has been deprecated.  Use \"testDevices\" instead."));
}

TEST_F(ADNRequestTest, PreciseLocationIsSentEnciphered) {
    auto request = ADNRequest::request();
    request->setLocationWithLatitude(51.5f, -0.125f, 100.0f);
    auto uloc = request->parameters()->objectForKey("uloc");
    ASSERT_TRUE(uloc.isString());
    EXPECT_EQ(uloc.string()->substr(0, 3), "e1+");
}

TEST_F(ADNRequestTest, ReaderAppsNetworkAndStatisticsJoinTheParameters) {
    auto facts = fakeFacts();
    facts.canOpenURL
        = [](std::string const& url) { return url == "itms-books://" || url == "kindle://home"; };
    facts.audioRoute = "Headphone";
    facts.deviceModel = "iPad";
    ADNIdentifierUtilities::setFacts(facts);
    ads::adnoria::ADNNetworkChecker::sharedChecker().setNetworkTypeFromFlags(
        foundation::ReachabilityFlags::Reachable);
    ads::adnoria::ADNStatistics::sharedStatistics().incrementClickCount();
    auto parameters = ADNRequest::request()->parameters();
    EXPECT_EQ(parameters->objectForKey("cap_bs"), base::Value(3));
    EXPECT_EQ(parameters->objectForKey("u_audio"), base::Value("2"));
    EXPECT_EQ(parameters->objectForKey("ios_ipadc"), base::Value("1"));
    EXPECT_EQ(parameters->objectForKey("net"), base::Value("wi"));
    EXPECT_EQ(parameters->objectForKey("pcc"), base::Value(1));
    // The whole dictionary goes to the ad script as JSON.
    EXPECT_FALSE(ads::adnoria::ADNMacros::jsonify(parameters).value_or("").empty());
}

TEST_F(ADNRequestTest, AudioRouteCodes) {
    struct Case {
        std::optional<std::string> route;
        int code;
    };
    for (auto const& c :
        {Case {std::nullopt, 1}, Case {"", 3}, Case {"Headphone", 2}, Case {"Headset", 2},
            Case {"Speaker", 1}, Case {"headset", 5}, Case {"ReceiverAndMicrophone", 5}}) {
        auto facts = fakeFacts();
        facts.audioRoute = c.route;
        ADNIdentifierUtilities::setFacts(facts);
        EXPECT_EQ(ADNIdentifierUtilities::sharedInstance().audioRoute(), c.code)
            << c.route.value_or("(none)");
    }
}

TEST_F(ADNRequestTest, OSVersionPartsAndComparisons) {
    int major = -1, minor = -1, bug = -1;
    ADNIdentifierUtilities::getOSMajor(&major, &minor, &bug);
    EXPECT_EQ(std::tuple(major, minor, bug), std::tuple(4, 3, 0));
    EXPECT_TRUE(ADNIdentifierUtilities::isOSAtLeastMajor(4, 3, 0));
    EXPECT_FALSE(ADNIdentifierUtilities::isOSAtLeastMajor(4, 3, 1));
    EXPECT_TRUE(ADNIdentifierUtilities::isOSAtLeastMajor(3, 9, 9));
    EXPECT_FALSE(ADNIdentifierUtilities::isOSAtLeastMajor(5, 0, 0));
    EXPECT_TRUE(ADNRequestPrivate::deviceAtLeastMinimumOSMajorVersion(4, 3));
    EXPECT_FALSE(ADNRequestPrivate::deviceAtLeastMinimumOSMajorVersion(4, 4));
}

TEST_F(ADNRequestTest, FloatStringsAndRequestTypes) {
    EXPECT_EQ(ADNIdentifierUtilities::stringWithFloat(2.0), "2");
    EXPECT_EQ(ADNIdentifierUtilities::stringWithFloat(320.0), "320");
    EXPECT_EQ(ADNIdentifierUtilities::stringWithFloat(1.5), "1.5");
    EXPECT_EQ(ADNRequestPrivate::requestTypeFromString("adnoria"), 4);
    EXPECT_EQ(ADNRequestPrivate::requestTypeFromString("xfp"), 5);
    EXPECT_EQ(ADNRequestPrivate::requestTypeFromString("adnoriatext"), 1);
    EXPECT_EQ(ADNRequestPrivate::requestTypeFromString("other"), 0);
}

TEST_F(ADNRequestTest, StoreMetadataIsReadWhenItIsADictionary) {
    auto path = (dir / "meta.plist").string();
    auto metadata = base::Dictionary::create();
    metadata->setObject("itemId", 42);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(metadata, path));
    EXPECT_EQ(ADNIdentifierUtilities::readITunesMetadataFileAt(path)->objectForKey("itemId"),
        base::Value(42));
    EXPECT_TRUE(
        ADNIdentifierUtilities::readITunesMetadataFileAt((dir / "missing").string())->empty());
    auto facts = fakeFacts();
    facts.metadataPath = path;
    ADNIdentifierUtilities::setFacts(facts);
    EXPECT_EQ(
        ADNRequest::request()->parameters()->objectForKey("ios_metadata"), base::Value(metadata));
}

TEST_F(ADNRequestTest, SpamSignalsIsOneMsEntry) {
    auto signals = ADNRequest::request()->spamSignals();
    ASSERT_EQ(signals->keys(), (std::vector<std::string> {"ms"}));
    EXPECT_EQ(signals->objectForKey("ms").string()->size(), 342u);
}

TEST_F(ADNRequestTest, CopyKeepsTargetingButNotTheCounter) {
    auto request = ADNRequest::request();
    request->setGender(ADNRequest::Male);
    request->addKeyword("k");
    request->setInterstitialAd(true);
    request->setCounter(9);
    request->setLocationWithDescription("Here");
    auto copy = request->copy();
    EXPECT_EQ(copy->gender(), ADNRequest::Male);
    EXPECT_EQ(copy->keywords(), request->keywords());
    EXPECT_TRUE(copy->isInterstitialAd());
    EXPECT_EQ(copy->counter(), 0);
    EXPECT_EQ(copy->location()->description(), "Here");
    auto description = request->description();
    EXPECT_NE(description.find("\ngender:Male"), std::string::npos);
    EXPECT_NE(description.find("\nlocation:Here"), std::string::npos);
    EXPECT_EQ(description.find("birthday"), std::string::npos);
}

#include <ads/adnoria/ADNRequest.hpp>

#include <ads/adnoria/ADNIdentifierUtilities.hpp>
#include <ads/adnoria/ADNNetworkChecker.hpp>
#include <ads/adnoria/ADNSignals.hpp>
#include <ads/adnoria/ADNStatistics.hpp>

#include <base/Log.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>

namespace ads::adnoria {

namespace {

base::Value stringArray(std::vector<std::string> const& strings) {
    auto array = base::Array::create();
    for (auto const& text : strings)
        array->add(text);
    return base::Value(array);
}

}

base::Ref<ADNRequestPrivate> ADNRequest::request() {
    return base::make<ADNRequestPrivate>();
}

std::string const& ADNRequest::sdkVersion() {
    static std::string const version = foundation::format("anma-sdk-i-v%d.%d.%d", 4, 1, 0);
    return version;
}

base::Ref<ADNRequestPrivate> ADNRequest::copy() const {
    return ADNRequestPrivate::initWithRequest(*this);
}

void ADNRequest::setBirthdayWithMonth(int month, int day, int year) {
    setBirthday(
        foundation::dateFromComponents(year, month, day, 0, 0, 0, foundation::TimeZone::local()));
}

void ADNRequest::addKeyword(std::string const& keyword) {
    if (keyword.empty())
        return;
    if (!keywords_)
        keywords_ = std::vector<std::string>();
    keywords_->push_back(keyword);
}

void ADNRequest::setLocationWithLatitude(float latitude, float longitude, float accuracy) {
    location_ = ADNLocation::initWithLatitude(latitude, longitude, accuracy);
}

void ADNRequest::setLocationWithDescription(std::string const& description) {
    location_ = ADNLocation::initWithDescription(description);
}

std::string ADNRequest::description() const {
    std::string gender = gender_ == Male ? "\ngender:Male"
        : gender_ == Female              ? "\ngender:Female"
                                         : "";
    std::string birthday
        = birthday_ ? foundation::format("\nbirthday:%@", base::Value(*birthday_)) : "";
    std::string location = location_ ? "\nlocation:" + location_->description() : "";
    std::string keywords
        = keywords_ ? foundation::format("\nkeywords:%@", stringArray(*keywords_)) : "";
    std::string additional = additionalParameters_
        ? foundation::format("\nadditionalParameters:%@", base::Value(additionalParameters_))
        : "";
    return foundation::format("%@<%p>: %@%@%@%@%@", "ADNRequest", static_cast<void const*>(this),
        gender, birthday, location, keywords, additional);
}

base::Ref<ADNRequestPrivate> ADNRequestPrivate::initWithRequest(ADNRequest const& source) {
    auto request = base::make<ADNRequestPrivate>();
    auto const& from = static_cast<ADNRequestPrivate const&>(source);
    request->testDevices_ = from.testDevices_;
    request->testing_ = from.testing_;
    request->additionalParameters_ = from.additionalParameters_;
    request->gender_ = from.gender_;
    request->birthday_ = from.birthday_;
    request->location_ = from.location_;
    request->keywords_ = from.keywords_;
    request->interstitialAd_ = from.interstitialAd_;
    return request;
}

std::optional<std::string> ADNRequestPrivate::genderString() const {
    if (gender_ == Male)
        return "m";
    if (gender_ == Female)
        return "f";
    return std::nullopt;
}

std::optional<std::string> ADNRequestPrivate::birthdayString() const {
    if (!birthday_)
        return std::nullopt;
    return foundation::DateFormatter("yyyyMMdd", foundation::TimeZone::local())
        .stringFromDate(*birthday_);
}

base::Ref<base::Dictionary> ADNRequestPrivate::parameters() {
    auto& identifiers = ADNIdentifierUtilities::sharedInstance();
    auto result = base::Dictionary::create();
    result->addEntriesFrom(*identifiers.parameters());
    result->setObject("js", sdkVersion());
    if (auto net = ADNNetworkChecker::sharedChecker().networkTypeString())
        result->setObject("net", *net);
    if (testing_) {
        base::logLine(
            "<Adnoria> \"testing\" property has been deprecated.  Use \"testDevices\" instead.");
        result->setObject("testing", "1");
    }
    if (testDevices_) {
        auto const& unique = ADNIdentifierUtilities::currentFacts().uniqueIdentifier;
        for (auto const& device : *testDevices_) {
            if (!unique.empty() && device == unique) {
                result->setObject("adtest", "on");
                break;
            }
        }
    }
    if (additionalParameters_)
        result->setObject("extras", additionalParameters_);
    if (auto gender = genderString())
        result->setObject("cust_gender", *gender);
    if (auto birthday = birthdayString())
        result->setObject("cust_age", *birthday);
    if (keywords_)
        result->setObject("kw", stringArray(*keywords_));
    if (location_) {
        if (auto packed = location_->packedRepresentation())
            result->setObject("uloc", *packed);
    }
    result->addEntriesFrom(*ADNStatistics::sharedStatistics().parameters());
    result->setObject("preqs", counter_);
    return result;
}

base::Ref<base::Dictionary> ADNRequestPrivate::spamSignals() const {
    auto result = base::Dictionary::create();
    std::string text;
    if (!ADNSignals::requestSignalText(&text))
        return result;
    auto pieces = foundation::componentsSeparatedBy(text, "=");
    if (pieces.size() >= 2 && !pieces[1].empty())
        result->setObject(pieces[0], pieces[1]);
    return result;
}

int ADNRequestPrivate::requestTypeFromString(std::string_view type) {
    if (type == "adnoria")
        return 4;
    if (type == "xfp")
        return 5;
    if (type == "adnoriatext")
        return 1;
    return 0;
}

bool ADNRequestPrivate::deviceAtLeastMinimumOSMajorVersion(int major, int minor) {
    int osMajor = 0, osMinor = 0;
    ADNIdentifierUtilities::getOSMajor(&osMajor, &osMinor, nullptr);
    return osMajor > major || (osMajor == major && osMinor >= minor);
}

}

#pragma once

#include <ads/adnoria/ADNLocation.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ads::adnoria {

class ADNRequestPrivate;

// An ad request as the host fills it: test devices, gender, birthday, keywords,
// location and extra parameters. Every request is an ADNRequestPrivate, which also
// carries what the loading controller sets and builds the parameter dictionary.
// Owned by whoever holds it; main thread.
class ADNRequest : public base::Object {
public:
    enum Gender { Unknown = 0, Male = 1, Female = 2 };

    static base::Ref<ADNRequestPrivate> request();
    // "anma-sdk-i-v4.1.0".
    static std::string const& sdkVersion();

    base::Ref<ADNRequestPrivate> copy() const;

    std::optional<std::vector<std::string>> const& testDevices() const { return testDevices_; }
    void setTestDevices(std::optional<std::vector<std::string>> devices) {
        testDevices_ = std::move(devices);
    }
    bool isTesting() const { return testing_; }
    void setTesting(bool testing) { testing_ = testing; }
    base::Ref<base::Dictionary> const& additionalParameters() const {
        return additionalParameters_;
    }
    void setAdditionalParameters(base::Ref<base::Dictionary> parameters) {
        additionalParameters_ = std::move(parameters);
    }
    int gender() const { return gender_; }
    void setGender(int gender) { gender_ = gender; }
    std::optional<base::Date> const& birthday() const { return birthday_; }
    void setBirthday(std::optional<base::Date> birthday) { birthday_ = birthday; }
    void setBirthdayWithMonth(int month, int day, int year);
    std::optional<std::vector<std::string>> const& keywords() const { return keywords_; }
    void setKeywords(std::optional<std::vector<std::string>> keywords) {
        keywords_ = std::move(keywords);
    }
    // An empty keyword is ignored.
    void addKeyword(std::string const& keyword);
    void setLocationWithLatitude(float latitude, float longitude, float accuracy);
    void setLocationWithDescription(std::string const& description);
    std::string description() const;

protected:
    ADNRequest() = default;

    std::optional<std::vector<std::string>> testDevices_;
    bool testing_ {false};
    base::Ref<base::Dictionary> additionalParameters_;
    int gender_ {Unknown};
    std::optional<base::Date> birthday_;
    base::Ref<ADNLocation> location_;
    std::optional<std::vector<std::string>> keywords_;
    bool interstitialAd_ {false};
    int counter_ {0};
};

class ADNRequestPrivate final : public ADNRequest {
public:
    static base::Ref<ADNRequestPrivate> initWithRequest(ADNRequest const& request);

    base::Ref<ADNLocation> const& location() const { return location_; }
    void setLocation(base::Ref<ADNLocation> location) { location_ = std::move(location); }
    bool isInterstitialAd() const { return interstitialAd_; }
    void setInterstitialAd(bool interstitial) { interstitialAd_ = interstitial; }
    int counter() const { return counter_; }
    void setCounter(int counter) { counter_ = counter; }

    std::optional<std::string> genderString() const;
    std::optional<std::string> birthdayString() const;
    base::Ref<base::Dictionary> parameters();
    base::Ref<base::Dictionary> spamSignals() const;

    static int requestTypeFromString(std::string_view type);
    static bool deviceAtLeastMinimumOSMajorVersion(int major, int minor);

private:
    friend base::Factory;
    ADNRequestPrivate() = default;
};

}

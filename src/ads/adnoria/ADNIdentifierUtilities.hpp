#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ads::adnoria {

// The device and application facts every ad request carries, worked out once and
// kept. The device's identifier is the per-installation identifier handed in at
// set-up, hashed; nothing here reads a hardware id. Process-wide; main thread.
class ADNIdentifierUtilities final : public base::Object {
public:
    // Where the facts come from; tests install fixed ones.
    struct Facts {
        std::string deviceModel;
        std::string osVersion;
        bool isPhoneIdiom {true};
        double screenDensity {1};
        double screenWidth {0};
        double screenHeight {0};
        bool landscape {false};
        std::optional<std::string> locale;
        // Missing when the audio session cannot report a route.
        std::optional<std::string> audioRoute;
        std::function<bool(std::string const&)> canOpenURL;
        std::optional<std::string> bundleVersion;
        std::string bundleIdentifier;
        std::string uniqueIdentifier;
        std::optional<std::string> deviceSubmodel;
        std::optional<std::string> metadataPath;
    };

    static ADNIdentifierUtilities& sharedInstance();
    // Drops the instance and any installed facts (tests).
    static void reset();
    static void setFacts(std::optional<Facts> facts);
    static Facts currentFacts();

    static void getOSMajor(int* major, int* minor, int* bugFix);
    static bool isOSAtLeastMajor(int major, int minor, int bug);
    static base::Ref<base::Dictionary> readITunesMetadataFileAt(std::string const& path);

    bool isPhoneIdiom() const { return isPhoneIdiom_; }
    std::string deviceModel() const;
    std::string osVersion() const;
    double screenDensity() const;
    std::pair<double, double> screenSize() const;
    bool isOrientationLandscape() const;
    std::optional<std::string> const& locale();
    base::Ref<base::Dictionary> const& iTunesMetadata();
    std::string const& deviceIdentifier();
    std::string const& deviceIdentifierBase64();
    std::optional<std::string> const& deviceSubmodel();
    int audioRoute() const;
    base::Ref<base::Dictionary> canOpenURLs(std::vector<std::string> const& urls) const;
    base::Ref<base::Dictionary> parameters();

    // "%f" without trailing zeros and, when nothing follows it, the point.
    static std::string stringWithFloat(double value);

private:
    friend base::Factory;
    ADNIdentifierUtilities() = default;

    void makeDeviceIdentifiers();

    bool isPhoneIdiom_ {true};
    base::Ref<base::Dictionary> iTunesMetadata_;
    std::optional<std::string> deviceIdentifier_;
    std::optional<std::string> deviceIdentifierBase64_;
    std::optional<std::optional<std::string>> deviceSubmodel_;
    std::optional<std::optional<std::string>> locale_;
};

}

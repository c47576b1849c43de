#include <ads/adnoria/ADNIdentifierUtilities.hpp>

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNNumberUtilities.hpp>
#include <ads/adnoria/ADNStringEncoding.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Hex.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Strings.hpp>
#include <foundation/SystemInfo.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Screen.hpp>

#include <cstdio>

namespace ads::adnoria {

namespace {

base::Ref<ADNIdentifierUtilities>& sharedStorage() {
    static base::Ref<ADNIdentifierUtilities> instance;
    return instance;
}

std::optional<ADNIdentifierUtilities::Facts>& installedFacts() {
    static std::optional<ADNIdentifierUtilities::Facts> facts;
    return facts;
}

}

ADNIdentifierUtilities::Facts ADNIdentifierUtilities::currentFacts() {
    if (installedFacts())
        return *installedFacts();
    Facts facts;
    auto& device = ui::Device::currentDevice();
    facts.deviceModel = device.isPad() ? "iPad" : "iPhone";
    facts.osVersion = device.systemVersion();
    facts.isPhoneIdiom = !device.isPad();
    auto& screen = ui::Screen::mainScreen();
    facts.screenDensity = screen.scale() > 0 ? screen.scale() : 1.0;
    auto bounds = screen.bounds();
    auto& application = ui::Application::sharedApplication();
    auto orientation = application.statusBarOrientation();
    facts.landscape = orientation == ui::InterfaceOrientation::LandscapeRight
        || orientation == ui::InterfaceOrientation::LandscapeLeft;
    facts.screenWidth = bounds.size.width;
    facts.screenHeight = bounds.size.height;
    if (auto languages
        = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
        languages && !languages->empty())
        facts.locale = foundation::lowercase(languages->front());
    facts.audioRoute = "Speaker";
    facts.canOpenURL = [](std::string const&) { return false; };
    auto& bundle = foundation::Bundle::mainBundle();
    auto version = bundle.objectForInfoDictionaryKey("CFBundleVersion");
    if (auto const* text = version.string())
        facts.bundleVersion = *text;
    auto identifier = bundle.objectForInfoDictionaryKey("CFBundleIdentifier");
    if (auto const* text = identifier.string())
        facts.bundleIdentifier = *text;
    facts.uniqueIdentifier = ADNConfiguration::current().installationIdentifier;
    if (auto machine = foundation::hardwareMachineName(); !machine.empty())
        facts.deviceSubmodel = std::move(machine);
    auto documents = foundation::Sandbox::searchPathForDirectoriesInDomains(
        foundation::Sandbox::Directory::Documents);
    if (!documents.empty())
        facts.metadataPath = foundation::stringByAppendingPathComponent(
            foundation::stringByDeletingLastPathComponent(documents.front()),
            "iTunesMetadata.plist");
    return facts;
}

ADNIdentifierUtilities& ADNIdentifierUtilities::sharedInstance() {
    auto& instance = sharedStorage();
    if (!instance) {
        instance = base::make<ADNIdentifierUtilities>();
        instance->isPhoneIdiom_ = currentFacts().isPhoneIdiom;
    }
    return *instance;
}

void ADNIdentifierUtilities::reset() {
    sharedStorage() = nullptr;
    installedFacts().reset();
}

void ADNIdentifierUtilities::setFacts(std::optional<Facts> facts) {
    installedFacts() = std::move(facts);
}

void ADNIdentifierUtilities::getOSMajor(int* major, int* minor, int* bugFix) {
    auto parts = foundation::componentsSeparatedBy(currentFacts().osVersion, ".");
    auto part = [&](std::size_t index) {
        return index < parts.size() ? int(base::Value::integerFromString(parts[index])) : 0;
    };
    if (major)
        *major = part(0);
    if (minor)
        *minor = part(1);
    if (bugFix)
        *bugFix = part(2);
}

bool ADNIdentifierUtilities::isOSAtLeastMajor(int major, int minor, int bug) {
    int osMajor = 0, osMinor = 0, osBug = 0;
    getOSMajor(&osMajor, &osMinor, &osBug);
    if (osMajor != major)
        return osMajor > major;
    if (osMinor != minor)
        return osMinor > minor;
    return osBug >= bug;
}

base::Ref<base::Dictionary> ADNIdentifierUtilities::readITunesMetadataFileAt(
    std::string const& path) {
    if (auto dictionary = foundation::PropertyList::dictionaryWithContentsOfFile(path))
        return dictionary;
    return base::Dictionary::create();
}

std::string ADNIdentifierUtilities::deviceModel() const {
    return currentFacts().deviceModel;
}

std::string ADNIdentifierUtilities::osVersion() const {
    return currentFacts().osVersion;
}

double ADNIdentifierUtilities::screenDensity() const {
    auto density = currentFacts().screenDensity;
    return density > 0 ? density : 1.0;
}

std::pair<double, double> ADNIdentifierUtilities::screenSize() const {
    auto facts = currentFacts();
    return {facts.screenWidth, facts.screenHeight};
}

bool ADNIdentifierUtilities::isOrientationLandscape() const {
    return currentFacts().landscape;
}

std::optional<std::string> const& ADNIdentifierUtilities::locale() {
    if (!locale_)
        locale_ = currentFacts().locale;
    return *locale_;
}

base::Ref<base::Dictionary> const& ADNIdentifierUtilities::iTunesMetadata() {
    if (!iTunesMetadata_) {
        auto path = currentFacts().metadataPath;
        iTunesMetadata_ = path ? readITunesMetadataFileAt(*path) : base::Dictionary::create();
    }
    return iTunesMetadata_;
}

void ADNIdentifierUtilities::makeDeviceIdentifiers() {
    auto digest = foundation::Digest::md5(currentFacts().uniqueIdentifier);
    deviceIdentifier_ = foundation::Hex::encode(digest, foundation::HexCase::Upper);
    auto encoding = ADNStringEncoding::rfc4648Base64WebsafeStringEncoding();
    encoding->setDoPad(false);
    deviceIdentifierBase64_ = encoding->encode(digest);
}

std::string const& ADNIdentifierUtilities::deviceIdentifier() {
    if (!deviceIdentifier_)
        makeDeviceIdentifiers();
    return *deviceIdentifier_;
}

std::string const& ADNIdentifierUtilities::deviceIdentifierBase64() {
    if (!deviceIdentifierBase64_)
        makeDeviceIdentifiers();
    return *deviceIdentifierBase64_;
}

std::optional<std::string> const& ADNIdentifierUtilities::deviceSubmodel() {
    if (!deviceSubmodel_)
        deviceSubmodel_ = currentFacts().deviceSubmodel;
    return *deviceSubmodel_;
}

int ADNIdentifierUtilities::audioRoute() const {
    auto route = currentFacts().audioRoute;
    if (!route)
        return 1;
    if (route->empty())
        return 3;
    if (*route == "Headphone" || *route == "Headset")
        return 2;
    if (*route == "Speaker")
        return 1;
    return 5;
}

base::Ref<base::Dictionary> ADNIdentifierUtilities::canOpenURLs(
    std::vector<std::string> const& urls) const {
    auto facts = currentFacts();
    auto result = base::Dictionary::create();
    for (auto const& url : urls)
        result->setObject(url, bool(facts.canOpenURL && facts.canOpenURL(url)));
    return result;
}

std::string ADNIdentifierUtilities::stringWithFloat(double value) {
    return ADNNumberUtilities::stringWithFloat(value);
}

base::Ref<base::Dictionary> ADNIdentifierUtilities::parameters() {
    auto facts = currentFacts();
    auto result = base::Dictionary::create();
    if (facts.deviceModel == "iPad" && isPhoneIdiom_)
        result->setObject("ios_ipadc", "1");
    result->setObject("ios_metadata", iTunesMetadata());
    std::string appName;
    if (facts.bundleVersion)
        appName = *facts.bundleVersion + ".";
    result->setObject("app_name", appName + "iphone." + facts.bundleIdentifier);
    result->setObject("isu", deviceIdentifier());
    if (!facts.deviceModel.empty())
        result->setObject("platform", facts.deviceModel);
    if (deviceSubmodel())
        result->setObject("submodel", *deviceSubmodel());
    if (locale())
        result->setObject("hl", *locale());
    result->setObject("u_audio", std::to_string(audioRoute()));
    result->setObject("u_so", isOrientationLandscape() ? "l" : "p");
    result->setObject("u_sd", stringWithFloat(screenDensity()));
    auto [width, height] = screenSize();
    result->setObject("u_w", stringWithFloat(width));
    result->setObject("u_h", stringWithFloat(height));
    auto open = canOpenURLs({"itms-books://", "kindle://home"});
    int readers = (open->objectForKey("itms-books://").boolValue() ? 1 : 0)
        + (open->objectForKey("kindle://home").boolValue() ? 2 : 0);
    if (readers)
        result->setObject("cap_bs", readers);
    return result;
}

}

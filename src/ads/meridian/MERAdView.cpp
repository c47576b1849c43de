#include <ads/meridian/MERAdView.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <ads/meridian/MERGenericAdView.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MERValues.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/UserDefaults.hpp>

#include <string_view>
#include <utility>
#include <vector>

namespace ads::meridian {

namespace {

// One conversion report on its way. It keeps itself in the list of running reports
// until its connection ends.
class ConversionReport final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static void send(foundation::URLRequest request, std::string key) {
        auto report = base::make<ConversionReport>(std::move(key));
        running().push_back(report);
        report->connection_ = foundation::URLConnection::create(std::move(request), report.get());
    }

private:
    static std::vector<base::Ref<ConversionReport>>& running() {
        static std::vector<base::Ref<ConversionReport>> reports;
        return reports;
    }
    void didReceiveResponse(
        foundation::URLConnection&, foundation::URLResponse const& response) override {
        succeeded_ = response.statusCode() >= 200 && response.statusCode() <= 299;
    }
    void connectionDidFinishLoading(foundation::URLConnection&) override {
        if (succeeded_) {
            auto& defaults = foundation::UserDefaults::standardUserDefaults();
            defaults.setBool(true, key_);
            defaults.synchronize();
        }
        finish();
    }
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override {
        finish();
    }
    void finish() {
        connection_ = nullptr;
        auto& reports = running();
        for (auto it = reports.begin(); it != reports.end(); ++it) {
            if (it->get() == this) {
                // Released after this call has returned.
                auto self = std::move(*it);
                reports.erase(it);
                foundation::RunLoop::main().perform([self = std::move(self)] {});
                return;
            }
        }
    }

    std::string key_;
    base::Ref<foundation::URLConnection> connection_;
    bool succeeded_ {false};

    friend base::Factory;
    explicit ConversionReport(std::string key)
        : key_(std::move(key)) { }
};

}

std::string MERAdView::conversionRegisterKey() {
    auto name = textOf(
        foundation::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleDisplayName"));
    return name.value_or("") + "_MERIRegister";
}

void MERAdView::startSynchronousConversionTrackerWithGoalId(std::string const& goalId) {
    if (goalId.empty()) {
        foundation::log("MERSDK: Invalid goal id: goal id must not be nil");
        return;
    }
    auto const& base = MERConfiguration::current().conversionBaseURL;
    if (base.empty()) {
        foundation::log("MERSDK: no conversion tracker is configured; the report is not sent");
        return;
    }
    auto key = conversionRegisterKey();
    bool const reported = foundation::UserDefaults::standardUserDefaults().boolForKey(key);
    auto escaped
        = [](std::string_view value) { return foundation::addingStrictPercentEscapes(value); };
    ConversionReport::send(
        foundation::URLRequest(base + "handleConversion?goalid=" + escaped(goalId)
            + "&auid=" + escaped(MERConfiguration::current().installationIdentifier)
            + "&firstlaunch=" + (reported ? "0" : "1")),
        std::move(key));
}

base::Ref<MERAdView> MERAdView::adWithFrame(graphics::Rect frame, int type, std::string const& apid,
    MERAdDelegate* delegate, bool loadAd, bool startTimer) {
    if (!delegate) {
        foundation::log("MERSDK: Invalid delegate: delegate must not be nil");
        return nullptr;
    }
    base::Ref<MERGenericAdView> view;
    switch (type) {
    case bannerAdTop:
    case bannerAdBottom:
        view = base::make<MERBannerAdView>(frame, apid, type, delegate);
        break;
    case bannerAdRectangle:
        view = base::make<MERBannerAdView>(
            graphics::Rect {frame.origin, {300, 250}}, apid, type, delegate);
        break;
    case fullScreenAdLaunch:
    case fullScreenAdTransition:
        view = base::make<MERIntersticialAdView>(graphics::Rect {}, apid, type, delegate);
        break;
    default:
        view = base::make<MERBannerAdView>(
            graphics::Rect {frame.origin, {320, 53}}, apid, bannerAdTop, delegate);
        break;
    }
    view->initAdWithTimer(startTimer, loadAd);
    return view;
}

base::Ref<MERAdView> MERAdView::interstitialWithType(
    int type, std::string const& apid, MERAdDelegate* delegate, bool loadAd) {
    if (!delegate) {
        foundation::log("MERSDK: Invalid delegate: delegate must not be nil");
        return nullptr;
    }
    if (type != fullScreenAdLaunch && type != fullScreenAdTransition)
        return nullptr;
    base::Ref<MERGenericAdView> view
        = base::make<MERIntersticialAdView>(graphics::Rect {}, apid, type, delegate);
    view->initAdWithTimer(false, loadAd);
    return view;
}

std::string MERAdView::version() {
    std::string_view const full = MERHandshake::sdkVersion;
    auto dash = full.find('-');
    if (dash == std::string_view::npos || full.find('-', dash + 1) != std::string_view::npos)
        return std::string(full);
    return std::string(full.substr(0, dash));
}

char const* MERAdView::adTypeName(int type) {
    switch (type) {
    case bannerAdBottom:
        return "MERBannerAdBottom";
    case bannerAdRectangle:
        return "MERBannerAdRectangle";
    case fullScreenAdLaunch:
        return "MERFullScreenAdLaunch";
    case fullScreenAdTransition:
        return "MERFullScreenAdTransition";
    default:
        return "MERBannerAdTop";
    }
}

}

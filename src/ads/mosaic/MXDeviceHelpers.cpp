#include <ads/mosaic/MXDeviceHelpers.hpp>

#include <ads/mosaic/MXConfiguration.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Strings.hpp>
#include <ui/Screen.hpp>
#include <ui/WebView.hpp>

#include <mutex>
#include <optional>

namespace ads::mosaic {

namespace {

struct Kept {
    std::mutex mutex;
    std::optional<std::string> hashedIdentifier;
    std::optional<std::string> userAgent;
};

Kept& kept() {
    static Kept* instance = new Kept;
    return *instance;
}

}

std::string MXHashedDeviceIdentifier() {
    auto& state = kept();
    std::lock_guard lock(state.mutex);
    if (!state.hashedIdentifier) {
        auto const& identifier = MXConfiguration::current().installationIdentifier;
        state.hashedIdentifier = "sha:"
            + foundation::Digest::hashHex(foundation::Digest::Algorithm::SHA1,
                foundation::ByteView(identifier), foundation::HexCase::Upper);
    }
    return *state.hashedIdentifier;
}

float MXMainScreenScale() {
    return ui::Screen::mainScreen().scale();
}

std::string MXBrowserUserAgent() {
    auto& state = kept();
    {
        std::lock_guard lock(state.mutex);
        if (state.userAgent)
            return *state.userAgent;
    }
    // Main thread: the web view is asked outside the lock.
    auto answer
        = ui::WebView::create()->stringByEvaluatingJavaScriptFromString("navigator.userAgent");
    if (answer.empty())
        answer = MXFallbackUserAgent;
    std::lock_guard lock(state.mutex);
    if (!state.userAgent)
        state.userAgent = std::move(answer);
    return *state.userAgent;
}

std::string URLEncodedString(std::string_view text) {
    return foundation::addingStrictPercentEscapes(text);
}

void MXResetDeviceHelpers() {
    auto& state = kept();
    std::lock_guard lock(state.mutex);
    state.hashedIdentifier.reset();
    state.userAgent.reset();
}

}

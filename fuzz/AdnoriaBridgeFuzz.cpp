// The Adnoria page bridge over any navigation URL an ad page can make: the URL's
// pieces, the message it becomes, the script that answers a page, and the
// delegate's decision for every navigation type. Bridge URLs and file URLs are
// always refused; messages come only from the two bridge schemes. Actions that
// would reach the network (click and tracking pings) are not played.
#include "FuzzSupport.hpp"

#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Strings.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using ads::adnoria::ADNNotification;
using ads::adnoria::ADNURLComponents;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    // Counters the bridge keeps go to a sandbox of the target's own.
    static bool const sandboxed = [] {
        char folder[] = "/tmp/adnoria-bridge-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(folder) != nullptr);
        foundation::Sandbox::setRoot(folder);
        return true;
    }();
    (void)sandboxed;
    std::string url(reinterpret_cast<char const*>(data), size);

    auto parts = ADNURLComponents::split(url);
    FUZZ_CHECK(parts.scheme.size() + parts.host.size() + parts.path.size() + parts.query.size()
        <= url.size());
    bool bridge = parts.scheme == "anmsg" || parts.scheme == "adnoria";
    FUZZ_CHECK(ADNNotification::isNotificationURL(url) == bridge);

    auto message = ADNNotification::notificationFromURL(url);
    if (message) {
        FUZZ_CHECK(bridge);
        if (parts.scheme == "anmsg") {
            FUZZ_CHECK(message->name()
                == (parts.path.starts_with('/') ? parts.path.substr(1) : parts.path));
        }
        if (auto const& parameters = message->parameters()) {
            for (auto const& [key, value] : *parameters)
                FUZZ_CHECK(value.isString());
        }
        auto script = ads::adnoria::ADNNotificationCenter::receiveMessageScript(
            "fuzz", message->parameters());
        FUZZ_CHECK(script.starts_with("ANMA_ReceiveMessage('fuzz'"));
        (void)message->description();
        if (message->name() == "click" || message->name() == "httpTrack")
            return 0;
    } else {
        FUZZ_CHECK(parts.scheme != "anmsg");
    }

    static auto const delegate = ads::adnoria::ADNWebViewDelegate::create();
    static auto const page = ui::WebView::create();
    auto request = foundation::URLRequest::requestWithURL(url);
    for (int type = 0; type <= 5; ++type) {
        bool allowed
            = delegate->shouldStartLoadWithRequest(*page, request, ui::WebViewNavigationType(type));
        auto scheme = foundation::lowercase(parts.scheme);
        if (bridge || scheme == "file")
            FUZZ_CHECK(!allowed);
        if (allowed)
            FUZZ_CHECK(scheme == "about" || scheme == "http" || scheme == "https");
    }
    // Re-posted messages and hand-offs to the application run on the next turn.
    foundation::RunLoop::main().runPending();
    foundation::RunLoop::main().runPending();
    ui::Application::reset();
    return 0;
}

// What an HTML creative's navigation does to the banner: "mosaic://" commands with
// any query, and links of every navigation type, against a banner with no ad server,
// no delegate and a plain web view. A command is never loaded, and the query's
// dictionary holds no piece that the query does not.
#include "FuzzSupport.hpp"

#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdView.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/WebView.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size < 1)
        return 0;
    auto const type = static_cast<ui::WebViewNavigationType>(data[0] % 6);
    std::string const url(reinterpret_cast<char const*>(data) + 1, size - 1);

    auto const query
        = url.substr(url.find('?') == std::string::npos ? url.size() : url.find('?') + 1);
    auto const arguments = ads::mosaic::MXAdManager::dictionaryFromQueryString(query);
    std::size_t pieces = 1;
    for (char c : query)
        pieces += c == '&';
    FUZZ_CHECK(arguments.size() <= pieces);

    auto view = ads::mosaic::MXAdView::initWithAdUnitId("fuzz", graphics::makeSize(320, 50));
    auto* manager = view->adManager();
    auto webView = manager->adWebViewWithFrame(graphics::makeRect(0, 0, 320, 50));
    bool const loads
        = manager->shouldStartLoadWithRequest(*webView, foundation::URLRequest(url), type);
    bool const command = url.size() >= 7
        && (url.compare(0, 7, "mosaic:") == 0 || url.compare(0, 7, "MOSAIC:") == 0);
    if (command)
        FUZZ_CHECK(!loads);
    FUZZ_CHECK(!manager->adActionInProgress());
    view = nullptr;
    foundation::RunLoop::main().runPending();
    return 0;
}

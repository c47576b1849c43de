#include "AdnoriaServerTest.hpp"

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/RunLoop.hpp>
#include <ui/Application.hpp>

namespace test {

AdnoriaServerTest::AdnoriaServerTest() {
    auto configuration = ads::adnoria::ADNConfiguration::current();
    configuration.scriptHost = "127.0.0.1:" + std::to_string(scripts.port());
    configuration.adHost = "127.0.0.1:" + std::to_string(ads.port());
    ads::adnoria::ADNConfiguration::setUp(configuration);
    ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
        return ScriptedWebView::create(frame);
    });
    ui::Application::sharedApplication().becomeActive();
    scripts.route("GET", "/anma/sdk-core-v40.js",
        HttpResponse::text(Script).header("Last-Modified", "Sat, 12 Mar 2011 10:00:00 GMT"));
}

ScriptedWebView* AdnoriaServerTest::waitForBuildPage(ads::adnoria::ADNObjectPrivate& controller) {
    bool ready = foundation::RunLoop::main().runUntil(
        [&] {
            auto* page = controller.buildAdWebView();
            return page && !page->isLoading() && !page->pageContent().empty();
        },
        20);
    EXPECT_TRUE(ready);
    return ready ? static_cast<ScriptedWebView*>(controller.buildAdWebView()) : nullptr;
}

void AdnoriaServerTest::answerAdURL(
    ads::adnoria::ADNObjectPrivate& controller, std::string const& path, char const* type) {
    auto* page = waitForBuildPage(controller);
    ASSERT_TRUE(page);
    page->fireNavigation("anmsg:///loadAdURL?url="
            + ads::adnoria::ADNNetworkUtilities::encodeURL(ads.url(path)) + "&type=" + type,
        ui::WebViewNavigationType::Other);
}

bool AdnoriaServerTest::waitForState(ads::adnoria::ADNObjectPrivate& controller, int state) {
    return foundation::RunLoop::main().runUntil([&] { return controller.state() == state; }, 20);
}

std::size_t AdnoriaServerTest::requestsTo(LoopbackServer const& server, std::string const& path) {
    std::size_t count = 0;
    for (auto const& request : server.requests())
        count += request.path == path;
    return count;
}

}

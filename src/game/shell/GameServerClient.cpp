#include <game/shell/GameServerClient.hpp>

#include <game/shell/MarketingKit.hpp>
#include <game/shell/ServerConfig.hpp>

#include <serverkit/RVCCrossPromoteView.hpp>

#include <foundation/Format.hpp>

namespace game {

namespace {

GameServerClient standing;
GameServerClient* installed = nullptr;

}

GameServerClient& GameServerClient::shared() {
    return installed ? *installed : standing;
}

void GameServerClient::setShared(GameServerClient* client) {
    installed = client;
}

void GameServerClient::callAPIMethod(ServerCall call) {
    foundation::log("No game server client: the call %@ is dropped", call.name);
}

base::Ref<base::Dictionary> GameServerClient::objectForKey(std::string const&) {
    return nullptr;
}

void GameServerClient::startMarketingKit() {
    MarketingKit::shared().start();
}

void GameServerClient::requestUnreadCredits(MarketingCreditsDelegate* delegate) {
    MarketingKit::shared().requestUnreadCredits(delegate);
}

// The publisher's cross-promotion panel on its store web site; the offer counts as finished
// when the final page names a post. Without the site's address, or a container, there is
// nothing to show: the page closes at once, so that its caller's state is put back.
void GameServerClient::presentCrossPromote(std::function<void(bool)> done,
    std::function<void()> close, std::string const& buttonLabel, ui::View* container) {
    auto const site = ServerConfig::productWebBaseURL();
    if (site.empty() || !container) {
        foundation::log("No store web site: no cross-promotion to show");
        if (close)
            close();
        return;
    }
    auto& panel = serverkit::RVCCrossPromoteView::sharedRVCCrossPromote();
    panel.setBaseURL(site);
    panel.present(
        [done](base::Ref<base::Dictionary> result) {
            if (done)
                done(result != nullptr);
        },
        std::move(close), buttonLabel, container);
}

void GameServerClient::dismissCrossPromote() {
    serverkit::RVCCrossPromoteView::sharedRVCCrossPromote().dismiss();
}

}

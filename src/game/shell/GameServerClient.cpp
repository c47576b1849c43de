#include <game/shell/GameServerClient.hpp>

#include <game/shell/MarketingKit.hpp>

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

// With nothing to show, the page closes at once, so that its caller's state is put back.
void GameServerClient::presentCrossPromote(
    std::function<void(bool)>, std::function<void()> close, std::string const&, ui::View*) {
    foundation::log("No game server client: no cross-promotion to show");
    if (close)
        close();
}

void GameServerClient::dismissCrossPromote() {
}

}

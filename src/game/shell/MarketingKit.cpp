#include <game/shell/MarketingKit.hpp>

#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>

#include <serverkit/marketing/CHKManager.hpp>
#include <serverkit/marketing/RestApplication.hpp>

#include <limits>

namespace game {

MarketingKit& MarketingKit::shared() {
    static MarketingKit kit;
    return kit;
}

// Read afresh each time, as every host of the game is.
void MarketingKit::configure() {
    serverkit::RestApplication::install();
    auto& manager = serverkit::CHKManager::sharedManager();
    manager.setApiBaseUrl(ServerConfig::marketingBaseURL());
    manager.setDeviceId(Utilities::getUDID());
    manager.setDeviceModel(Utilities::isiPad() ? "iPad" : "iPhone");
}

void MarketingKit::start() {
    configure();
    serverkit::CHKManager::sharedManager().start();
}

void MarketingKit::requestUnreadCredits(MarketingCreditsDelegate* delegate) {
    configure();
    delegate_ = delegate;
    auto& credits = serverkit::CHKQueuedCreditsManager::sharedManager();
    credits.setDelegate(this);
    credits.requestUnreadCredits();
}

void MarketingKit::didLoadObjects(
    std::vector<base::Ref<serverkit::CHKQueuedCredits>> const& credits) {
    if (!delegate_)
        return;
    std::vector<MarketingCredit> handed;
    handed.reserve(credits.size());
    for (auto const& credit : credits) {
        // The game's balance is an int: a larger grant is held at its top.
        auto value = std::min<std::uint64_t>(credit->value(), std::numeric_limits<int>::max());
        handed.push_back(
            {int(value), credit->reason().value_or(std::string()), credit->identifier()});
    }
    delegate_->didLoadObjects(handed);
}

void MarketingKit::didFailWithError(foundation::URLError const& error) {
    if (delegate_)
        delegate_->didFailWithError(error.localizedDescription);
}

}

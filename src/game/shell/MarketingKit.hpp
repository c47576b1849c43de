#pragma once

#include <game/shell/GameServerClient.hpp>

#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>

namespace game {

// Joins the shell to the marketing kit: points the kit at the configured service
// (ServerConfig::marketingBaseURL) with the installation's identifier, makes the view
// system the REST toolkit's application, and hands the kit's credits on to the
// shell's delegate as MarketingCredits. Without a configured service nothing is sent
// and a credits request fails at once. Process-wide; main thread.
class MarketingKit final : public serverkit::CHKQueuedCreditsDelegate {
public:
    static MarketingKit& shared();

    // Registers the installation once.
    void start();
    // Fetches unread credits; the delegate (not retained) hears the answer.
    void requestUnreadCredits(MarketingCreditsDelegate* delegate);
    MarketingCreditsDelegate* delegate() const { return delegate_; }
    // A delegate that goes before its answer clears itself here.
    void setDelegate(MarketingCreditsDelegate* delegate) { delegate_ = delegate; }

    void didLoadObjects(
        std::vector<base::Ref<serverkit::CHKQueuedCredits>> const& credits) override;
    void didFailWithError(foundation::URLError const& error) override;

private:
    void configure();

    MarketingCreditsDelegate* delegate_ {nullptr};
};

}

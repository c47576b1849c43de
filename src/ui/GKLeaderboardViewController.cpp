#include <ui/GKLeaderboardViewController.hpp>

#include <foundation/Format.hpp>
#include <services/GameKit.hpp>

namespace ui {

base::Ref<GKLeaderboardViewController> GKLeaderboardViewController::create() {
    return base::make<GKLeaderboardViewController>();
}

void GKLeaderboardViewController::done() {
    if (delegate_)
        delegate_->leaderboardViewControllerDidFinish(*this);
}

std::string GKLeaderboardViewController::screenTitle() const {
    return "Leaderboards";
}

std::vector<std::string> GKLeaderboardViewController::currentLines() const {
    auto& service = services::GameKit::shared();
    if (!service.isAuthenticated())
        return {"Not signed in"};
    std::vector<std::string> lines;
    for (auto const& [category, best] : service.scores())
        lines.push_back(foundation::format("%@: %lld", category, best));
    if (lines.empty())
        lines.push_back("No scores yet");
    return lines;
}

}

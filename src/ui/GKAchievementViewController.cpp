#include <ui/GKAchievementViewController.hpp>

#include <foundation/Format.hpp>
#include <services/GameKit.hpp>

namespace ui {

base::Ref<GKAchievementViewController> GKAchievementViewController::create() {
    return base::make<GKAchievementViewController>();
}

void GKAchievementViewController::done() {
    if (delegate_)
        delegate_->achievementViewControllerDidFinish(*this);
}

std::string GKAchievementViewController::screenTitle() const {
    return "Achievements";
}

std::vector<std::string> GKAchievementViewController::currentLines() const {
    auto& service = services::GameKit::shared();
    if (!service.isAuthenticated())
        return {"Not signed in"};
    std::vector<std::string> lines;
    for (auto const& [identifier, percent] : service.achievements())
        lines.push_back(foundation::format("%@: %.0f%%", identifier, percent));
    if (lines.empty())
        lines.push_back("No achievements yet");
    return lines;
}

}

#include <game/progression/GameCenter.hpp>

#include <base/SharedInstance.hpp>
#include <base/WeakRef.hpp>
#include <foundation/Format.hpp>
#include <services/GKLocalPlayer.hpp>
#include <services/GKScore.hpp>
#include <ui/Device.hpp>

#include <algorithm>
#include <charconv>

namespace game {

namespace {

// The leading number of one part of a dotted version; 0 when there is none.
long versionPart(std::string_view part) {
    long value = 0;
    std::from_chars(part.data(), part.data() + part.size(), value);
    return value;
}

}

int GameCenter::compareVersions(std::string_view a, std::string_view b) {
    while (!a.empty() || !b.empty()) {
        auto cutA = a.find('.');
        auto cutB = b.find('.');
        long partA = versionPart(a.substr(0, cutA));
        long partB = versionPart(b.substr(0, cutB));
        if (partA != partB)
            return partA < partB ? -1 : 1;
        a = cutA == std::string_view::npos ? std::string_view() : a.substr(cutA + 1);
        b = cutB == std::string_view::npos ? std::string_view() : b.substr(cutB + 1);
    }
    return 0;
}

bool GameCenter::isGameCenterAvailable() {
    return services::GameKit::classExists("GKLocalPlayer")
        && compareVersions(ui::Device::currentDevice().systemVersion(), "4.1") >= 0;
}

GameCenter& GameCenter::sharedManager() {
    return base::SharedInstance<GameCenter>::get();
}

void GameCenter::releaseManager() {
    base::SharedInstance<GameCenter>::reset();
}

void GameCenter::addDelegate(GameCenterDelegate* delegate) {
    sharedManager().addDelegateToSet(delegate);
}

void GameCenter::removeDelegate(GameCenterDelegate* delegate) {
    if (auto manager = base::SharedInstance<GameCenter>::current())
        manager->removeDelegateFromSet(delegate);
}

GameCenter::GameCenter() {
    authenticationObserver_ = foundation::NotificationCenter::defaultCenter().observe(
        services::GKPlayerAuthenticationDidChangeNotificationName,
        [this](foundation::Notification const&) { authenticationChanged(); });
}

GameCenter::~GameCenter() {
    _delegates.clear();
    if (auto* screen = leaderboardScreen_.get(); screen && screen->leaderboardDelegate() == this)
        screen->setLeaderboardDelegate(nullptr);
    if (auto* screen = achievementScreen_.get(); screen && screen->achievementDelegate() == this)
        screen->setAchievementDelegate(nullptr);
}

void GameCenter::addDelegateToSet(GameCenterDelegate* delegate) {
    if (!delegate)
        return;
    auto found = std::find_if(_delegates.begin(), _delegates.end(),
        [delegate](auto const& held) { return held.get() == delegate; });
    if (found == _delegates.end())
        _delegates.emplace_back(delegate);
}

void GameCenter::removeDelegateFromSet(GameCenterDelegate* delegate) {
    std::erase_if(_delegates, [delegate](auto const& held) { return held.get() == delegate; });
}

void GameCenter::tellDelegates(std::function<void(GameCenterDelegate&)> const& tell) {
    base::Ref<GameCenter> keep(this);
    auto snapshot = _delegates;
    for (auto& delegate : snapshot) {
        bool stillHere = std::any_of(_delegates.begin(), _delegates.end(),
            [&delegate](auto const& held) { return held == delegate; });
        if (stillHere)
            tell(*delegate);
    }
}

bool GameCenter::isLocalPlayerAuthenticated() const {
    return services::GKLocalPlayer::localPlayer().isAuthenticated();
}

void GameCenter::authenticateLocalPlayer() {
    auto& player = services::GKLocalPlayer::localPlayer();
    if (player.isAuthenticated())
        return;
    base::WeakRef<GameCenter> self(this);
    player.authenticateWithCompletionHandler([self](services::GKError const* error) {
        auto manager = self.strong();
        if (!manager)
            return;
        if (error) {
            services::GKError copy = *error;
            manager->tellDelegates([&copy](GameCenterDelegate& delegate) {
                delegate.localPlayerDidAuthenticateError(copy);
            });
        } else {
            manager->tellDelegates(
                [](GameCenterDelegate& delegate) { delegate.localPlayerDidAuthenticateSuccess(); });
        }
    });
}

void GameCenter::reportAchievementIdentifier(std::string const& identifier, float percent) {
    auto achievement = services::GKAchievement::initWithIdentifier(identifier);
    if (!achievement)
        return;
    achievement->setPercentComplete(std::clamp(percent, 0.0f, 100.0f));
    achievement->reportAchievementWithCompletionHandler(
        [identifier, percent](services::GKError const* error) {
            if (error)
                foundation::log("Report Achievement Fail: %@, %f", identifier, percent);
            else
                foundation::log("Report Achievement Success: %@, %f", identifier, percent);
        });
}

void GameCenter::loadAchievements() {
    base::WeakRef<GameCenter> self(this);
    services::GKAchievement::loadAchievementsWithCompletionHandler(
        [self](auto const& list, services::GKError const* error) {
            if (error) {
                foundation::log("Load Achievement Fail");
                return;
            }
            auto manager = self.strong();
            if (!manager || !list)
                return;
            auto achievements = *list;
            manager->tellDelegates([&achievements](GameCenterDelegate& delegate) {
                delegate.achievementsDidLoad(achievements);
            });
        });
}

void GameCenter::resetAchievements() {
    base::WeakRef<GameCenter> self(this);
    services::GKAchievement::resetAchievementsWithCompletionHandler(
        [self](services::GKError const* error) {
            if (error) {
                foundation::log("Reset Achievement Fail");
                return;
            }
            if (auto manager = self.strong())
                manager->tellDelegates(
                    [](GameCenterDelegate& delegate) { delegate.achievementsDidReset(); });
        });
}

void GameCenter::reportScore(
    std::int64_t score, std::string const& category, std::function<void(bool)> done) {
    auto entry = services::GKScore::initWithCategory(category);
    entry->setValue(score);
    entry->reportScoreWithCompletionHandler(
        [category, score, done = std::move(done)](services::GKError const* error) {
            if (error)
                foundation::log("Report Score Fail: %@, %d", category, score);
            else
                foundation::log("Report Score Success: %@, %d", category, score);
            if (done)
                done(error == nullptr);
        });
}

void GameCenter::showLeaderboardWithViewController(ui::ViewController& presenter) {
    if (!isGameCenterAvailable())
        return;
    auto screen = ui::GKLeaderboardViewController::create();
    screen->setLeaderboardDelegate(this);
    leaderboardScreen_ = screen.get();
    presenter.presentModalViewController(screen, true);
}

void GameCenter::showAchievementsWithViewController(ui::ViewController& presenter) {
    if (!isGameCenterAvailable())
        return;
    auto screen = ui::GKAchievementViewController::create();
    screen->setAchievementDelegate(this);
    achievementScreen_ = screen.get();
    presenter.presentModalViewController(screen, true);
}

void GameCenter::leaderboardViewControllerDidFinish(ui::GKLeaderboardViewController& controller) {
    controller.setLeaderboardDelegate(nullptr);
    controller.dismissModalViewController(true);
}

void GameCenter::achievementViewControllerDidFinish(ui::GKAchievementViewController& controller) {
    controller.setAchievementDelegate(nullptr);
    controller.dismissModalViewController(true);
}

void GameCenter::authenticationChanged() {
    if (isLocalPlayerAuthenticated())
        tellDelegates([](GameCenterDelegate& delegate) { delegate.localPlayerDidChange(); });
    else
        tellDelegates([](GameCenterDelegate& delegate) { delegate.localPlayerDidLogout(); });
}

}

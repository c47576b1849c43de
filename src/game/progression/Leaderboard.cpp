#include <game/progression/Leaderboard.hpp>

#include <base/SharedInstance.hpp>
#include <base/WeakRef.hpp>
#include <game/shell/GameCenterIDManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/Utilities.hpp>

#include <cmath>
#include <limits>

namespace game {

Leaderboard& Leaderboard::sharedManager() {
    return base::SharedInstance<Leaderboard>::get([](Leaderboard& board) { board.start(); });
}

void Leaderboard::releaseManager() {
    if (auto board = base::SharedInstance<Leaderboard>::current())
        GameCenter::removeDelegate(board.get());
    base::SharedInstance<Leaderboard>::reset();
}

void Leaderboard::updateLeaderboard() {
    sharedManager().updateAllLeaderboards();
}

void Leaderboard::start() {
    if (!GameCenter::isGameCenterAvailable())
        return;
    GameCenter::addDelegate(this);
    if (!Utilities::haveInternetConnection())
        return;
    if (GameCenter::sharedManager().isLocalPlayerAuthenticated())
        updateAllLeaderboards();
    else
        GameCenter::sharedManager().authenticateLocalPlayer();
}

std::int64_t Leaderboard::satisfactionScore(float satisfaction) {
    double scaled = std::trunc(double(satisfaction) * 10);
    if (std::isnan(scaled))
        return 0;
    // 2^63 is the first value past the type's top; anything from it on saturates.
    if (scaled >= 9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::max();
    if (scaled <= double(std::numeric_limits<std::int64_t>::min()))
        return std::numeric_limits<std::int64_t>::min();
    return std::int64_t(scaled);
}

void Leaderboard::updateAllLeaderboards() {
    if (!GameCenter::isGameCenterAvailable() || !Utilities::haveInternetConnection()
        || !GameCenter::sharedManager().isLocalPlayerAuthenticated())
        return;
    auto const& globals = GameGlobals::shared();
    tryReportScore(globals.day, *GameCenterIDManager::getLeaderBoardID(0));
    tryReportScore(
        satisfactionScore(globals.satisfaction), *GameCenterIDManager::getLeaderBoardID(1));
    tryReportScore(globals.overallMoneyEarned, *GameCenterIDManager::getLeaderBoardID(2));
}

// The cache is set before the answer comes, so a second update while the report is
// on its way sends nothing more; a refused report takes its entry back out (unless a
// higher score has been sent since), so the next update tries again.
void Leaderboard::tryReportScore(std::int64_t score, std::string const& category) {
    if (score <= cachedScoreFor(category))
        return;
    cachedScore.insert_or_assign(category, score);
    base::WeakRef<Leaderboard> self(this);
    GameCenter::sharedManager().reportScore(
        score, category, [self, score, category](bool reported) {
            auto board = self.strong();
            if (reported || !board)
                return;
            auto found = board->cachedScore.find(category);
            if (found != board->cachedScore.end() && found->second == score)
                board->cachedScore.erase(found);
        });
}

std::int64_t Leaderboard::cachedScoreFor(std::string_view category) const {
    auto found = cachedScore.find(category);
    return found == cachedScore.end() ? 0 : found->second;
}

void Leaderboard::localPlayerDidAuthenticateSuccess() {
    updateAllLeaderboards();
}

void Leaderboard::localPlayerDidChange() {
    cleanCachedScore();
}

void Leaderboard::localPlayerDidLogout() {
    cleanCachedScore();
}

}

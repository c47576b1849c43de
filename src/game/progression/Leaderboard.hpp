#pragma once

#include <game/progression/GameCenter.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace game {

// Posts the player's standing on the game service's leaderboards: the day, the
// satisfaction times ten and the money taken over the whole game, and (through
// tryReportScore, by the salon) the challenges won. A score is sent only when it is
// above the last one sent for that leaderboard in this run, so repeated updates cost
// nothing unless something improved; a report the service refuses is forgotten, so
// the next update sends it again.
//
// A GameCenterDelegate: a sign-in updates the boards, a player change or sign-out
// empties the cache. Process-wide singleton; main thread only.
class Leaderboard final : public GameCenterDelegate {
public:
    static Leaderboard& sharedManager();
    // Leaves GameCenter and drops the singleton.
    static void releaseManager();
    // The singleton's updateAllLeaderboards.
    static void updateLeaderboard();

    // The satisfaction's leaderboard score: times ten, the fraction dropped (0 for a
    // value that is not a number; the limits of the type beyond them).
    static std::int64_t satisfactionScore(float satisfaction);

    // With the service there, the network reachable and the player signed in: the
    // day, satisfaction and overall money boards, in that order.
    void updateAllLeaderboards();
    // Sends score when it is above the cached one (0 when none) and caches it.
    void tryReportScore(std::int64_t score, std::string const& category);
    void cleanCachedScore() { cachedScore.clear(); }
    // The last score sent for a leaderboard (0 when none).
    std::int64_t cachedScoreFor(std::string_view category) const;

    void localPlayerDidAuthenticateSuccess() override;
    void localPlayerDidChange() override;
    void localPlayerDidLogout() override;

private:
    friend base::Factory;
    Leaderboard() = default;

    void start();

    std::map<std::string, std::int64_t, std::less<>> cachedScore;
};

}

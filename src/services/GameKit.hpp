#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace services {

// Posted on the main run loop when the local player signs in, changes or signs out.
inline constexpr char const* GKPlayerAuthenticationDidChangeNotificationName
    = "GKPlayerAuthenticationDidChangeNotificationName";

// Error codes of the game service, numbered as the platform numbers them.
enum class GKErrorCode {
    Unknown = 1,
    Cancelled = 2,
    CommunicationsFailure = 3,
    UserDenied = 4,
    NotAuthenticated = 6,
    InvalidParameter = 17,
};

// What a failed request hands its completion.
struct GKError {
    GKErrorCode code {GKErrorCode::Unknown};
    std::string localizedDescription;
};

// The device's game service (player accounts, achievements, leaderboards) as a local
// stand-in: there is no server, so the service keeps what it is told per player in a
// property list in the sandbox ("<Library>/GameKit/GameKit.plist", written atomically
// after every change) and answers from it. The player classes (GKLocalPlayer,
// GKAchievement, GKScore) and the screens of the view system go through it.
//
// Every request is answered later on the main run loop (after script().delay
// seconds), never inside the call; state changes (signing in, stored progress) take
// effect when the answer comes. The script lets tests and scripted plays make the
// service absent, refuse sign-ins, fail requests, change or sign out the player.
// Main thread only.
class GameKit final : public base::Object {
public:
    struct Script {
        // False: the service's classes do not exist on this device.
        bool present {true};
        // The next n sign-ins are refused (the player cancels).
        int refuseAuthentications {0};
        // The next n requests of each kind fail with a communications failure.
        int failAchievementReports {0};
        int failScoreReports {0};
        int failLoads {0};
        int failResets {0};
        // Seconds between a request and its answer.
        double delay {0};
    };

    using Completion = std::function<void(GKError const*)>;
    using AchievementsCompletion = std::function<void(
        std::optional<std::vector<std::pair<std::string, double>>> const&, GKError const*)>;

    // The service, reading its file on first use.
    static GameKit& shared();
    // Drops the service (pending answers still come); the next use reads the file again.
    static void reset();
    // Whether a class of the service exists at run time, looked up by name.
    static bool classExists(std::string_view name);

    Script& script() { return script_; }
    // Where the service keeps its state.
    static std::string storePath();

    // --- the local player ---
    bool isAuthenticated() const { return authenticated_; }
    // The signed-in account of the device ("" when none).
    std::string const& playerID() const { return playerID_; }
    // Signs the device's account in (a first account when none); the change is
    // posted as the notification, then the completion runs.
    void authenticate(Completion completion);
    // The device's account changes to id, signed in (as the player does in the
    // service's own application); the notification comes later.
    void changePlayer(std::string id);
    // The player signs out; the notification comes later.
    void logout();

    // --- requests of the signed-in player ---
    // Stores the higher of the old and new percent (0 to 100).
    void reportAchievement(std::string identifier, double percent, Completion completion);
    // The player's achievements with their percent, in the order first reported.
    void loadAchievements(AchievementsCompletion completion);
    void resetAchievements(Completion completion);
    // Stores the score when it beats the player's best of that category.
    void reportScore(std::string category, std::int64_t value, Completion completion);

    // --- what it keeps, for the screens and tests ---
    // The current player's percent of an achievement (0 when never reported).
    double achievementPercent(std::string_view identifier) const;
    // The current player's best score of a category.
    std::optional<std::int64_t> bestScore(std::string_view category) const;
    // The current player's entries: identifier -> percent, category -> best score.
    std::vector<std::pair<std::string, double>> achievements() const;
    std::vector<std::pair<std::string, std::int64_t>> scores() const;
    // Every request of this run as one line ("authenticate", "achievement ach_x 100",
    // "score lb_x 12", "load achievements", "reset achievements"), in the order made.
    std::vector<std::string> const& requests() const { return requests_; }

private:
    friend base::Factory;
    GameKit();

    // Runs work on the main run loop after the script's delay.
    void answerLater(std::function<void()> work);
    void postChange();
    // The current player's record, made when asked to.
    base::Ref<base::Dictionary> playerRecord(bool make) const;
    base::Ref<base::Dictionary> playerSection(std::string_view key, bool make) const;
    void save() const;

    Script script_;
    bool authenticated_ {false};
    std::string playerID_;
    // "Players": id -> {"Achievements": {id: percent}, "Scores": {category: best}}.
    base::Ref<base::Dictionary> players_;
    std::vector<std::string> requests_;
};

}

#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace game {

// What the salon asks of the features around it that are not built into the salon
// itself: the achievements and leaderboards, the game server kit (pony days, the banner
// switches), the offer wall, analytics and the application's banner ad. (The daily
// challenges are the salon's own quest controller.) The salon goes through the
// installed instance only; the game's own answers below do nothing except that pony
// days follow the server's directives (PonyDayDirectiveHandler) and reload the pets
// on the loading screen, events go to the analytics agent, the achievements and leaderboards to
// the game's achievement book and leaderboard reporter, and the save's upload to the
// game server kit (which sends nothing while no server is configured), so the salon
// plays on its own, and tests install recording stand-ins. Main thread only.
class SalonServices {
public:
    virtual ~SalonServices() = default;

    // The installed services, or the do-nothing ones.
    static SalonServices& shared();
    // Installs services that the caller keeps alive; null goes back to the defaults.
    static void setShared(SalonServices* services);

    // Achievements by their number, and the leaderboards.
    virtual void updateAchievement(int number, float percent);
    virtual void checkUpdateAchievementsFromCurrentGame();
    virtual void updateLeaderboard();

    // Pony days, as the server's directives set them.
    virtual bool isPonyModeEnabled();
    virtual bool isPonyModeActive();
    virtual void setPonyModeActive(bool active);
    // Reloads the pets' sheets as ponies or back.
    virtual void reloadPetsWithPonyMode(bool ponyMode);
    // Whether the server switched a banner network on ("iad", else "adnoria").
    virtual bool isBannerEnabled() { return false; }
    virtual void showAdView() { }
    virtual void hideAdView() { }

    // Whether the offer wall can be reached now.
    virtual bool isNetworkReachable() { return false; }
    // Reports a pay-per-action of the offer wall complete and queues its key as
    // pending. The salon calls it once per action (see Shop::reportPayPerAction).
    virtual void reportPayPerAction(int, std::string const&) { }

    // Records an analytics event with the agent.
    virtual void logEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    // The pony day's fee multiplier while one runs.
    virtual float ponyDayFeeMult();
    // Queues the save's upload ("PushSaveData") on the game server kit.
    virtual void pushSaveData(base::Ref<base::Dictionary> save);
    // Whether Game Center answers, and a score for a leaderboard by its number.
    virtual bool isGameCenterAvailable();
    virtual void reportScore(int board, int score);
};

}

#pragma once

#include <string>
#include <vector>

namespace game {

// How far one term of a daily challenge's condition has come, as the challenge
// report shows it.
struct QuestConditionState {
    std::string condition;
    double progress {0};
    double maxprogress {0};
    bool complete {false};
    bool fail {false};
    bool reportFail {false};
    bool reportComplete {false};
    // The progress line shown to the player.
    std::string customdata;
};

// A daily challenge as the salon sees it: its id and its reward code.
struct QuestInfo {
    std::string quest_id;
    std::string rewardcode;
};

// What the quest controller asks of the game about its active quests: whether a
// condition holds, how far each of its terms has come, and the reward and
// notifications. The salon implements it while it runs. Main thread.
class QuestItemProtocol {
public:
    virtual bool questConditionFinished(std::string const& condition) = 0;
    virtual std::vector<QuestConditionState> questConditionState(std::string const& condition) = 0;
    virtual void notifyQuestComplete(QuestInfo const& quest) = 0;
    virtual void notifyQuestFail(QuestInfo const& quest) = 0;
    virtual void markQuestComplete(QuestInfo const& quest) = 0;

protected:
    ~QuestItemProtocol() = default;
};

}

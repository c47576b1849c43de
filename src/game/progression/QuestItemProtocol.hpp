#pragma once

#include <string>
#include <vector>

namespace game {

class QuestItem;

// How far one clause of a daily challenge's condition has come at one moment, as the
// evaluator reports it and the challenge items and the report read it. Every flag
// starts false, every number 0.
struct QuestConditionState {
    // The clause; the salon leaves it empty or puts the key there.
    std::string condition;
    double progress {0};
    double maxprogress {0};
    // The clause holds now.
    bool complete {false};
    // The clause can no longer be met today (only for the clauses announced as failure).
    bool fail {false};
    // Whether a failure, or a completion, of this clause is announced during the day.
    bool reportFail {false};
    bool reportComplete {false};
    // The line shown for this clause in the challenge report; empty when it has none.
    std::string customdata;
};

// What the daily challenges ask of the game: whether a condition holds, how far each of
// its clauses has come, and the announcements and the reward of a challenge. The salon
// implements it while it runs; the challenges hold it unretained, and the salon takes
// itself back from them before it goes. Main thread.
class QuestItemProtocol {
public:
    // True when every clause of the condition holds now; unknown keys are ignored.
    virtual bool questConditionFinished(std::string const& condition) = 0;
    // One record per clause, in clause order; an unknown key gives a record with every
    // flag false and no line.
    virtual std::vector<QuestConditionState> questConditionState(std::string const& condition) = 0;
    virtual void notifyQuestComplete(QuestItem& quest) = 0;
    virtual void notifyQuestFail(QuestItem& quest) = 0;
    // Grants the challenge's reward code.
    virtual void markQuestComplete(QuestItem& quest) = 0;

protected:
    ~QuestItemProtocol() = default;
};

}

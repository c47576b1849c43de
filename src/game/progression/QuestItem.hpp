#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <game/progression/QuestItemProtocol.hpp>

#include <optional>
#include <string>
#include <vector>

namespace game {

// One daily challenge of the challenge list: its id, the prerequisite that must hold for
// it to be picked, the day's goal and the reward code, evaluated through its delegate (the
// salon, unretained). It remembers the clause records of its last evaluation, whether a
// banner about it has been shown this day and whether the day's result has been settled,
// and with which result. The quest controller makes the items when it loads the list and
// keeps them as long as it lives. Main thread.
class QuestItem final : public base::Object {
public:
    // Every string empty, no delegate, no records, every flag false.
    static base::Ref<QuestItem> create();

    // True without a delegate; otherwise whether the prerequisite holds now.
    bool checkPrerequisite() const;
    std::optional<std::vector<QuestConditionState>> checkPrerequisiteState() const;
    // False without a delegate; otherwise whether the goal holds now.
    bool checkCondition() const;
    // The delegate's records for the goal; none without a delegate.
    std::optional<std::vector<QuestConditionState>> checkConditionState() const;

    // Announce the goal met, or lost, at most once until notified is cleared. Both
    // judge by the records stored by the previous update (taking fresh ones only when
    // none were ever stored): a completion needs every record announced as a
    // completion and complete; a failure needs a record announced as a failure that
    // has failed.
    void notifyQuestComplete();
    void notifyQuestFail();
    // Settle the day: the delegate grants the reward (when there is one), or not; either
    // way the item is marked with its result.
    void markQuestComplete();
    void markQuestFail();

    // Whether the settled result still has to be counted in the challenge statistics;
    // answers true once per settlement, so a report built again counts nothing more.
    bool takeResultToCount();

    std::string const& quest_id() const { return quest_id_; }
    void setQuest_id(std::string id) { quest_id_ = std::move(id); }
    QuestItemProtocol* questDelegate() const { return questDelegate_; }
    void setQuestDelegate(QuestItemProtocol* delegate) { questDelegate_ = delegate; }
    std::string const& prerequisite() const { return prerequisite_; }
    void setPrerequisite(std::string text) { prerequisite_ = std::move(text); }
    std::string const& condition() const { return condition_; }
    void setCondition(std::string text) { condition_ = std::move(text); }
    std::string const& rewardcode() const { return rewardcode_; }
    void setRewardcode(std::string text) { rewardcode_ = std::move(text); }
    // The records of the last evaluation; none until the first.
    std::optional<std::vector<QuestConditionState>> const& currentState() const {
        return currentState_;
    }
    void setCurrentState(std::optional<std::vector<QuestConditionState>> state) {
        currentState_ = std::move(state);
    }
    bool notified() const { return notified_; }
    void setNotified(bool notified) { notified_ = notified; }
    bool marked() const { return marked_; }
    // Clearing the mark also forgets the settled result.
    void setMarked(bool marked);
    // Whether the settled day was won: the whole goal held when it was settled, so the
    // reward was granted. False while unsettled.
    bool completed() const { return marked_ && completed_; }

private:
    friend base::Factory;
    QuestItem() = default;

    void settle(bool won);

    std::string quest_id_;
    QuestItemProtocol* questDelegate_ {nullptr};
    std::string prerequisite_;
    std::string condition_;
    std::optional<std::vector<QuestConditionState>> currentState_;
    std::string rewardcode_;
    bool notified_ {false};
    bool marked_ {false};
    bool completed_ {false};
    bool resultCounted_ {false};
};

}

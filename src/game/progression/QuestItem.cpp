#include <game/progression/QuestItem.hpp>

#include <algorithm>

namespace game {

base::Ref<QuestItem> QuestItem::create() {
    return base::make<QuestItem>();
}

bool QuestItem::checkPrerequisite() const {
    return !questDelegate_ || questDelegate_->questConditionFinished(prerequisite_);
}

std::optional<std::vector<QuestConditionState>> QuestItem::checkPrerequisiteState() const {
    if (!questDelegate_)
        return std::nullopt;
    return questDelegate_->questConditionState(prerequisite_);
}

bool QuestItem::checkCondition() const {
    return questDelegate_ && questDelegate_->questConditionFinished(condition_);
}

std::optional<std::vector<QuestConditionState>> QuestItem::checkConditionState() const {
    if (!questDelegate_)
        return std::nullopt;
    return questDelegate_->questConditionState(condition_);
}

void QuestItem::notifyQuestComplete() {
    if (!questDelegate_ || notified_)
        return;
    if (!currentState_)
        currentState_ = checkConditionState();
    if (currentState_) {
        bool announced = std::all_of(
            currentState_->begin(), currentState_->end(), [](QuestConditionState const& record) {
                return record.reportComplete && record.complete;
            });
        if (!announced)
            return;
    }
    // The delegate may replace this item's records; keep it alive meanwhile.
    base::Ref<QuestItem> self(this);
    notified_ = true;
    questDelegate_->notifyQuestComplete(*this);
}

void QuestItem::notifyQuestFail() {
    if (!questDelegate_ || notified_)
        return;
    if (!currentState_)
        currentState_ = checkConditionState();
    if (!currentState_ || currentState_->empty())
        return;
    bool lost = std::any_of(currentState_->begin(), currentState_->end(),
        [](QuestConditionState const& record) { return record.reportFail && record.fail; });
    if (!lost)
        return;
    base::Ref<QuestItem> self(this);
    notified_ = true;
    questDelegate_->notifyQuestFail(*this);
}

void QuestItem::markQuestComplete() {
    if (questDelegate_)
        questDelegate_->markQuestComplete(*this);
    settle(true);
}

void QuestItem::markQuestFail() {
    settle(false);
}

void QuestItem::settle(bool won) {
    marked_ = true;
    completed_ = won;
    resultCounted_ = false;
}

void QuestItem::setMarked(bool marked) {
    if (marked == marked_)
        return;
    marked_ = marked;
    completed_ = false;
    resultCounted_ = false;
}

bool QuestItem::takeResultToCount() {
    if (!marked_ || resultCounted_)
        return false;
    resultCounted_ = true;
    return true;
}

}

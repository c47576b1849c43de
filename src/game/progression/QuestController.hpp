#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <game/progression/QuestItem.hpp>

#include <optional>
#include <string>
#include <vector>

namespace game {

// The daily challenges of one stay in the salon: the pool of challenges read from the
// bundle's challenge list, the day's pick among those whose prerequisite holds, the
// active challenges (saved by id under "DATA_ACTIVE_QUESTS" after every change) and
// their evaluation during the day and at its end. The salon makes one when its state
// starts and is its delegate (unretained; the salon takes itself back before it goes).
// Picks draw from the shared 48-bit generator, which the controller seeds from the
// clock when it is made. Main thread.
class QuestController final : public base::Object {
public:
    static constexpr char const* activeQuestsKey = "DATA_ACTIVE_QUESTS";

    // No pool, no active challenges; seeds the 48-bit generator with the time.
    static base::Ref<QuestController> init();

    // Builds the pool from the bundle file of that name ("questList.plist"). A missing or
    // unreadable file leaves no pool, with a warning in the log.
    void loadQuestListNamed(std::string const& name);
    // Builds the pool from a list already read: one item per entry, in the list's order.
    // An entry that is not a dictionary or lacks one of its three strings is skipped with
    // a log line naming the challenge and the field.
    void loadQuestList(base::Dictionary const& list);

    // A challenge whose prerequisite holds, drawn uniformly with replacement at most
    // 20 x (pool size) times; none when no draw passes. Each drawn item gets the
    // controller's delegate before its test and keeps it.
    base::Ref<QuestItem> getRandomEligibleQuest();
    QuestItem* getQuestById(std::string const& id) const;
    std::vector<base::Ref<QuestItem>> getActiveQuests() const { return _activeQuests; }
    // Gives the item the controller's delegate when it has none, clears its notified
    // flag, appends it (again, when it is already there) and saves the list.
    void addToCurrentQuests(QuestItem* quest);
    void addToCurrentQuestsById(std::string const& id);
    // Removes the item when active; saves the list either way.
    void removeFromCurrentQuests(QuestItem* quest);
    void removeFromCurrentQuestsById(std::string const& id);
    void clearCurrentQuests();
    void saveActiveQuests() const;
    // With daily challenges on, activates the saved ids in order (unknown ones skipped),
    // after whatever is already active.
    void loadActiveQuests();
    // During the day: each active challenge announces its result when due (judged on
    // the records of the previous update), then stores its fresh records.
    void updateCurrentQuests();
    // At the day's end: each active challenge whose goal holds is rewarded; the others
    // store their records and are settled as lost.
    void markCompletedQuests();

    QuestItemProtocol* questDelegate() const { return questDelegate_; }
    void setQuestDelegate(QuestItemProtocol* delegate) { questDelegate_ = delegate; }
    // Takes the delegate back from the controller and from every item of the pool, so
    // that nothing calls it once it is gone.
    void dropDelegate();

    // The pool, or none before a list was loaded.
    std::optional<std::vector<base::Ref<QuestItem>>> const& questPool() const { return _questPool; }

private:
    friend base::Factory;
    QuestController();

    std::optional<std::vector<base::Ref<QuestItem>>> _questPool;
    std::vector<base::Ref<QuestItem>> _activeQuests;
    QuestItemProtocol* questDelegate_ {nullptr};
};

}

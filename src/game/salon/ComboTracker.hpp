#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace game {

// Counts streaks for the salon. Group counters are plain integers per group name
// that callers add to, read and reset (each pet keeps its fast-service count under
// "PET_COMBO_%p"). Ordered combos are named sequences of event names that must
// arrive in order, each step within the combo's time-out of the previous one; the
// event that completes one answers its name.
//
// One tracker for the process (sharedTracker); only its creation is locked, all
// else belongs to the main thread. Time is read from an injectable clock, the
// platform's absolute time (seconds since 2001) unless a test sets another.
class ComboTracker {
public:
    using Clock = std::function<double()>;

    static ComboTracker& sharedTracker();
    // Drops the shared tracker; the next sharedTracker() makes a fresh one (tests).
    static void purgeSharedTracker();

    void addComboCount(int count, std::string const& group);
    int getComboCountForGroup(std::string const& group) const;
    void resetComboCountForGroup(std::string const& group);

    // A new idle combo under the name, replacing one of that name; its order comes
    // with setEventOrder.
    void createOrderedCombo(std::string const& name, double timeout);
    // The combo must exist: an unknown name is a broken invariant.
    void setEventOrder(std::vector<std::string> order, std::string const& name);
    // Advances every combo whose next step is the event and whose last step was
    // within its time-out, and resets every other; answers the name of a combo the
    // event completed (the last one in creation order when several did).
    std::optional<std::string> triggerOrderedComboEvent(std::string_view event);

    // The time source; null goes back to the platform's absolute time.
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // How far a combo has come (0 when idle or unknown), for tests and diagnostics.
    int completion(std::string const& name) const;

private:
    struct OrderedCombo {
        std::vector<std::string> eventorder;
        int completion {0};
        double timeout {0};
        // The time of the last step; 0 while the combo is idle.
        double updateTime {0};
    };

    double now() const;
    OrderedCombo* findCombo(std::string const& name);

    std::unordered_map<std::string, int> comboCache;
    // In creation order, which is the order events visit the combos.
    std::vector<std::pair<std::string, OrderedCombo>> orderedComboCache;
    Clock clock_;
};

}

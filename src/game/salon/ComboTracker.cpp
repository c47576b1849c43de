#include <game/salon/ComboTracker.hpp>

#include <base/Verify.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>

#include <memory>
#include <mutex>

namespace game {

namespace {

std::mutex trackerMutex;
std::unique_ptr<ComboTracker> sharedInstance;

}

ComboTracker& ComboTracker::sharedTracker() {
    std::lock_guard lock(trackerMutex);
    if (!sharedInstance)
        sharedInstance = std::make_unique<ComboTracker>();
    return *sharedInstance;
}

void ComboTracker::purgeSharedTracker() {
    std::lock_guard lock(trackerMutex);
    sharedInstance.reset();
}

void ComboTracker::addComboCount(int count, std::string const& group) {
    comboCache[group] += count;
}

int ComboTracker::getComboCountForGroup(std::string const& group) const {
    auto found = comboCache.find(group);
    return found == comboCache.end() ? 0 : found->second;
}

void ComboTracker::resetComboCountForGroup(std::string const& group) {
    comboCache.erase(group);
}

ComboTracker::OrderedCombo* ComboTracker::findCombo(std::string const& name) {
    for (auto& [comboName, combo] : orderedComboCache) {
        if (comboName == name)
            return &combo;
    }
    return nullptr;
}

void ComboTracker::createOrderedCombo(std::string const& name, double timeout) {
    OrderedCombo combo;
    combo.timeout = timeout;
    if (auto* existing = findCombo(name))
        *existing = std::move(combo);
    else
        orderedComboCache.emplace_back(name, std::move(combo));
}

void ComboTracker::setEventOrder(std::vector<std::string> order, std::string const& name) {
    auto* combo = findCombo(name);
    if (!combo) {
        auto message = foundation::format("Ordered Combo %@ must be created prior to use", name);
        base::verificationFailed("combo", __FILE__, __LINE__, message.c_str());
    }
    combo->eventorder = std::move(order);
    combo->completion = 0;
}

int ComboTracker::completion(std::string const& name) const {
    for (auto const& [comboName, combo] : orderedComboCache) {
        if (comboName == name)
            return combo.completion;
    }
    return 0;
}

double ComboTracker::now() const {
    return clock_ ? clock_() : foundation::Clock::current().wallTime();
}

std::optional<std::string> ComboTracker::triggerOrderedComboEvent(std::string_view event) {
    double time = now();
    std::optional<std::string> finished;
    for (auto& [name, combo] : orderedComboCache) {
        std::size_t step = std::size_t(combo.completion);
        bool expected = step < combo.eventorder.size() && combo.eventorder[step] == event;
        bool late = combo.updateTime != 0 && time - combo.updateTime > combo.timeout;
        if (!expected || late) {
            // A wrong or late event ends the run; it does not start a new one, even
            // when it is the first event of the order.
            combo.completion = 0;
            combo.updateTime = 0;
            continue;
        }
        foundation::log("Combo Advanced: %@ - %@", name, event);
        combo.completion += 1;
        combo.updateTime = time;
        if (std::size_t(combo.completion) >= combo.eventorder.size()) {
            foundation::log("Combo finished: %@", name);
            combo.completion = 0;
            combo.updateTime = 0;
            finished = name;
        }
    }
    return finished;
}

}

#include <ads/adnoria/ADNTimingManager.hpp>

#include <foundation/UserDefaults.hpp>
#include <ui/Application.hpp>

#include <algorithm>

namespace ads::adnoria {

base::Ref<ADNTimingManager> ADNTimingManager::initWithIdentifier(std::string identifier) {
    auto manager = base::make<ADNTimingManager>();
    manager->identifier_ = std::move(identifier);
    manager->loadPersistentTimings();
    auto* raw = manager.get();
    manager->terminateObservation_ = foundation::NotificationCenter::defaultCenter().observe(
        ui::Application::WillTerminateNotification,
        [raw](foundation::Notification const&) { raw->savePersistentTimings(); });
    return manager;
}

ADNTimingManager::~ADNTimingManager() {
    terminateObservation_.cancel();
    savePersistentTimings();
}

std::string ADNTimingManager::userDefaultsKey() const {
    return "adnoria_timing_" + identifier_;
}

void ADNTimingManager::addTiming(base::Ref<ADNTiming> timing) {
    if (!timing)
        return;
    for (auto& [category, existing] : timings_) {
        if (category == timing->category()) {
            existing = std::move(timing);
            return;
        }
    }
    auto category = timing->category();
    timings_.emplace_back(std::move(category), std::move(timing));
}

base::Ref<ADNTiming> ADNTimingManager::addTimingWithCategory(std::string const& category) {
    auto timing = ADNTiming::initWithCategory(category);
    addTiming(timing);
    return timing;
}

base::Ref<ADNTiming> ADNTimingManager::timingForCategory(std::string const& category) const {
    for (auto const& [name, timing] : timings_) {
        if (name == category)
            return timing;
    }
    return {};
}

void ADNTimingManager::removeTimingForCategory(std::string const& category) {
    std::erase_if(timings_, [&](auto const& entry) { return entry.first == category; });
}

void ADNTimingManager::removeTimingsForCategories(std::vector<std::string> const& categories) {
    for (auto const& category : categories)
        removeTimingForCategory(category);
}

void ADNTimingManager::removeAllTimings() {
    timings_.clear();
}

std::vector<base::Ref<ADNTiming>> ADNTimingManager::timings() const {
    std::vector<base::Ref<ADNTiming>> result;
    for (auto const& entry : timings_)
        result.push_back(entry.second);
    return result;
}

std::vector<std::string> ADNTimingManager::categories() const {
    std::vector<std::string> result;
    for (auto const& entry : timings_)
        result.push_back(entry.first);
    return result;
}

void ADNTimingManager::savePersistentTimings() {
    auto stored = base::Dictionary::create();
    for (auto const& [category, timing] : timings_)
        stored->setObject(category, timing->dictionaryRepresentation());
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setObject(stored, userDefaultsKey());
    defaults.synchronize();
}

void ADNTimingManager::loadPersistentTimings() {
    auto stored
        = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(userDefaultsKey());
    if (!stored)
        return;
    for (auto const& [key, value] : *stored) {
        auto* representation = value.dictionary();
        if (!representation)
            continue;
        auto timing = ADNTiming::initWithDictionaryRepresentation(*representation);
        if (!timing)
            continue;
        // Stored under the key it was saved with.
        removeTimingForCategory(key);
        timings_.emplace_back(key, timing);
    }
}

}

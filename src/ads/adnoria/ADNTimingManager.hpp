#pragma once

#include <ads/adnoria/ADNTiming.hpp>

#include <foundation/NotificationCenter.hpp>

#include <string>
#include <vector>

namespace ads::adnoria {

// A set of timings by category, kept in the standard user defaults under
// "adnoria_timing_<identifier>" so that intervals spanning a launch survive. Loaded
// at creation; saved by synchronize, at the application's termination and when the
// manager goes. Main thread.
class ADNTimingManager final : public base::Object {
public:
    static base::Ref<ADNTimingManager> initWithIdentifier(std::string identifier);
    ~ADNTimingManager() override;

    std::string userDefaultsKey() const;

    void addTiming(base::Ref<ADNTiming> timing);
    base::Ref<ADNTiming> addTimingWithCategory(std::string const& category);
    base::Ref<ADNTiming> timingForCategory(std::string const& category) const;
    void removeTimingForCategory(std::string const& category);
    void removeTiming(ADNTiming const& timing) { removeTimingForCategory(timing.category()); }
    void removeTimingsForCategories(std::vector<std::string> const& categories);
    void removeAllTimings();
    std::vector<base::Ref<ADNTiming>> timings() const;
    std::vector<std::string> categories() const;

    void synchronize() { savePersistentTimings(); }
    void savePersistentTimings();
    void loadPersistentTimings();

private:
    friend base::Factory;
    ADNTimingManager() = default;

    std::string identifier_;
    std::vector<std::pair<std::string, base::Ref<ADNTiming>>> timings_;
    foundation::ObservationToken terminateObservation_;
};

}

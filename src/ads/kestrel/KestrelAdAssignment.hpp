#pragma once

#include <ads/kestrel/KestrelAd.hpp>

#include <ui/View.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace ads::kestrel {

// The process-wide registry that keeps one host object (a parent, named by its
// description text) from showing the same ad twice, and remembers which banner
// occupies which hook of a parent. Not archived: it starts empty at every launch.
// Look-ups reach it under the parser's lock from whichever thread asks, so its own
// lock guards the two maps.
class KestrelAdAssignment final : public base::Object {
public:
    static base::Ref<KestrelAdAssignment> createInstance();
    static base::Ref<KestrelAdAssignment> instance();
    static base::Ref<KestrelAdAssignment> recreateInstance();
    // Forgets the shared instance (tests).
    static void resetInstance();

    // The ad, recorded as shown on the parent; none when the parent already shows an
    // ad of that id. Without a parent name the ad is returned and nothing recorded.
    base::Ref<KestrelAd> assignAd(
        base::Ref<KestrelAd> const& ad, std::optional<std::string> const& parentName);
    void removeAd(KestrelAd const* ad, std::optional<std::string> const& parentName);
    void removeAdsOnParentName(std::optional<std::string> const& parentName);

    // The first banner registered for a hook of a parent stays.
    void assignBanner(base::Ref<ui::View> const& banner, std::optional<std::string> const& hook,
        std::optional<std::string> const& parentName);
    base::Ref<ui::View> assignedBanner(
        std::optional<std::string> const& hook, std::optional<std::string> const& parentName);
    void unassignBanner(
        std::optional<std::string> const& hook, std::optional<std::string> const& parentName);

    // The ids recorded for a parent (tests and diagnostics).
    std::set<std::int64_t> assignedAdIds(std::string const& parentName) const;

private:
    friend base::Factory;
    KestrelAdAssignment() = default;

    mutable std::mutex mutex_;
    std::map<std::string, std::set<std::int64_t>> _adAssignmentMap;
    std::map<std::string, std::map<std::string, base::Ref<ui::View>>> _bannerAssignmentMap;
};

}

#pragma once

#include <serverkit/marketing/CHKObject.hpp>
#include <serverkit/marketing/CHKQueuedCredits.hpp>

#include <toolkit/rest/RLRequest.hpp>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace serverkit {

// Hears the answer to a credits fetch, on the main thread; both are optional.
class CHKQueuedCreditsDelegate {
public:
    virtual ~CHKQueuedCreditsDelegate() = default;
    virtual void didLoadObjects(std::vector<base::Ref<CHKQueuedCredits>> const&) { }
    virtual void didFailWithError(foundation::URLError const&) { }
};

// Fetches the credits the marketing service queued for this device and application
// (a POST without body, with the shared CHKManager's credentials) and hands them to
// the delegate set when the answer arrives. Only JSON replies count: any other reply
// is dropped without a word; text that does not decode gives no credits; a reply
// that decodes to anything but an array is a failure.
//
// The service never marks a credit read and lists it again at every fetch, so the
// kit remembers, in a user default of its own, the ids it has delivered, and
// delivers each id once, across runs. A credit without an id cannot be told apart
// and is delivered each time it comes. Process-wide; main thread.
class CHKQueuedCreditsManager final : public CHKObject, public toolkit::rest::RLRequestDelegate {
public:
    static constexpr char const* deliveredCreditsKey = "CHK_DELIVERED_CREDIT_IDS";

    static CHKQueuedCreditsManager& sharedManager();
    // Drops the instance (tests); the next use makes a new one.
    static void resetSharedManager();

    // Starts one fetch. Without a configured base address the delegate hears a
    // failure and nothing is sent.
    void requestUnreadCredits();

    void requestDidLoadResponse(toolkit::rest::RLRequest&, toolkit::rest::RLResponse&) override;
    void requestDidFailLoadWithError(
        toolkit::rest::RLRequest&, foundation::URLError const&) override;

    // Not retained.
    CHKQueuedCreditsDelegate* delegate() const { return delegate_; }
    void setDelegate(CHKQueuedCreditsDelegate* delegate) { delegate_ = delegate; }
    std::string const& apiUnreadPath() const { return apiUnreadPath_; }
    void setApiUnreadPath(std::string path) { apiUnreadPath_ = std::move(path); }

    // The credits of a reply's body text: one per object of a JSON array, in order;
    // none when the text does not decode; null when it decodes to something else.
    static std::optional<std::vector<base::Ref<CHKQueuedCredits>>> creditsFromJSON(
        std::string_view text);

private:
    friend base::Factory;
    CHKQueuedCreditsManager() = default;

    void fail(foundation::URLError const& error);
    std::set<std::uint64_t> deliveredIdentifiers() const;
    void rememberDelivered(std::vector<base::Ref<CHKQueuedCredits>> const& credits);

    CHKQueuedCreditsDelegate* delegate_ {nullptr};
    std::string apiUnreadPath_ {"/api/%@/users/ios:%@/apps/ios:bundleId:%@/queuedCredits/unread/"};
};

}

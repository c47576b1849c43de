#pragma once

#include <ads/kestrel/KestrelAdStateCallback.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

class KestrelAdImpression;

// What the host application hears from the ad client; every operation is optional.
// The reply operations are called on the thread that parsed the reply (the analytics
// exchange); the surface operations on the main thread, with the hook name shown.
class KestrelAdDelegate {
public:
    virtual ~KestrelAdDelegate() = default;
    virtual void dataAvailable() { }
    virtual void dataUnavailable() { }
    virtual void canvasWillDisplay(std::optional<std::string> const&) { }
    virtual void canvasWillClose() { }
    virtual void takeoverWillDisplay(std::optional<std::string> const&) { }
    virtual void takeoverWillClose() { }
};

// The base of the ad parsers: the protocol version and phase of the last reply,
// whether a reply ever arrived, and the application's ad delegate (not retained).
class KestrelParser : public base::Object {
public:
    std::optional<std::int32_t> versionId() const { return versionId_; }
    std::optional<std::int32_t> currentProtocolVersion() const { return versionId_; }
    // 1 once a reply's end-of-message block was met, else 0.
    int adParsingPhase() const { return adParsingPhase_; }
    bool internetAvailable() const { return internetAvailable_; }
    KestrelAdDelegate* adDelegate() const { return adDelegate_; }
    void setAdDelegate(KestrelAdDelegate* delegate) { adDelegate_ = delegate; }

    // The ad state callbacks for the impression's state and ad, as the parser's class
    // finds them; none here.
    virtual base::Ref<KestrelAdStateCallbackSet> adStateCallbacksFor(
        KestrelAdImpression const&) const {
        return nullptr;
    }

protected:
    KestrelParser() = default;

    std::optional<std::int32_t> versionId_;
    int adParsingPhase_ {0};
    bool internetAvailable_ {false};
    KestrelAdDelegate* adDelegate_ {nullptr};
};

}

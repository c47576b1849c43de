#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/URLConnection.hpp>

#include <string>

namespace ads::marquee {

// What a link opener tells its delegate. Optional.
class MQUrlOpenerDelegate {
public:
    virtual ~MQUrlOpenerDelegate() = default;
    // The opener is about to hand url to the system.
    virtual void urlWillOpen(std::string const&) { }
    // The link could not be followed; nothing is opened.
    virtual void urlOpenerDidFail(std::string const&) { }
};

// Follows a click link through its redirects, then hands the address that answered
// last (the one that sent the last redirect, which the system then follows itself) to
// the system. At most MaximumRedirects redirects are followed; the one after that is
// not, and its sender is opened. A connection that fails opens nothing and tells the
// delegate. The opener keeps itself alive from open() until it has ended. The
// delegate is not retained. Main thread only.
class MQURLOpener final : public base::Object, private foundation::URLConnectionDelegate {
public:
    static constexpr int MaximumRedirects = 10;

    static base::Ref<MQURLOpener> openerWithDelegate(MQUrlOpenerDelegate* delegate);

    MQUrlOpenerDelegate* delegate() const { return delegate_; }
    void setDelegate(MQUrlOpenerDelegate* delegate) { delegate_ = delegate; }
    std::string const& lastUrl() const { return lastUrl_; }
    bool isOpening() const { return bool(self_); }

    void open(std::string const& url);

private:
    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection& connection,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

    MQUrlOpenerDelegate* delegate_ {nullptr};
    std::string lastUrl_;
    base::Ref<foundation::URLConnection> connection_;
    base::Ref<MQURLOpener> self_;
    int redirects_ {0};

    friend base::Factory;
    explicit MQURLOpener(MQUrlOpenerDelegate* delegate)
        : delegate_(delegate) { }
};

}

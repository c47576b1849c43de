#include <ads/meridian/MERAnalytics.hpp>

#include <utility>

namespace ads::meridian {

MERAnalytics& MERAnalytics::shared() {
    static base::Ref<MERAnalytics> instance = base::make<MERAnalytics>();
    return *instance;
}

void MERAnalytics::connect(foundation::URLRequest request) {
    if (connection_)
        connection_->cancel();
    connectionData_.clear();
    connection_ = foundation::URLConnection::create(std::move(request), this);
}

void MERAnalytics::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    connectionData_.insert(connectionData_.end(), data.begin(), data.end());
}

void MERAnalytics::didFailWithError(foundation::URLConnection&, foundation::URLError const&) {
    connectionData_.clear();
}

}

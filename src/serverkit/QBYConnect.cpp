#include <serverkit/QBYConnect.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>

#include <algorithm>

namespace serverkit {

namespace {

std::mutex classLock;
base::Ref<QBYConnect> shared;

}

QBYConnect& QBYConnect::sharedManager() {
    std::lock_guard lock(classLock);
    if (!shared)
        shared = base::make<QBYConnect>();
    return *shared;
}

void QBYConnect::resetSharedManager() {
    base::Ref<QBYConnect> old;
    {
        std::lock_guard lock(classLock);
        old = std::move(shared);
    }
    if (!old)
        return;
    std::vector<base::Ref<APICall>> queue;
    {
        std::lock_guard lock(old->queueLock_);
        queue.swap(old->mRequestQueue);
    }
    for (auto& call : queue)
        call->cancel();
    if (old->reachability_)
        old->reachability_->stopNotifier();
}

QBYConnect::QBYConnect()
    : mDataStore(base::Dictionary::create()) {
}

QBYConnect::~QBYConnect() {
    if (reachability_)
        reachability_->stopNotifier();
}

void QBYConnect::setConfiguration(QBYConfiguration configuration) {
    configuration_ = std::move(configuration);
}

void QBYConnect::callAPIMethod(base::Ref<APICall> call) {
    if (!call)
        return;
    {
        std::lock_guard lock(queueLock_);
        mRequestQueue.push_back(std::move(call));
    }
    if (!mIsLoading)
        loadNext();
}

bool QBYConnect::isNetworkReachable() {
    if (!reachability_)
        reachability_ = foundation::Reachability::reachabilityForInternetConnection();
    auto flags = reachability_->flags();
    return flags && (*flags & foundation::ReachabilityFlags::Reachable)
        && !(*flags & foundation::ReachabilityFlags::ConnectionRequired);
}

// Calls left waiting offline go out when the network comes back, without waiting for
// another call to be queued.
void QBYConnect::watchReachability() {
    reachability_->startNotifier([this](foundation::Reachability&) {
        if (!mIsLoading && queuedCallCount() > 0 && isNetworkReachable())
            loadNext();
    });
}

void QBYConnect::loadNext() {
    if (!isNetworkReachable()) {
        mIsLoading = false;
        if (queuedCallCount() > 0)
            watchReachability();
        return;
    }
    mIsLoading = true;
    base::Ref<APICall> head;
    {
        std::lock_guard lock(queueLock_);
        if (mRequestQueue.empty()) {
            mIsLoading = false;
            return;
        }
        head = mRequestQueue.front();
    }
    head->startWithDelegate(this);
}

std::size_t QBYConnect::queuedCallCount() {
    std::lock_guard lock(queueLock_);
    return mRequestQueue.size();
}

base::Value QBYConnect::objectForKey(std::string_view key) {
    std::lock_guard lock(storeLock_);
    auto const* found = mDataStore->find(key);
    if (!found)
        return {};
    if (key == QBYKeys::AuthDataStore) {
        auto const* entry = found->dictionary();
        auto const* expire = entry ? entry->objectForKey(QBYKeys::AuthExpire).date() : nullptr;
        if (!expire || expire->seconds <= foundation::Clock::current().wallTime()) {
            foundation::log("The session token has expired");
            mDataStore->removeObjectForKey(key);
            return {};
        }
    }
    return *found;
}

void QBYConnect::setObject(base::Value value, std::string_view key) {
    std::lock_guard lock(storeLock_);
    if (value.isNull())
        mDataStore->removeObjectForKey(key);
    else
        mDataStore->setObject(key, std::move(value));
}

std::optional<std::string> QBYConnect::sessionToken() {
    auto entry = objectForKey(QBYKeys::AuthDataStore);
    auto const* dictionary = entry.dictionary();
    auto const* token
        = dictionary ? dictionary->objectForKey(QBYKeys::AuthSession).string() : nullptr;
    if (!token)
        return std::nullopt;
    return *token;
}

base::Ref<base::Dictionary> QBYConnect::dataStore() {
    std::lock_guard lock(storeLock_);
    return mDataStore->copy();
}

void QBYConnect::QBYAPICallDidFailWithError(APICall& call, foundation::URLError const& error) {
    callEnded(call, &error);
}

void QBYConnect::QBYAPICallDidSucceedWithData(APICall& call, base::Bytes const*) {
    callEnded(call, nullptr);
}

void QBYConnect::callEnded(APICall& call, foundation::URLError const* error) {
    base::Ref<APICall> keep(&call);
    base::Ref<QBYConnect> self(this);
    if (error)
        foundation::log("%@ Failed with Error %@", call.apiMethod(),
            foundation::format(
                "%@ %d %@", error->domain, int(error->code), error->localizedDescription));
    if (auto info = call.getDataStoreInfo()) {
        std::lock_guard lock(storeLock_);
        for (auto const& [key, value] : *info) {
            if (value.isNullObject() || value.isNull())
                mDataStore->removeObjectForKey(key);
            else
                mDataStore->setObject(key, value);
        }
    }
    if (error)
        call.postFailNotification(*error);
    else
        call.postNotification(*dataStore());
    {
        std::lock_guard lock(queueLock_);
        auto found = std::find_if(mRequestQueue.begin(), mRequestQueue.end(),
            [&](auto const& queued) { return queued.get() == &call; });
        if (found != mRequestQueue.end())
            mRequestQueue.erase(found);
    }
    // A reset during the notification leaves this instance behind: it starts nothing.
    if (shared.get() == this)
        loadNext();
}

}

#include <toolkit/rest/RLObjectManager.hpp>

#include <toolkit/rest/RLReachabilityObserver.hpp>

#include <base/Verify.hpp>

namespace toolkit::rest {

namespace {

base::Ref<RLObjectManager>& sharedSlot() {
    static base::Ref<RLObjectManager> slot;
    return slot;
}

}

base::Ref<RLObjectManager> RLObjectManager::sharedManager() {
    return sharedSlot();
}

void RLObjectManager::setSharedManager(base::Ref<RLObjectManager> manager) {
    auto& slot = sharedSlot();
    if (slot != manager)
        slot = std::move(manager);
}

base::Ref<RLObjectManager> RLObjectManager::objectManagerWithBaseURL(std::string baseURL) {
    return objectManagerWithBaseURL(
        std::move(baseURL), RLObjectMapper::create(), RLDynamicRouter::create());
}

base::Ref<RLObjectManager> RLObjectManager::objectManagerWithBaseURL(
    std::string baseURL, base::Ref<RLObjectMapper> mapper, base::Ref<RLRouter> router) {
    auto manager
        = base::make<RLObjectManager>(std::move(baseURL), std::move(mapper), std::move(router));
    if (!sharedSlot())
        setSharedManager(manager);
    return manager;
}

RLObjectManager::RLObjectManager(
    std::string baseURL, base::Ref<RLObjectMapper> mapper, base::Ref<RLRouter> router)
    : client_(RLClient::clientWithBaseURL(std::move(baseURL)))
    , mapper_(std::move(mapper))
    , router_(std::move(router)) {
    VERIFY(mapper_);
    setFormat(1);
    reachabilityObservation_ = foundation::NotificationCenter::defaultCenter().observe(
        RLReachabilityStateChangedNotification, [this](auto const&) {
            base::Ref<RLObjectManager> keep(this);
            reachabilityChanged();
        });
}

RLObjectManager::~RLObjectManager() {
    reachabilityObservation_.cancel();
}

void RLObjectManager::reachabilityChanged() {
    auto const& observer = client_ ? client_->baseURLReachabilityObserver() : nullptr;
    bool online = observer && observer->isNetworkReachable();
    onlineState_
        = online ? RLObjectManagerOnlineStateConnected : RLObjectManagerOnlineStateDisconnected;
    foundation::NotificationCenter::defaultCenter().postNotification(
        online ? RLDidEnterOnlineModeNotification : RLDidEnterOfflineModeNotification, this);
}

void RLObjectManager::setFormat(std::int32_t format) {
    format_ = format;
    mapper_->setFormat(format);
    if (!client_)
        return;
    if (format == 1)
        client_->setValue("application/json", "Accept");
    else if (format == 0)
        client_->setValue("application/xml", "Accept");
}

void RLObjectManager::registerClass(
    RLObjectClass const& objectClass, std::string const& elementName) {
    mapper_->registerClass(objectClass, elementName);
}

base::Ref<RLObjectLoader> RLObjectManager::objectLoaderWithResourcePath(
    std::string const& resourcePath, RLRequestDelegate* delegate) {
    if (objectStore_) {
        if (auto managedLoader = RLObjectLoader::loaderClassNamed("RLManagedObjectLoader"))
            return (*managedLoader)(resourcePath, *this, delegate);
    }
    return RLObjectLoader::loaderWithResourcePath(resourcePath, *this, delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::loadObjectsAtResourcePath(
    std::string const& resourcePath, RLRequestDelegate* delegate) {
    auto loader = objectLoaderWithResourcePath(resourcePath, delegate);
    loader->setMethod(RLRequest::GET);
    loader->send();
    return loader;
}

base::Ref<RLObjectLoader> RLObjectManager::loadObjectsAtResourcePath(
    std::string const& resourcePath, base::Dictionary const& queryParams,
    RLRequestDelegate* delegate) {
    return loadObjectsAtResourcePath(
        RLResourcePathWithQueryParams(resourcePath, queryParams), delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::loadObjectsAtResourcePath(
    std::string const& resourcePath, RLObjectClass const& objectClass,
    RLRequestDelegate* delegate) {
    auto loader = objectLoaderWithResourcePath(resourcePath, delegate);
    loader->setMethod(RLRequest::GET);
    loader->setObjectClass(&objectClass);
    loader->send();
    return loader;
}

base::Ref<RLObjectLoader> RLObjectManager::loadObjectsAtResourcePath(
    std::string const& resourcePath, base::Dictionary const& queryParams,
    RLObjectClass const& objectClass, RLRequestDelegate* delegate) {
    return loadObjectsAtResourcePath(
        RLResourcePathWithQueryParams(resourcePath, queryParams), objectClass, delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::loadObjectsAtResourcePathAsPost(
    std::string const& resourcePath, RLObjectClass const& objectClass,
    RLRequestDelegate* delegate) {
    auto loader = objectLoaderWithResourcePath(resourcePath, delegate);
    loader->setMethod(RLRequest::POST);
    loader->setObjectClass(&objectClass);
    loader->send();
    return loader;
}

base::Ref<RLObjectLoader> RLObjectManager::objectLoaderForObject(
    RLObject& object, std::int32_t method, RLRequestDelegate* delegate) {
    VERIFY_MSG(router_, "an object loader for an object needs a router");
    auto loader
        = objectLoaderWithResourcePath(router_->resourcePathForObject(object, method), delegate);
    loader->setMethod(method);
    loader->setParams(router_->serializationForObject(object, method));
    loader->setTargetObject(base::Ref<RLObject>(&object));
    loader->setObjectClass(&object.objectClass());
    return loader;
}

base::Ref<RLObjectLoader> RLObjectManager::sendObjectLoader(
    RLObject& object, std::int32_t method, RLRequestDelegate* delegate) {
    auto loader = objectLoaderForObject(object, method, delegate);
    loader->send();
    return loader;
}

base::Ref<RLObjectLoader> RLObjectManager::getObject(
    RLObject& object, RLRequestDelegate* delegate) {
    return sendObjectLoader(object, RLRequest::GET, delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::postObject(
    RLObject& object, RLRequestDelegate* delegate) {
    return sendObjectLoader(object, RLRequest::POST, delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::putObject(
    RLObject& object, RLRequestDelegate* delegate) {
    return sendObjectLoader(object, RLRequest::PUT, delegate);
}

base::Ref<RLObjectLoader> RLObjectManager::deleteObject(
    RLObject& object, RLRequestDelegate* delegate) {
    return sendObjectLoader(object, RLRequest::DELETE, delegate);
}

}

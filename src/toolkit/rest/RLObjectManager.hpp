#pragma once

#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObject.hpp>
#include <toolkit/rest/RLObjectLoader.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>
#include <toolkit/rest/RLRouter.hpp>

#include <foundation/NotificationCenter.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <string>

namespace toolkit::rest {

// Posted by a manager (as object) on each reachability report of its client's host.
inline constexpr char const* RLDidEnterOnlineModeNotification = "RLDidEnterOnlineModeNotification";
inline constexpr char const* RLDidEnterOfflineModeNotification
    = "RLDidEnterOfflineModeNotification";

// The object side of the toolkit: a client for a base URL, an object mapper, a router
// and, when one is set, a store for managed objects. It makes object loaders for
// resource paths and for model objects, and follows whether the base host can be
// reached. The first manager made by objectManagerWithBaseURL becomes the shared one,
// which lives until it is replaced. Main thread; it must outlive its loaders.
class RLObjectManager final : public base::Object {
public:
    enum OnlineState : std::int32_t {
        RLObjectManagerOnlineStateUndetermined = 0,
        RLObjectManagerOnlineStateDisconnected = 1,
        RLObjectManagerOnlineStateConnected = 2,
    };

    // sharedManager and globalManager are one slot.
    static base::Ref<RLObjectManager> sharedManager();
    static void setSharedManager(base::Ref<RLObjectManager> manager);
    static base::Ref<RLObjectManager> globalManager() { return sharedManager(); }
    static void setGlobalManager(base::Ref<RLObjectManager> manager) {
        setSharedManager(std::move(manager));
    }

    // A manager with a new mapper and a new dynamic router; shared when no manager is.
    static base::Ref<RLObjectManager> objectManagerWithBaseURL(std::string baseURL);
    static base::Ref<RLObjectManager> objectManagerWithBaseURL(
        std::string baseURL, base::Ref<RLObjectMapper> mapper, base::Ref<RLRouter> router);
    ~RLObjectManager() override;

    bool isOnline() const { return onlineState_ == RLObjectManagerOnlineStateConnected; }
    // Also before the first reachability report.
    bool isOffline() const { return !isOnline(); }
    // Asks the client's observer of the base host and posts the mode it gives, on
    // every report, changed or not. Without an observer the host counts as offline.
    void reachabilityChanged();

    base::Ref<RLClient> const& client() const { return client_; }
    void setClient(base::Ref<RLClient> client) { client_ = std::move(client); }
    // 0 = XML, 1 = JSON.
    std::int32_t format() const { return format_; }
    // Passes the format to the mapper and, for XML or JSON, sets the client's
    // "Accept" header; another code changes no header.
    void setFormat(std::int32_t format);
    RLObjectMapper& mapper() const { return *mapper_; }
    base::Ref<RLRouter> const& router() const { return router_; }
    void setRouter(base::Ref<RLRouter> router) { router_ = std::move(router); }
    // The managed-object store; the manager only keeps it and makes managed-object
    // loaders while it has one. Null unless set.
    base::Ref<RLManagedObjectStore> const& objectStore() const { return objectStore_; }
    void setObjectStore(base::Ref<RLManagedObjectStore> store) { objectStore_ = std::move(store); }
    std::int32_t onlineState() const { return onlineState_; }

    void registerClass(RLObjectClass const& objectClass, std::string const& elementName);

    // A loader for the path, not sent: the managed-object loader when that class is
    // registered and there is a store, else a plain one.
    base::Ref<RLObjectLoader> objectLoaderWithResourcePath(
        std::string const& resourcePath, RLRequestDelegate* delegate);
    // Sends a GET loader for the path (with the query parameters and the class to
    // map into, when given) and returns it.
    base::Ref<RLObjectLoader> loadObjectsAtResourcePath(
        std::string const& resourcePath, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> loadObjectsAtResourcePath(std::string const& resourcePath,
        base::Dictionary const& queryParams, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> loadObjectsAtResourcePath(std::string const& resourcePath,
        RLObjectClass const& objectClass, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> loadObjectsAtResourcePath(std::string const& resourcePath,
        base::Dictionary const& queryParams, RLObjectClass const& objectClass,
        RLRequestDelegate* delegate);
    // Sends a POST loader for the path that maps into the class, and returns it.
    base::Ref<RLObjectLoader> loadObjectsAtResourcePathAsPost(std::string const& resourcePath,
        RLObjectClass const& objectClass, RLRequestDelegate* delegate);

    // A loader for the object at the router's path for the method, with the router's
    // parameters, the object as target and its class to map into; not sent.
    base::Ref<RLObjectLoader> objectLoaderForObject(
        RLObject& object, std::int32_t method, RLRequestDelegate* delegate);
    // The same with GET, POST, PUT or DELETE, sent.
    base::Ref<RLObjectLoader> getObject(RLObject& object, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> postObject(RLObject& object, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> putObject(RLObject& object, RLRequestDelegate* delegate);
    base::Ref<RLObjectLoader> deleteObject(RLObject& object, RLRequestDelegate* delegate);

private:
    friend base::Factory;
    RLObjectManager(
        std::string baseURL, base::Ref<RLObjectMapper> mapper, base::Ref<RLRouter> router);

    base::Ref<RLObjectLoader> sendObjectLoader(
        RLObject& object, std::int32_t method, RLRequestDelegate* delegate);

    base::Ref<RLClient> client_;
    std::int32_t format_ {1};
    base::Ref<RLObjectMapper> mapper_;
    base::Ref<RLRouter> router_;
    base::Ref<RLManagedObjectStore> objectStore_;
    std::int32_t onlineState_ {RLObjectManagerOnlineStateUndetermined};
    foundation::ObservationToken reachabilityObservation_;
};

}

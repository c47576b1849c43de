#pragma once

#include <toolkit/rest/RLObject.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>
#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLResponse.hpp>

#include <foundation/URLError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace toolkit::rest {

class RLClient;
class RLObjectLoader;
class RLObjectManager;

// What an object loader tells its delegate, besides the optional request operations.
// A loader whose delegate is a plain request delegate tells it only those.
class RLObjectLoaderDelegate : public RLRequestDelegate {
public:
    // objectLoader:didLoadObjects: the mapped objects, on the main thread.
    virtual void objectLoaderDidLoadObjects(RLObjectLoader&, RLObjectList const& objects) = 0;
    // objectLoader:didFailWithError:
    virtual void objectLoaderDidFailWithError(RLObjectLoader&, foundation::URLError const&) = 0;
    // A reply of an unexpected status or content type, and a 4xx or 5xx reply that
    // is not JSON.
    virtual void objectLoaderDidLoadUnexpectedResponse(RLObjectLoader&) { }
};

// A request whose JSON reply is mapped into model objects. Made by an object manager,
// which it does not retain; it keeps the manager's mapper, so a loader whose manager
// has gone still maps its reply. Sent through the shared queue. The reply arrives on the main
// thread; a successful one of the expected content type is mapped on a worker thread of the
// loader's own, which then hands the objects to the delegate on the main thread and waits until
// that is done. Every other end is told on the main thread at once.
//
// The loader's end posts RLResponseReceivedNotification (object: the response) when
// the objects were delivered, and RLRequestFailedWithErrorNotification (object: the
// loader) otherwise; these free its place in the queue, so the place is held until
// the mapping and the delegate's calls are over. RLRequestDidLoadResponseNotification
// is not posted. A failure of the mapper on the worker thread reaches the delegate
// as an error of the toolkit's domain with code 1. A loader is used once.
class RLObjectLoader : public RLRequest {
public:
    // Makes a loader of some loader class for a path of the manager.
    using Factory = std::function<base::Ref<RLObjectLoader>(
        std::string const& resourcePath, RLObjectManager& objectManager, RLRequestDelegate*)>;

    static base::Ref<RLObjectLoader> loaderWithResourcePath(std::string const& resourcePath,
        RLObjectManager& objectManager, RLRequestDelegate* delegate);
    ~RLObjectLoader() override;

    // The loader classes found by name, such as the managed-object loader, which
    // registers itself when it is built in. An empty factory removes the name.
    static void registerLoaderClass(std::string const& name, Factory factory);
    static std::optional<Factory> loaderClassNamed(std::string_view name);

    // Null once the manager has gone.
    RLObjectManager* objectManager() const;
    // The manager's client; null once the manager has gone.
    base::Ref<RLClient> client() const;
    RLObjectMapper& objectMapper() const { return *objectMapper_; }

    base::Ref<RLObject> const& targetObject() const { return targetObject_; }
    virtual void setTargetObject(base::Ref<RLObject> object) { targetObject_ = std::move(object); }
    RLObjectClass const* objectClass() const { return objectClass_; }
    void setObjectClass(RLObjectClass const* objectClass) { objectClass_ = objectClass; }
    std::string const& keyPath() const { return keyPath_; }
    void setKeyPath(std::string keyPath) { keyPath_ = std::move(keyPath); }

    // Tells the target object, then prepares the request.
    void prepareURLRequest() override;
    virtual void handleTargetObject();

    void didFinishLoad(RLResponse& response) override;
    void didFailLoadWithError(foundation::URLError const& error) override;

    // Tells the delegate of a failed load or an error reply and ends the loader;
    // true when it did.
    bool encounteredErrorWhileProcessingRequest(RLResponse& response);
    // The loader's end: not loading any more; loaded and the response notification
    // when successful, else the failure notification (with the error when there is
    // one).
    void responseProcessingSuccessful(
        bool successful, std::optional<foundation::URLError> const& error);

protected:
    friend base::Factory;
    RLObjectLoader(
        base::Ref<RLURL> URL, RLObjectManager& objectManager, RLRequestDelegate* delegate);

    // The delegate when it answers the loader's own operations.
    RLObjectLoaderDelegate* objectLoaderDelegate() const;

    // Worker thread: maps the reply, then tells the delegate on the main thread,
    // waiting until that is done.
    virtual void processLoadModelsInBackground(RLResponse& response);
    // The objects of the reply: the target object updated from it, or what it maps
    // to (a single object as a one-element list, nothing as an empty one). Throws
    // the mapper's failures.
    RLObjectList mapObjectsFromResponse(RLResponse const& response);
    // Main thread: hands the objects to the delegate and ends successfully.
    virtual void informDelegateOfObjectLoad(RLObjectList const& objects);
    // Main thread: a failure while the reply was mapped or its objects were stored.
    void informDelegateOfObjectLoadError(foundation::URLError const& error);
    // Main thread, for loaders that store what they map: saving failed.
    void informDelegateOfSaveError(foundation::URLError const& savingError);

private:
    base::WeakRef<RLObjectManager> objectManager_;
    base::Ref<RLObjectMapper> objectMapper_;
    base::Ref<RLObject> targetObject_;
    RLObjectClass const* objectClass_ {nullptr};
    std::string keyPath_;
};

}

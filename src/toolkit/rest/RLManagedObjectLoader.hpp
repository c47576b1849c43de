#pragma once

#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectLoader.hpp>

#include <base/Ref.hpp>

#include <optional>
#include <string>
#include <vector>

namespace toolkit::rest {

// The object loader of a manager that has an object store. The target object is
// saved before the request goes, so that the worker can find it again by its ID.
// On the worker the reply is mapped into that thread's context (a DELETE removes
// the target instead; objects that the store's cache names for the path and the
// reply no longer lists are deleted), the context is saved, and the delegate gets
// the main thread's instances of the objects, looked up by ID there. A failed
// save reaches the delegate as an error of the toolkit's domain with code 1.
class RLManagedObjectLoader final : public RLObjectLoader {
public:
    static base::Ref<RLObjectLoader> loaderWithResourcePath(std::string const& resourcePath,
        RLObjectManager& objectManager, RLRequestDelegate* delegate);
    // Makes the object manager use this loader class while it has a store.
    static void registerLoaderClass();

    // The manager's store, kept from the loader's creation.
    RLManagedObjectStore* objectStore() const { return objectStore_.get(); }
    std::optional<RLManagedObjectID> const& targetObjectID() const { return targetObjectID_; }

    // Forgets the target's ID.
    void setTargetObject(base::Ref<RLObject> object) override;
    // Saves the store first, so that a managed target has its permanent ID.
    void handleTargetObject() override;

protected:
    void processLoadModelsInBackground(RLResponse& response) override;
    void informDelegateOfObjectLoad(RLObjectList const& objects) override;

private:
    friend base::Factory;
    RLManagedObjectLoader(
        base::Ref<RLURL> URL, RLObjectManager& objectManager, RLRequestDelegate* delegate);

    RLObjectList mapInWorkerContext(RLResponse const& response);

    base::Ref<RLManagedObjectStore> objectStore_;
    std::optional<RLManagedObjectID> targetObjectID_;
    // The IDs of the stored objects of the last result, in its order; set on the
    // worker while the main thread waits, read there while the worker waits.
    std::vector<std::optional<RLManagedObjectID>> resultIDs_;
};

}

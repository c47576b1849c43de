#include <toolkit/rest/RLManagedObjectLoader.hpp>

#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/Perform.hpp>

#include <algorithm>

namespace toolkit::rest {

RLManagedObjectLoader::RLManagedObjectLoader(
    base::Ref<RLURL> URL, RLObjectManager& objectManager, RLRequestDelegate* delegate)
    : RLObjectLoader(std::move(URL), objectManager, delegate)
    , objectStore_(objectManager.objectStore()) {
}

base::Ref<RLObjectLoader> RLManagedObjectLoader::loaderWithResourcePath(
    std::string const& resourcePath, RLObjectManager& objectManager, RLRequestDelegate* delegate) {
    auto const& client = objectManager.client();
    auto loader = base::make<RLManagedObjectLoader>(
        client ? client->URLForResourcePath(resourcePath) : nullptr, objectManager, delegate);
    if (client)
        client->setupRequest(*loader);
    return loader;
}

void RLManagedObjectLoader::registerLoaderClass() {
    RLObjectLoader::registerLoaderClass("RLManagedObjectLoader", &loaderWithResourcePath);
}

void RLManagedObjectLoader::setTargetObject(base::Ref<RLObject> object) {
    RLObjectLoader::setTargetObject(std::move(object));
    targetObjectID_.reset();
}

void RLManagedObjectLoader::handleTargetObject() {
    if (auto* managed = dynamic_cast<RLManagedObject*>(targetObject().get());
        managed && objectStore_) {
        objectStore_->save();
        if (!managed->objectID().isTemporaryID())
            targetObjectID_ = managed->objectID();
    }
    RLObjectLoader::handleTargetObject();
}

RLObjectList RLManagedObjectLoader::mapInWorkerContext(RLResponse const& response) {
    auto& mapper = objectMapper();
    auto body = response.bodyAsString();
    if (targetObject() && targetObjectID_) {
        auto target = objectStore_->objectWithID(*targetObjectID_);
        if (!target)
            return {};
        if (isDELETE()) {
            objectStore_->managedObjectContext().deleteObject(*target);
            return {};
        }
        mapper.mapObject(*target, body, keyPath());
        return {target};
    }
    if (targetObject()) {
        mapper.mapObject(*targetObject(), body, keyPath());
        return {targetObject()};
    }
    auto result = mapper.mapFromString(body, objectClass(), keyPath());
    RLObjectList objects;
    if (auto* list = std::get_if<RLObjectList>(&result))
        objects = std::move(*list);
    else if (auto* single = std::get_if<base::Ref<RLObject>>(&result))
        objects = {std::move(*single)};
    if (objectStore_->managedObjectCache() && URL() && URL()->resourcePath()) {
        auto& context = objectStore_->managedObjectContext();
        for (auto const& cached : objectStore_->objectsForResourcePath(*URL()->resourcePath())
                                      .value_or(RLObjectList {})) {
            auto* managed = dynamic_cast<RLManagedObject*>(cached.get());
            if (managed && std::find(objects.begin(), objects.end(), cached) == objects.end())
                context.deleteObject(*managed);
        }
    }
    return objects;
}

void RLManagedObjectLoader::processLoadModelsInBackground(RLResponse& response) {
    if (!objectStore_) {
        RLObjectLoader::processLoadModelsInBackground(response);
        return;
    }
    RLObjectList objects;
    std::optional<foundation::URLError> error;
    bool mapped = false;
    try {
        objects = mapInWorkerContext(response);
        mapped = true;
        error = objectStore_->save();
    } catch (std::exception const& failure) {
        foundation::log(
            "[RestLink] RLObjectLoader: Failed to map the reply of %@: %@", URL(), failure.what());
        error = foundation::URLError::withDomain(
            RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError, failure.what());
        objects.clear();
    }
    resultIDs_.clear();
    RLObjectList others;
    for (auto const& object : objects) {
        auto* managed = dynamic_cast<RLManagedObject*>(object.get());
        if (managed && !managed->objectID().isTemporaryID()) {
            resultIDs_.push_back(managed->objectID());
            others.push_back(nullptr);
        } else {
            resultIDs_.push_back(std::nullopt);
            others.push_back(object);
        }
    }
    // The worker's own objects stay on the worker; the main thread gets IDs.
    objects.clear();
    foundation::performOnMainThread(
        [&] {
            if (error && mapped)
                informDelegateOfSaveError(*error);
            else if (error)
                informDelegateOfObjectLoadError(*error);
            else
                informDelegateOfObjectLoad(others);
        },
        true);
}

void RLManagedObjectLoader::informDelegateOfObjectLoad(RLObjectList const& objects) {
    RLObjectList delivered;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (i < resultIDs_.size() && resultIDs_[i]) {
            if (auto object = objectStore_->objectWithID(*resultIDs_[i]))
                delivered.push_back(object);
        } else if (objects[i]) {
            delivered.push_back(objects[i]);
        }
    }
    resultIDs_.clear();
    RLObjectLoader::informDelegateOfObjectLoad(delivered);
}

}

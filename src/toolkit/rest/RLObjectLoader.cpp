#include <toolkit/rest/RLObjectLoader.hpp>

#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLObjectManager.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>

#include <base/Exception.hpp>

#include <map>
#include <mutex>
#include <type_traits>
#include <variant>

namespace toolkit::rest {

namespace {

struct LoaderClasses {
    std::mutex mutex;
    std::map<std::string, RLObjectLoader::Factory, std::less<>> factories;
};

LoaderClasses& loaderClasses() {
    static LoaderClasses classes;
    return classes;
}

}

void RLObjectLoader::registerLoaderClass(std::string const& name, Factory factory) {
    auto& classes = loaderClasses();
    std::lock_guard lock(classes.mutex);
    if (factory)
        classes.factories[name] = std::move(factory);
    else
        classes.factories.erase(name);
}

std::optional<RLObjectLoader::Factory> RLObjectLoader::loaderClassNamed(std::string_view name) {
    auto& classes = loaderClasses();
    std::lock_guard lock(classes.mutex);
    auto found = classes.factories.find(name);
    if (found == classes.factories.end())
        return std::nullopt;
    return found->second;
}

RLObjectLoader::RLObjectLoader(
    base::Ref<RLURL> URL, RLObjectManager& objectManager, RLRequestDelegate* delegate)
    : RLRequest(std::move(URL), delegate)
    , objectManager_(&objectManager)
    , objectMapper_(&objectManager.mapper()) {
}

base::Ref<RLObjectLoader> RLObjectLoader::loaderWithResourcePath(
    std::string const& resourcePath, RLObjectManager& objectManager, RLRequestDelegate* delegate) {
    auto const& client = objectManager.client();
    auto loader = base::make<RLObjectLoader>(
        client ? client->URLForResourcePath(resourcePath) : nullptr, objectManager, delegate);
    if (client)
        client->setupRequest(*loader);
    return loader;
}

RLObjectLoader::~RLObjectLoader() {
    objectManager_ = nullptr;
}

RLObjectManager* RLObjectLoader::objectManager() const {
    return objectManager_.get();
}

base::Ref<RLClient> RLObjectLoader::client() const {
    auto* manager = objectManager_.get();
    return manager ? manager->client() : nullptr;
}

RLObjectLoaderDelegate* RLObjectLoader::objectLoaderDelegate() const {
    return dynamic_cast<RLObjectLoaderDelegate*>(delegate());
}

void RLObjectLoader::handleTargetObject() {
    if (targetObject_)
        targetObject_->willSendWithObjectLoader(*this);
}

void RLObjectLoader::prepareURLRequest() {
    handleTargetObject();
    RLRequest::prepareURLRequest();
}

void RLObjectLoader::didFinishLoad(RLResponse& response) {
    base::Ref<RLObjectLoader> keep(this);
    base::Ref<RLResponse> keepResponse(&response);
    endConnection();
    if (auto* requestDelegate = delegate())
        requestDelegate->requestDidLoadResponse(*this, response);
    if (encounteredErrorWhileProcessingRequest(response))
        return;
    auto format = objectMapper().format();
    bool payloadMatches = (format == 0 && response.isXML()) || (format == 1 && response.isJSON());
    if (response.isSuccessful() && payloadMatches) {
        bool started = foundation::Thread::detach([loader = keep, reply = keepResponse]() mutable {
            loader->processLoadModelsInBackground(*reply);
            // The worker's references are let go on the main thread, where the
            // loader and its response live.
            foundation::RunLoop::main().perform(
                [held = std::move(loader), heldReply = std::move(reply)] {});
        });
        if (!started) {
            informDelegateOfObjectLoadError(foundation::URLError::withDomain(RLRestKitErrorDomain,
                RLObjectLoaderRemoteSystemError, "No thread could be started to map the reply."));
        }
        return;
    }
    foundation::log("Encountered unexpected response code: %d (MIME Type: %@)",
        response.statusCode(), response.MIMEType());
    if (auto* loaderDelegate = objectLoaderDelegate())
        loaderDelegate->objectLoaderDidLoadUnexpectedResponse(*this);
    responseProcessingSuccessful(false, std::nullopt);
}

bool RLObjectLoader::encounteredErrorWhileProcessingRequest(RLResponse& response) {
    if (response.isFailure()) {
        auto error = *response.failureError();
        if (auto* loaderDelegate = objectLoaderDelegate())
            loaderDelegate->objectLoaderDidFailWithError(*this, error);
        responseProcessingSuccessful(false, error);
        return true;
    }
    if (!response.isError())
        return false;
    if (response.isJSON()) {
        foundation::URLError error;
        try {
            error = objectMapper().parseErrorFromString(response.bodyAsString());
        } catch (std::exception const& failure) {
            // A mapper without a parser for its format cannot read the messages; the
            // reply is still an error, described by the failure.
            error = foundation::URLError::withDomain(
                RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError, failure.what());
        }
        if (auto* loaderDelegate = objectLoaderDelegate())
            loaderDelegate->objectLoaderDidFailWithError(*this, error);
        responseProcessingSuccessful(false, error);
    } else {
        if (response.isServiceUnavailable()) {
            foundation::NotificationCenter::defaultCenter().postNotification(
                RLServiceDidBecomeUnavailableNotification, this);
        }
        if (auto* loaderDelegate = objectLoaderDelegate())
            loaderDelegate->objectLoaderDidLoadUnexpectedResponse(*this);
        responseProcessingSuccessful(false, std::nullopt);
    }
    return true;
}

RLObjectList RLObjectLoader::mapObjectsFromResponse(RLResponse const& response) {
    auto& mapper = objectMapper();
    auto body = response.bodyAsString();
    if (targetObject_) {
        mapper.mapObject(*targetObject_, body, keyPath_);
        return {targetObject_};
    }
    auto result = mapper.mapFromString(body, objectClass_, keyPath_);
    return std::visit(
        [](auto&& mapped) -> RLObjectList {
            using Mapped = std::decay_t<decltype(mapped)>;
            // A payload that maps to nothing gives an empty list.
            if constexpr (std::is_same_v<Mapped, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<Mapped, base::Ref<RLObject>>)
                return {std::move(mapped)};
            else
                return std::move(mapped);
        },
        std::move(result));
}

void RLObjectLoader::processLoadModelsInBackground(RLResponse& response) {
    std::optional<RLObjectList> objects;
    std::optional<foundation::URLError> error;
    try {
        objects = mapObjectsFromResponse(response);
    } catch (std::exception const& failure) {
        // A payload the mapper cannot take ends this load with an error, never the
        // process.
        foundation::log(
            "[RestLink] RLObjectLoader: Failed to map the reply of %@: %@", URL(), failure.what());
        error = foundation::URLError::withDomain(
            RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError, failure.what());
    }
    foundation::performOnMainThread(
        [&] {
            if (objects)
                informDelegateOfObjectLoad(*objects);
            else
                informDelegateOfObjectLoadError(*error);
        },
        true);
}

void RLObjectLoader::informDelegateOfObjectLoad(RLObjectList const& objects) {
    base::Ref<RLObjectLoader> keep(this);
    if (auto* loaderDelegate = objectLoaderDelegate())
        loaderDelegate->objectLoaderDidLoadObjects(*this, objects);
    responseProcessingSuccessful(true, std::nullopt);
}

void RLObjectLoader::informDelegateOfObjectLoadError(foundation::URLError const& error) {
    base::Ref<RLObjectLoader> keep(this);
    if (auto* loaderDelegate = objectLoaderDelegate())
        loaderDelegate->objectLoaderDidFailWithError(*this, error);
    responseProcessingSuccessful(false, error);
}

void RLObjectLoader::informDelegateOfSaveError(foundation::URLError const& savingError) {
    foundation::log("[RestLink] RLObjectLoader: Error saving managed object context: error=%@ "
                    "userInfo=%@",
        savingError.localizedDescription, RLErrorUserInfo(savingError));
    informDelegateOfObjectLoadError(foundation::URLError::withDomain(
        RLRestKitErrorDomain, RLObjectLoaderRemoteSystemError, savingError.localizedDescription));
}

void RLObjectLoader::responseProcessingSuccessful(
    bool successful, std::optional<foundation::URLError> const& error) {
    base::Ref<RLObjectLoader> keep(this);
    setLoading(false);
    auto& center = foundation::NotificationCenter::defaultCenter();
    if (successful) {
        setLoaded(true);
        center.postNotification(RLResponseReceivedNotification, response().get());
    } else {
        // The same user info as a failed request's, which the queue reads.
        center.postNotification(RLRequestFailedWithErrorNotification, this,
            error ? RLErrorUserInfo(*error) : base::Value());
    }
}

void RLObjectLoader::didFailLoadWithError(foundation::URLError const& error) {
    base::Ref<RLObjectLoader> keep(this);
    endConnection();
    if (auto* requestDelegate = delegate())
        requestDelegate->requestDidFailLoadWithError(*this, error);
    if (auto* loaderDelegate = objectLoaderDelegate())
        loaderDelegate->objectLoaderDidFailWithError(*this, error);
    responseProcessingSuccessful(false, error);
}

}

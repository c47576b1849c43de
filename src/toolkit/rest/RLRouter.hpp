#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <toolkit/rest/RLObject.hpp>
#include <toolkit/rest/RLRequestSerializable.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace toolkit::rest {

// Tells the object manager where an object lives for a request method (0 GET,
// 1 POST, 2 PUT, 3 DELETE) and which parameters carry it. The manager retains its
// router.
class RLRouter : public base::Object {
public:
    virtual std::string resourcePathForObject(RLObject const& object, std::int32_t method) = 0;
    // The request body for the object, or null when none is sent.
    virtual base::Ref<RLRequestSerializable> serializationForObject(
        RLObject const& object, std::int32_t method)
        = 0;
};

// Resource-path patterns per class and HTTP method (or "ANY" for every method),
// with "(keyPath)" placeholders filled from the object. Routes are set up on the
// main thread before use. Failures are thrown as base::Exception.
class RLDynamicRouter : public RLRouter {
public:
    static base::Ref<RLDynamicRouter> create() { return base::make<RLDynamicRouter>(); }

    // Throws when the class already has a pattern for the method name.
    void routeClass(RLObjectClass const& objectClass, std::string const& resourcePath,
        std::string const& methodName);
    void routeClass(RLObjectClass const& objectClass, std::string const& resourcePath);
    void routeClass(
        RLObjectClass const& objectClass, std::string const& resourcePath, std::int32_t method);

    // "GET", "POST", "PUT", "DELETE" for 0 to 3; none for any other code.
    static std::optional<std::string> HTTPVerbForMethod(std::int32_t method);

    // The pattern for the method, else the "ANY" one, filled from the object; throws
    // when the class has neither.
    std::string resourcePathForObject(RLObject const& object, std::int32_t method) override;
    // Nothing for GET; else the object's properties by element ("-" read as "_", "id"
    // left out) and its related objects' properties, as a form body.
    base::Ref<RLRequestSerializable> serializationForObject(
        RLObject const& object, std::int32_t method) override;

    // Leaves "id" out of the attributes when the class has a primary key and the
    // object's key is nil or 0.
    static void handlePrimaryKeyWithClass(
        RLObjectClass const& objectClass, base::Dictionary& attributes, RLObject const& object);

    // Class name -> (method name -> pattern).
    std::map<std::string, std::map<std::string, std::string>> const& routes() const {
        return routes_;
    }

protected:
    friend base::Factory;
    RLDynamicRouter() = default;

private:
    std::map<std::string, std::map<std::string, std::string>> routes_;
};

// A dynamic router whose parameters are named model[field], as Rails-style web
// frameworks expect, with to-many relationships as model[element_attributes].
class RLRailsRouter final : public RLDynamicRouter {
public:
    static base::Ref<RLRailsRouter> create() { return base::make<RLRailsRouter>(); }

    void setModelName(std::string const& name, RLObjectClass const& objectClass);
    std::map<std::string, std::string> const& classToModelMappings() const {
        return classToModelMappings_;
    }

    // Nothing for DELETE; throws when the class has no model name.
    base::Ref<RLRequestSerializable> serializationForObject(
        RLObject const& object, std::int32_t method) override;

private:
    friend base::Factory;
    RLRailsRouter() = default;

    // Class name -> model name.
    std::map<std::string, std::string> classToModelMappings_;
};

}

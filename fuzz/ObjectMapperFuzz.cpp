// A mapped JSON reply as the object mapper reads it, into a small model with a
// property of each converted kind and a to-one and a to-many relationship. Any bytes
// give a result or one of the mapper's named failures, never another error; the
// error reply of the same bytes always has the toolkit's domain and code 1.
#include "FuzzSupport.hpp"

#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLObjectMapper.hpp>

#include <base/Exception.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace {

using namespace toolkit::rest;

class Model final : public RLObject {
public:
    static RLObjectClass const& describedClass() {
        static RLObjectClass const described = [] {
            RLObjectClass made;
            made.name = "FuzzModel";
            auto plain = [](std::string name, RLPropertyKind kind) {
                RLProperty property;
                property.name = name;
                property.kind = kind;
                property.get = [name](RLObject const& object) {
                    auto const& stored = static_cast<Model const&>(object).values;
                    auto found = stored.find(name);
                    return found == stored.end() ? base::Value() : found->second;
                };
                property.set = [name](RLObject& object, base::Value const& value) {
                    static_cast<Model&>(object).values[name] = value;
                };
                property.getObjects = [name](RLObject const& object) {
                    auto const& relations = static_cast<Model const&>(object).related;
                    auto found = relations.find(name);
                    return found == relations.end() ? std::nullopt : found->second;
                };
                property.setObjects
                    = [name](RLObject& object, std::optional<RLObjectList> objects) {
                          static_cast<Model&>(object).related[name] = std::move(objects);
                      };
                return property;
            };
            made.properties
                = {plain("text", RLPropertyKind::String), plain("number", RLPropertyKind::Number),
                    plain("decimal", RLPropertyKind::DecimalNumber),
                    plain("date", RLPropertyKind::Date), plain("url", RLPropertyKind::URL),
                    plain("list", RLPropertyKind::Array), plain("map", RLPropertyKind::Dictionary),
                    plain("any", RLPropertyKind::Untyped), plain("parent", RLPropertyKind::Object),
                    plain("children", RLPropertyKind::Array)};
            made.elementToPropertyMappings = RLMappings {{"text", "text"}, {"number", "number"},
                {"decimal", "decimal"}, {"date", "date"}, {"url", "url"}, {"list", "list"},
                {"map", "map"}, {"a.b", "any"}};
            made.elementToRelationshipMappings = {{"parent", "parent"}, {"children", "children"}};
            made.make = [] { return base::Ref<RLObject>(base::make<Model>()); };
            return made;
        }();
        return described;
    }
    RLObjectClass const& objectClass() const override { return describedClass(); }

    std::map<std::string, base::Value> values;
    std::map<std::string, std::optional<RLObjectList>> related;

private:
    friend base::Factory;
    Model() = default;
};

bool isMappingFailure(base::Exception const& failure) {
    static std::set<std::string> const names {"Unable to map from requested string",
        "Unable to map from requested dictionary", "NoElementValueConversionMethod",
        "NoComparisonSelectorFound", base::InternalInconsistencyException};
    return names.contains(failure.name());
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto mapper = RLObjectMapper::create();
    mapper->registerClass(Model::describedClass(), "model");
    mapper->registerClass(Model::describedClass(), "parent");
    mapper->registerClass(Model::describedClass(), "children");
    for (auto policy : {RLObjectMapper::MissingElementMappingPolicy::IgnoreMissingElement,
             RLObjectMapper::MissingElementMappingPolicy::SetNilForMissingElement}) {
        mapper->setMissingElementMappingPolicy(policy);
        try {
            auto result = mapper->mapFromString(text);
            if (auto const* objects = std::get_if<RLObjectList>(&result)) {
                for (auto const& object : *objects)
                    FUZZ_CHECK(object && &object->objectClass() == &Model::describedClass());
            }
        } catch (base::Exception const& failure) {
            FUZZ_CHECK(isMappingFailure(failure));
        }
        try {
            auto result = mapper->mapFromString(text, &Model::describedClass(), "model");
            (void)result;
        } catch (base::Exception const& failure) {
            FUZZ_CHECK(isMappingFailure(failure));
        }
        auto target = base::make<Model>();
        try {
            mapper->mapObject(*target, text);
            // A second mapping of the same payload compares with the values the first wrote.
            mapper->mapObject(*target, text);
        } catch (base::Exception const& failure) {
            FUZZ_CHECK(isMappingFailure(failure));
        }
    }
    auto error = mapper->parseErrorFromString(text);
    FUZZ_CHECK(
        error.domain == RLRestKitErrorDomain && error.code == RLObjectLoaderRemoteSystemError);
    return 0;
}

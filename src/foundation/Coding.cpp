#include <foundation/Coding.hpp>

#include <map>
#include <mutex>
#include <unordered_map>

namespace foundation {

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::type_index, std::string> names;
    std::map<std::string, Coding::Factory, std::less<>> factories;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}

void Coding::registerClass(std::string name, std::type_index type, Factory factory) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.names[type] = name;
    r.factories[std::move(name)] = std::move(factory);
}

std::optional<std::string> Coding::classNameOf(Coding const& object) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.names.find(std::type_index(typeid(object)));
    if (it == r.names.end())
        return std::nullopt;
    return it->second;
}

Coding::Factory Coding::factoryFor(std::string_view name) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.factories.find(name);
    return it == r.factories.end() ? Factory() : it->second;
}

}

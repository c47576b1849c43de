#include <engine/Describe.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace engine {

std::string className(std::type_info const& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    // Only the last component: "engine::SceneNode" reads "SceneNode". Template
    // arguments are not expected in engine classes.
    auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::string objectAddress(void const* object) {
    char text[32];
    std::snprintf(text, sizeof text, "%08llX",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(object)));
    return text;
}

}

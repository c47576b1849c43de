#pragma once

#include <string>
#include <typeinfo>

namespace engine {

// Pieces of the engine's object descriptions ("<Timer = 0804A1B0 | ...>"): the
// class name without its namespaces, and an address in upper-case hexadecimal
// of at least eight digits.
std::string className(std::type_info const& type);
std::string objectAddress(void const* object);

template<typename T> std::string className(T const& object) {
    return className(typeid(object));
}

}

#pragma once

#include <bundlegen/Figures.hpp>

#include <string>
#include <vector>

namespace bundlegen {

// The cast of the salon: every character key the bundle has a sheet for, with its role
// and look. The character list names these keys; the frame names inside each sheet
// follow the key.
struct CastMember {
    enum class Role { Customer, Pet, Staff, Visitor };
    std::string key;
    Role role;
    PersonLook person; // customers, staff and visitors
    PetLook pet; // pets
};

std::vector<CastMember> const& cast();
CastMember const& castMember(std::string const& key);

}

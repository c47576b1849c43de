#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <string>

namespace foundation {

// The binary property-list form ("bplist00") behind PropertyList: a header, the
// objects, a table of their offsets and a 32-byte trailer that says how wide the
// offsets and object references are, how many objects there are and which one is
// the top. Stateless and thread-safe; callers go through PropertyList.
class BinaryPropertyList {
public:
    static bool hasSignature(ByteView bytes);

    // The top object, or null with the reason in error. Every offset, length and
    // reference is checked against the file; see PropertyList for the limits.
    static base::Value read(ByteView bytes, std::string& error);

    // The value in binary form. The value must have passed
    // PropertyList::isValidPropertyList; equal strings and keys are written once.
    static base::Bytes write(base::Value const& value);
};

}

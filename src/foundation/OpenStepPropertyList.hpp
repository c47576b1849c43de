#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <string>

namespace foundation {

// The old-style text property-list form behind PropertyList, and the string
// tables of ".strings" files written in it:
//
//     /* A comment */  "BUTTON_OK" = "OK";   // a line comment
//     { key = value; list = ( a, "b c", <0fbd 7a> ); }
//
// Strings are quoted (with the escapes \n \t \r \" \\ \a \b \f \v, three octal
// digits, and \U or \u with four hexadecimal digits, surrogate pairs joined) or
// bare (letters, digits and _ $ + / : . -). A file whose top level is a run of
// "key = value;" (or "key;", which maps the key to itself) without braces is a
// dictionary: the string-table form. UTF-8, or UTF-16 of either byte order with a
// byte-order mark. Read only; stateless and thread-safe.
class OpenStepPropertyList {
public:
    // The top value, or null with the reason (and line) in error. Empty input, or
    // input of nothing but comments, is an empty dictionary.
    static base::Value read(ByteView bytes, std::string& error);
};

}

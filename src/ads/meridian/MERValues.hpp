#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string>

namespace ads::meridian {

// Helpers for the values the ad server sends, which are outside input: a field of
// another kind than expected counts as absent.

// The text of a string value.
std::optional<std::string> textOf(base::Value const& value);
// A number, or a text that reads as one; absent otherwise.
float floatOf(base::Value const& value, float absent = 0);
// A boolean or a number as a truth value; false otherwise.
bool flagOf(base::Value const& value);

// A JSON value may hold nulls, which property lists and archives cannot: the copy
// leaves them out (readers take a missing key and a null alike).
base::Value withoutNulls(base::Value const& value);

}

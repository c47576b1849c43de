#pragma once

#include <toolkit/json/PJsonBase.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>

namespace toolkit::json {

// Writes base::Values as JSON text: compact by default, or with a line feed and two
// spaces per level before each member and " : " between key and value when
// humanReadable is set; dictionary keys in their own order, or sorted when sortKeys is
// set. Numbers are written as their own text (decimals exactly), strings escape only
// what JSON requires (the slash and non-ASCII characters stay). Failures leave their
// errors in errorTrace (code 1, 4 or 7) and give nothing.
class PJsonWriter final : public PJsonBase {
public:
    static base::Ref<PJsonWriter> writer() { return base::make<PJsonWriter>(); }

    // A dictionary or an array; any other value adds code 4 "Not valid type for JSON".
    std::optional<std::string> stringWithObject(base::Value const& value);
    // Any value.
    std::optional<std::string> stringWithFragment(base::Value const& value);

    bool humanReadable() const { return humanReadable_; }
    void setHumanReadable(bool humanReadable) { humanReadable_ = humanReadable; }
    bool sortKeys() const { return sortKeys_; }
    void setSortKeys(bool sortKeys) { sortKeys_ = sortKeys; }

private:
    friend base::Factory;
    PJsonWriter() = default;

    bool appendValue(std::string& out, base::Value const& value);
    bool appendDictionary(std::string& out, base::Dictionary const& dictionary);
    bool appendArray(std::string& out, base::Array const& array);
    void appendIndent(std::string& out) const;

    bool sortKeys_ {false};
    bool humanReadable_ {false};
};

}

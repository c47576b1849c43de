#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ads::bountix {

// A string-to-string parameter set that keeps its keys in the order they were first
// set, so a query built from it is the same on every run.
class BTXParameters {
public:
    using Entry = std::pair<std::string, std::string>;

    BTXParameters() = default;
    BTXParameters(std::initializer_list<Entry> entries);

    // Replaces the value of an existing key in its place, or appends the key.
    void set(std::string key, std::string value);
    void remove(std::string_view key);
    std::optional<std::string> get(std::string_view key) const;
    bool has(std::string_view key) const { return get(key).has_value(); }

    std::vector<Entry> const& entries() const { return entries_; }
    std::vector<std::string> keys() const;
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    bool operator==(BTXParameters const&) const = default;

private:
    std::vector<Entry> entries_;
};

}

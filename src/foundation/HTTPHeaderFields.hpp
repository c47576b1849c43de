#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation {

// HTTP header fields by name, one value per name, as the platform's header
// dictionaries hold them. Names compare without regard to case and keep the
// spelling they were first set with; enumeration follows insertion order, so
// requests are sent and logged deterministically. A plain value.
class HTTPHeaderFields {
public:
    using Entry = std::pair<std::string, std::string>;

    HTTPHeaderFields() = default;
    HTTPHeaderFields(std::initializer_list<Entry> entries);

    // The value for name in any letter case, or null.
    std::string const* find(std::string_view name) const;
    // The value for name, or an empty string.
    std::string valueForKey(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != nullptr; }

    // Replaces the value of that name in any case, keeping its place and first spelling.
    void set(std::string_view name, std::string value);
    // Joins value to an existing one with ", ", as repeated header lines combine.
    void add(std::string_view name, std::string_view value);
    void remove(std::string_view name);
    void clear() { entries_.clear(); }

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    std::vector<Entry> const& entries() const { return entries_; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    // A dictionary of name to string value, for code that keeps or posts headers
    // as values.
    base::Ref<base::Dictionary> dictionary() const;

    bool operator==(HTTPHeaderFields const&) const = default;

    static bool namesEqual(std::string_view a, std::string_view b);
    // Header text helpers: without surrounding blanks (spaces, tabs, line ends),
    // and in ASCII lower case.
    static std::string trimmed(std::string_view text);
    static std::string lowercased(std::string text);

private:
    std::vector<Entry> entries_;
};

}

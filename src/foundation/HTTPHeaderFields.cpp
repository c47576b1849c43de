#include <foundation/HTTPHeaderFields.hpp>

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace foundation {

HTTPHeaderFields::HTTPHeaderFields(std::initializer_list<Entry> entries) {
    for (auto const& [name, value] : entries)
        set(name, value);
}

bool HTTPHeaderFields::namesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string HTTPHeaderFields::trimmed(std::string_view text) {
    auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos)
        return {};
    auto end = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(begin, end - begin + 1));
}

std::string HTTPHeaderFields::lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string const* HTTPHeaderFields::find(std::string_view name) const {
    for (auto const& entry : entries_) {
        if (namesEqual(entry.first, name))
            return &entry.second;
    }
    return nullptr;
}

std::string HTTPHeaderFields::valueForKey(std::string_view name) const {
    auto const* value = find(name);
    return value ? *value : std::string();
}

void HTTPHeaderFields::set(std::string_view name, std::string value) {
    for (auto& entry : entries_) {
        if (namesEqual(entry.first, name)) {
            entry.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::string(name), std::move(value));
}

void HTTPHeaderFields::add(std::string_view name, std::string_view value) {
    for (auto& entry : entries_) {
        if (namesEqual(entry.first, name)) {
            entry.second.append(", ").append(value);
            return;
        }
    }
    entries_.emplace_back(std::string(name), std::string(value));
}

void HTTPHeaderFields::remove(std::string_view name) {
    std::erase_if(entries_, [&](Entry const& entry) { return namesEqual(entry.first, name); });
}

base::Ref<base::Dictionary> HTTPHeaderFields::dictionary() const {
    auto dictionary = base::Dictionary::create();
    for (auto const& [name, value] : entries_)
        dictionary->setObject(name, value);
    return dictionary;
}

}

#include <ads/bountix/BTXParameters.hpp>

#include <algorithm>

namespace ads::bountix {

BTXParameters::BTXParameters(std::initializer_list<Entry> entries) {
    for (auto const& [key, value] : entries)
        set(key, value);
}

void BTXParameters::set(std::string key, std::string value) {
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::move(key), std::move(value));
}

void BTXParameters::remove(std::string_view key) {
    std::erase_if(entries_, [&](Entry const& entry) { return entry.first == key; });
}

std::optional<std::string> BTXParameters::get(std::string_view key) const {
    for (auto const& entry : entries_)
        if (entry.first == key)
            return entry.second;
    return std::nullopt;
}

std::vector<std::string> BTXParameters::keys() const {
    std::vector<std::string> out;
    for (auto const& entry : entries_)
        out.push_back(entry.first);
    return out;
}

}

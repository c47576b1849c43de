#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::rest {

// Filters a collection in memory by a free-text query: the query is trimmed and split
// into terms at blanks, and an object matches when one of the chosen properties
// contains all of the terms (mode 0) or any of them (mode 1). Unless caseSensitive,
// "contains" ignores case and diacritics (cafe finds café), through ICU's
// decomposition and case folding.
//
// An empty term, which doubled blanks in the query give, neither narrows nor widens
// a search: it is left out of the tests. A query with no other term matches nothing.
// A property whose value is nil or not a string does not contain any term; a model
// object's class must have each property named (valueForKey raises otherwise).
//
// A plain object with no shared state; one engine may serve one thread at a time.
class RLSearchEngine final : public base::Object {
public:
    enum Mode : std::int32_t { RLSearchModeAnd = 0, RLSearchModeOr = 1 };
    // How the tests of one property's terms combine.
    enum class Compound { And, Or };

    static base::Ref<RLSearchEngine> searchEngine() { return base::make<RLSearchEngine>(); }

    // The objects whose "searchableText" property matches, in collection order;
    // none when the mode is neither 0 nor 1.
    std::optional<RLObjectList> searchFor(std::string_view query, RLObjectList const& collection);
    std::optional<RLObjectList> searchFor(std::string_view query,
        std::vector<std::string> const& properties, RLObjectList const& collection);
    // The same over dictionaries, whose properties are their keys; null when the
    // mode is neither 0 nor 1.
    base::Ref<base::Array> searchFor(std::string_view query, base::Array const& collection);
    base::Ref<base::Array> searchFor(std::string_view query,
        std::vector<std::string> const& properties, base::Array const& collection);

    std::string stripWhitespaceIfNecessary(std::string_view string) const;
    std::vector<std::string> tokenizeOrCollect(std::string const& string) const;

    RLObjectList searchWithTerms(std::vector<std::string> const& terms,
        std::vector<std::string> const& properties, RLObjectList const& collection,
        Compound compound) const;
    base::Ref<base::Array> searchWithTerms(std::vector<std::string> const& terms,
        std::vector<std::string> const& properties, base::Array const& collection,
        Compound compound) const;

    std::int32_t mode() const { return mode_; }
    void setMode(std::int32_t mode) { mode_ = mode; }
    bool tokenizeQuery() const { return tokenizeQuery_; }
    void setTokenizeQuery(bool tokenize) { tokenizeQuery_ = tokenize; }
    bool stripWhitespace() const { return stripWhitespace_; }
    void setStripWhitespace(bool strip) { stripWhitespace_ = strip; }
    bool caseSensitive() const { return caseSensitive_; }
    void setCaseSensitive(bool sensitive) { caseSensitive_ = sensitive; }

private:
    friend base::Factory;
    RLSearchEngine() = default;

    // The compound of the mode; none for another mode.
    std::optional<Compound> compoundForMode() const;
    std::vector<std::string> termsOfQuery(std::string_view query) const;

    std::int32_t mode_ {RLSearchModeOr};
    bool tokenizeQuery_ {true};
    bool stripWhitespace_ {true};
    bool caseSensitive_ {false};
};

}

#include <toolkit/rest/RLSearchEngine.hpp>

#include <foundation/CharacterSet.hpp>
#include <foundation/Strings.hpp>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <functional>

namespace toolkit::rest {

namespace {

// The text with its diacritics taken off and its case folded: decomposed, without
// non-spacing marks, then folded, so that "Café" and "cafe" give the same text.
// Text that cannot be decomposed is compared only with its case folded.
icu::UnicodeString foldedForSearch(std::string_view text) {
    auto unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    UErrorCode status = U_ZERO_ERROR;
    auto const* decomposition = icu::Normalizer2::getNFDInstance(status);
    if (U_SUCCESS(status) && decomposition) {
        auto decomposed = decomposition->normalize(unicode, status);
        if (U_SUCCESS(status)) {
            icu::UnicodeString bare;
            for (std::int32_t i = 0; i < decomposed.length();) {
                auto codePoint = decomposed.char32At(i);
                if (u_charType(codePoint) != U_NON_SPACING_MARK)
                    bare.append(codePoint);
                i += U16_LENGTH(codePoint);
            }
            unicode = bare;
        }
    }
    unicode.foldCase(U_FOLD_CASE_DEFAULT);
    return unicode;
}

// One term, ready for the contains test of the engine's case setting.
struct Term {
    std::string text;
    icu::UnicodeString folded;
};

// The non-empty terms: an empty one neither narrows nor widens a search.
std::vector<Term> searchTerms(std::vector<std::string> const& terms, bool caseSensitive) {
    std::vector<Term> prepared;
    for (auto const& term : terms) {
        if (term.empty())
            continue;
        prepared.push_back({term, caseSensitive ? icu::UnicodeString() : foldedForSearch(term)});
    }
    return prepared;
}

// Whether one of the properties, whose values valueForKey gives, contains all the
// terms (And) or one of them (Or). A value that is not a string contains nothing.
bool matches(std::vector<Term> const& terms, std::vector<std::string> const& properties,
    std::function<base::Value(std::string const&)> const& valueForKey,
    RLSearchEngine::Compound compound, bool caseSensitive) {
    if (terms.empty())
        return false;
    bool const all = compound == RLSearchEngine::Compound::And;
    for (auto const& property : properties) {
        auto value = valueForKey(property);
        auto const* text = value.string();
        if (!text)
            continue;
        icu::UnicodeString folded;
        if (!caseSensitive)
            folded = foldedForSearch(*text);
        bool propertyMatches = all;
        for (auto const& term : terms) {
            bool found = caseSensitive ? text->find(term.text) != std::string::npos
                                       : folded.indexOf(term.folded) >= 0;
            if (found != all) {
                propertyMatches = found;
                break;
            }
        }
        if (propertyMatches)
            return true;
    }
    return false;
}

}

std::string RLSearchEngine::stripWhitespaceIfNecessary(std::string_view string) const {
    if (!stripWhitespace_)
        return std::string(string);
    return foundation::trimmed(string, foundation::CharacterSet::whitespace());
}

std::vector<std::string> RLSearchEngine::tokenizeOrCollect(std::string const& string) const {
    if (!tokenizeQuery_)
        return {string};
    return foundation::componentsSeparatedBy(string, " ");
}

std::optional<RLSearchEngine::Compound> RLSearchEngine::compoundForMode() const {
    switch (mode_) {
    case RLSearchModeAnd:
        return Compound::And;
    case RLSearchModeOr:
        return Compound::Or;
    default:
        return std::nullopt;
    }
}

std::vector<std::string> RLSearchEngine::termsOfQuery(std::string_view query) const {
    return tokenizeOrCollect(stripWhitespaceIfNecessary(query));
}

std::optional<RLObjectList> RLSearchEngine::searchFor(
    std::string_view query, RLObjectList const& collection) {
    return searchFor(query, {"searchableText"}, collection);
}

std::optional<RLObjectList> RLSearchEngine::searchFor(std::string_view query,
    std::vector<std::string> const& properties, RLObjectList const& collection) {
    auto compound = compoundForMode();
    if (!compound)
        return std::nullopt;
    return searchWithTerms(termsOfQuery(query), properties, collection, *compound);
}

base::Ref<base::Array> RLSearchEngine::searchFor(
    std::string_view query, base::Array const& collection) {
    return searchFor(query, {"searchableText"}, collection);
}

base::Ref<base::Array> RLSearchEngine::searchFor(std::string_view query,
    std::vector<std::string> const& properties, base::Array const& collection) {
    auto compound = compoundForMode();
    if (!compound)
        return nullptr;
    return searchWithTerms(termsOfQuery(query), properties, collection, *compound);
}

RLObjectList RLSearchEngine::searchWithTerms(std::vector<std::string> const& terms,
    std::vector<std::string> const& properties, RLObjectList const& collection,
    Compound compound) const {
    auto tests = searchTerms(terms, caseSensitive_);
    RLObjectList found;
    for (auto const& object : collection) {
        if (!object)
            continue;
        auto valueForKey = [&object](std::string const& key) { return object->valueForKey(key); };
        if (matches(tests, properties, valueForKey, compound, caseSensitive_))
            found.push_back(object);
    }
    return found;
}

base::Ref<base::Array> RLSearchEngine::searchWithTerms(std::vector<std::string> const& terms,
    std::vector<std::string> const& properties, base::Array const& collection,
    Compound compound) const {
    auto tests = searchTerms(terms, caseSensitive_);
    auto found = base::Array::create();
    for (auto const& member : collection) {
        auto const* dictionary = member.dictionary();
        auto valueForKey = [dictionary](std::string const& key) {
            return dictionary ? dictionary->objectForKey(key) : base::Value();
        };
        if (matches(tests, properties, valueForKey, compound, caseSensitive_))
            found->add(member);
    }
    return found;
}

}

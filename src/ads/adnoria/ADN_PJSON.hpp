#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ads::adnoria {

// One failure of the Adnoria JSON reader or writer; a wrapping error carries the
// one it wraps.
struct ADN_PJSONError {
    static constexpr char const* Domain = "org.quillaby.adnoria.json";
    int code {0};
    std::string localizedDescription;
    std::shared_ptr<ADN_PJSONError> underlyingError;
};

// The Adnoria client's own JSON reader and writer: recursive descent over UTF-8
// bytes with a nesting limit, numbers kept as exact decimals, commas between
// members optional, and a numbered error for every fault of the input. The writer
// can sort keys and indent. Nesting is held at 512 levels whatever the setting (0
// or a larger one included), so no input can exhaust the stack; the writer keeps
// the same bound, so a collection holding itself fails instead of recursing
// without end. One object per thread at a time.
class ADN_PJSON final : public base::Object {
public:
    static constexpr unsigned HardMaximumDepth = 512;

    static base::Ref<ADN_PJSON> create() { return base::make<ADN_PJSON>(); }

    unsigned maxDepth() const { return maxDepth_; }
    void setMaxDepth(unsigned depth) { maxDepth_ = depth; }
    bool sortKeys() const { return sortKeys_; }
    void setSortKeys(bool sort) { sortKeys_ = sort; }
    bool humanReadable() const { return humanReadable_; }
    void setHumanReadable(bool human) { humanReadable_ = human; }

    // A null result is a failure, described in error when given. A missing text is
    // error 12.
    base::Value objectWithString(
        std::optional<std::string_view> text, ADN_PJSONError* error = nullptr);
    base::Value fragmentWithString(
        std::optional<std::string_view> text, ADN_PJSONError* error = nullptr);
    std::optional<std::string> stringWithObject(
        base::Value const& value, ADN_PJSONError* error = nullptr);
    std::optional<std::string> stringWithFragment(
        base::Value const& value, ADN_PJSONError* error = nullptr);

private:
    friend base::Factory;
    ADN_PJSON() = default;

    using ErrorPtr = std::shared_ptr<ADN_PJSONError>;

    base::Value read(std::optional<std::string_view> text, bool allowScalar, ADN_PJSONError* error);
    std::optional<std::string> write(
        base::Value const& value, bool allowScalar, ADN_PJSONError* error);

    unsigned depthLimit() const;
    bool scanValue(base::Value& out, ErrorPtr& error);
    bool scanRestOfString(std::string& out, ErrorPtr& error);
    bool scanUnicodeChar(char32_t& out, ErrorPtr& error);
    bool scanHexQuad(std::uint32_t& out, ErrorPtr& error);
    bool scanNumber(base::Value& out, ErrorPtr& error);
    bool scanArray(base::Value& out, ErrorPtr& error);
    bool scanDictionary(base::Value& out, ErrorPtr& error);
    void skipWhitespace();
    bool atEnd() const { return c_ >= end_; }

    bool writeValue(base::Value const& value, std::string& out, ErrorPtr& error);
    void writeString(std::string_view text, std::string& out);
    void indent(std::string& out) const;

    bool humanReadable_ {false};
    bool sortKeys_ {false};
    unsigned maxDepth_ {512};
    unsigned depth_ {0};
    char const* c_ {nullptr};
    char const* end_ {nullptr};
};

// The one-call writer: nothing for a null value, the empty string when writing
// fails (a scalar included), else the JSON text with the default settings.
class ADNMacros {
public:
    static std::optional<std::string> jsonify(base::Value const& value);
};

}

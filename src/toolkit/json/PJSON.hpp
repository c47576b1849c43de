#pragma once

#include <toolkit/json/PJsonBase.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <toolkit/json/PJsonWriter.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace toolkit::json {

// One parser and one writer behind a single object. maxDepth reads the parser's and
// sets both; sortKeys and humanReadable act on the writer. On a failure an operation
// copies the component's trace into its own and stores the trace's last error in the
// error out when one is given.
class PJSON final : public PJsonBase {
public:
    static base::Ref<PJSON> create() { return base::make<PJSON>(); }

    unsigned maxDepth() const { return parser_->maxDepth(); }
    void setMaxDepth(unsigned depth);
    bool sortKeys() const { return writer_->sortKeys(); }
    void setSortKeys(bool sortKeys) { writer_->setSortKeys(sortKeys); }
    bool humanReadable() const { return writer_->humanReadable(); }
    void setHumanReadable(bool humanReadable) { writer_->setHumanReadable(humanReadable); }

    base::Value objectWithString(
        std::optional<std::string_view> text, PJsonError* error = nullptr) {
        return objectWithString(text, false, error);
    }
    base::Value fragmentWithString(
        std::optional<std::string_view> text, PJsonError* error = nullptr) {
        return objectWithString(text, true, error);
    }
    base::Value objectWithString(
        std::optional<std::string_view> text, bool allowScalar, PJsonError* error);

    std::optional<std::string> stringWithObject(
        base::Value const& value, PJsonError* error = nullptr) {
        return stringWithObject(value, false, error);
    }
    std::optional<std::string> stringWithFragment(
        base::Value const& value, PJsonError* error = nullptr) {
        return stringWithObject(value, true, error);
    }
    std::optional<std::string> stringWithObject(
        base::Value const& value, bool allowScalar, PJsonError* error);

private:
    friend base::Factory;
    PJSON();

    base::Ref<PJsonParser> parser_;
    base::Ref<PJsonWriter> writer_;
};

// Each through a fresh parser or writer; failures give nothing and log nothing.
std::optional<std::string> JSONRepresentation(base::Value const& value);
std::optional<std::string> JSONFragment(base::Value const& value);
base::Value JSONValue(std::string_view text);
base::Value JSONFragmentValue(std::string_view text);

}

#include <toolkit/json/PJSON.hpp>

namespace toolkit::json {

PJSON::PJSON()
    : parser_(PJsonParser::parser())
    , writer_(PJsonWriter::writer()) {
    setMaxDepth(PJsonDefaultMaximumDepth);
}

void PJSON::setMaxDepth(unsigned depth) {
    PJsonBase::setMaxDepth(depth);
    parser_->setMaxDepth(depth);
    writer_->setMaxDepth(depth);
}

base::Value PJSON::objectWithString(
    std::optional<std::string_view> text, bool allowScalar, PJsonError* error) {
    base::Value value
        = allowScalar ? parser_->fragmentWithString(text) : parser_->objectWithString(text);
    if (!value.isNil())
        return value;
    auto trace = parser_->errorTrace();
    if (error && !trace.empty())
        *error = trace.back();
    replaceErrorTrace(std::move(trace));
    return {};
}

std::optional<std::string> PJSON::stringWithObject(
    base::Value const& value, bool allowScalar, PJsonError* error) {
    auto text = allowScalar ? writer_->stringWithFragment(value) : writer_->stringWithObject(value);
    if (text)
        return text;
    auto trace = writer_->errorTrace();
    if (error && !trace.empty())
        *error = trace.back();
    replaceErrorTrace(std::move(trace));
    return std::nullopt;
}

std::optional<std::string> JSONRepresentation(base::Value const& value) {
    return PJsonWriter::writer()->stringWithObject(value);
}

std::optional<std::string> JSONFragment(base::Value const& value) {
    return PJsonWriter::writer()->stringWithFragment(value);
}

base::Value JSONValue(std::string_view text) {
    return PJsonParser::parser()->objectWithString(text);
}

base::Value JSONFragmentValue(std::string_view text) {
    return PJsonParser::parser()->fragmentWithString(text);
}

}

#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace toolkit::rest {

// A payload format the REST toolkit reads and writes: text to an object tree and back.
class RLParser {
public:
    virtual ~RLParser() = default;
    // The decoded dictionary or array; nil when the text does not decode.
    virtual base::Value objectFromString(std::string_view string) = 0;
    // The text of an array or dictionary; none for anything else or a tree that
    // cannot be written.
    virtual std::optional<std::string> stringFromObject(base::Value const& object) = 0;
};

// JSON through the toolkit's decoder and encoder. Holds nothing; make one per use.
class RLJSONParser final : public RLParser {
public:
    base::Value objectFromString(std::string_view string) override;
    std::optional<std::string> stringFromObject(base::Value const& object) override;
};

}

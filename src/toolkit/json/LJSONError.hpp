#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace toolkit::json {

// The error object of the second JSON library (scanner, deserializer, serializer): a
// domain, a numbered code and a user info dictionary holding the message under
// "NSLocalizedDescription", plus the scanner's position report where there is one. A
// plain value; the user info may be null (the deserializer's empty-input error has
// none).
struct LJSONError {
    static constexpr char const* NSLocalizedDescriptionKey = "NSLocalizedDescription";

    std::string domain;
    long code {0};
    base::Ref<base::Dictionary> userInfo;

    // The message, or "" without one.
    std::string localizedDescription() const {
        if (!userInfo)
            return {};
        auto const& text = userInfo->objectForKey(NSLocalizedDescriptionKey);
        return text.isString() ? *text.string() : std::string();
    }
};

}

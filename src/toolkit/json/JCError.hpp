#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>

namespace toolkit::json {

// What went wrong in a decode or encode: the platform's error object as the JSON
// code makes it, domain "JCErrorDomain" and code -1. The decoder adds the byte
// offset and line at which it stood; the encoder leaves them out. A plain value.
struct JCError {
    static constexpr char const* JCErrorDomain = "JCErrorDomain";
    static constexpr char const* JCAtIndexKey = "JCAtIndexKey";
    static constexpr char const* JCLineNumberKey = "JCLineNumberKey";
    static constexpr char const* NSLocalizedDescriptionKey = "NSLocalizedDescription";

    std::string domain {JCErrorDomain};
    long code {-1};
    std::string localizedDescription;
    std::optional<unsigned long> atIndex;
    std::optional<unsigned long> lineNumber;

    // The user info dictionary: the description, and the offset and line when known.
    base::Ref<base::Dictionary> userInfo() const;
};

}

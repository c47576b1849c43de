#pragma once

#include <map>
#include <string>
#include <string_view>

namespace toolkit::rest {

// File-name extensions to MIME types, from a table in the form of the system's
// /etc/mime.types: one type per line followed by its extensions, "#" comments. An
// extension listed under several types keeps the first. Extensions compare in ASCII
// lower case.
class RLMIMETypes {
public:
    static std::map<std::string, std::string> parse(std::string_view text);

    // The type for extension from /etc/mime.types (read once), or empty when the
    // extension is unknown or the table cannot be read.
    static std::string typeForExtension(std::string_view extension);

    static constexpr char const* systemTablePath = "/etc/mime.types";
};

}

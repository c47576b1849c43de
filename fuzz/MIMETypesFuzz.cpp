// The MIME-type table in the form of /etc/mime.types. Any bytes give a table whose
// extensions are non-empty, lower case and free of blanks, each with a non-empty type.
#include "FuzzSupport.hpp"

#include <toolkit/rest/RLMIMETypes.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto table = toolkit::rest::RLMIMETypes::parse(
        std::string_view(reinterpret_cast<char const*>(data), size));
    for (auto const& [extension, type] : table) {
        FUZZ_CHECK(!extension.empty());
        FUZZ_CHECK(!type.empty());
        for (char c : extension) {
            FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
            FUZZ_CHECK(c != ' ' && c != '\t' && c != '\n' && c != '#');
        }
    }
    return 0;
}

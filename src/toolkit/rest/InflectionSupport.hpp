#pragma once

#include <string>
#include <string_view>

namespace toolkit::rest {

// Conversions between camel case and underscore or dash forms of names. Letters are
// ASCII; other bytes (UTF-8 sequences included) are copied as they stand.

// Each upper-case letter in lower case, preceded by the delimiter unless it comes
// first: userName -> user_name, URLString -> u_r_l_string.
std::string deCamelizeWith(std::string_view text, std::string_view delimiter);
std::string dasherize(std::string_view text);
std::string underscore(std::string_view text);
// Drops every "-" and "_" and writes the next kept character in upper case; the first
// character keeps its case: user_name -> userName, _name -> Name.
std::string camelize(std::string_view text);
// Each blank-separated word with its first letter in upper case and the rest in
// lower case. Empty words (from doubled, leading or trailing blanks) stay empty, so
// the blanks are kept as they were.
std::string titleize(std::string_view text);
// camelize, then the first character in upper case: user_profile -> UserProfile.
// An empty text stays empty.
std::string toClassName(std::string_view text);

}

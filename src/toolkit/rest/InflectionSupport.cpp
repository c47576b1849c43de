#include <toolkit/rest/InflectionSupport.hpp>

namespace toolkit::rest {

namespace {

bool isCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

char lower(char c) {
    return isCapital(c) ? char(c - 'A' + 'a') : c;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

}

std::string deCamelizeWith(std::string_view text, std::string_view delimiter) {
    std::string result;
    result.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isCapital(text[i])) {
            if (i > 0)
                result += delimiter;
            result += lower(text[i]);
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string dasherize(std::string_view text) {
    return deCamelizeWith(text, "-");
}

std::string underscore(std::string_view text) {
    return deCamelizeWith(text, "_");
}

std::string camelize(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    bool capitalizeNext = false;
    for (char c : text) {
        if (c == '-' || c == '_') {
            capitalizeNext = true;
            continue;
        }
        result += capitalizeNext ? upper(c) : c;
        capitalizeNext = false;
    }
    return result;
}

std::string titleize(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 1);
    std::size_t start = 0;
    while (true) {
        auto end = text.find(' ', start);
        auto word = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        for (std::size_t i = 0; i < word.size(); ++i)
            result += i == 0 ? upper(word[i]) : lower(word[i]);
        result += ' ';
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    result.resize(text.size());
    return result;
}

std::string toClassName(std::string_view text) {
    auto result = camelize(text);
    if (!result.empty())
        result[0] = upper(result[0]);
    return result;
}

}

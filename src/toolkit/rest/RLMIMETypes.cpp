#include <toolkit/rest/RLMIMETypes.hpp>

#include <fstream>
#include <sstream>

namespace toolkit::rest {

namespace {

std::string lowercased(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}

std::map<std::string, std::string> RLMIMETypes::parse(std::string_view text) {
    std::map<std::string, std::string> table;
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (auto comment = line.find('#'); comment != std::string_view::npos)
            line = line.substr(0, comment);
        std::string type;
        bool first = true;
        std::size_t at = 0;
        while (at < line.size()) {
            while (at < line.size() && isBlank(line[at]))
                ++at;
            auto start = at;
            while (at < line.size() && !isBlank(line[at]))
                ++at;
            if (at == start)
                break;
            auto word = line.substr(start, at - start);
            if (first) {
                type = std::string(word);
                first = false;
            } else {
                table.try_emplace(lowercased(word), type);
            }
        }
    }
    return table;
}

std::string RLMIMETypes::typeForExtension(std::string_view extension) {
    static std::map<std::string, std::string> const table = [] {
        std::ifstream file(systemTablePath, std::ios::binary);
        std::stringstream contents;
        contents << file.rdbuf();
        return parse(contents.str());
    }();
    if (extension.empty())
        return {};
    auto found = table.find(lowercased(extension));
    return found == table.end() ? std::string() : found->second;
}

}

#include <engine/BitmapFontConfiguration.hpp>

#include <base/Log.hpp>
#include <engine/FileUtils.hpp>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace engine {

namespace {

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

// The integer at the start of text as the platform reads one: leading blanks skipped, an
// optional sign, digits until the first other character; no digits read as 0, values beyond
// the range of int as its nearest end.
int leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 32);
    value = negative ? -value : value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The integers after the first count "=" signs of line; nullopt when it has fewer.
std::optional<std::vector<int>> values(std::string_view line, std::size_t count) {
    std::vector<int> result;
    std::size_t at = 0;
    while (result.size() < count) {
        at = line.find('=', at);
        if (at == std::string_view::npos)
            return std::nullopt;
        ++at;
        result.push_back(leadingInteger(line.substr(at)));
    }
    return result;
}

// The font tools also write the format as XML, JSON and binary files, which the
// line reader would take for a font without a single line it knows.
std::optional<std::string_view> otherForm(std::string_view text) {
    if (text.starts_with("BMF"))
        return "a binary bitmap font";
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return std::nullopt;
    if (text[first] == '<')
        return "an XML bitmap font";
    if (text[first] == '{' || text[first] == '[')
        return "a JSON bitmap font";
    return std::nullopt;
}

std::map<std::string, base::Ref<BitmapFontConfiguration>>& cache() {
    static std::map<std::string, base::Ref<BitmapFontConfiguration>> configurations;
    return configurations;
}

}

base::Ref<BitmapFontConfiguration> BitmapFontConfiguration::configurationWithFNTFile(
    std::string const& fntFile) {
    auto bytes = FileUtils::readFile(FileUtils::fullPathFromRelativePath(fntFile), maxFileSize);
    if (!bytes) {
        base::logLine("BitmapFontAtlas: cannot read the font file " + fntFile);
        return nullptr;
    }
    return configurationWithText(std::string(bytes->begin(), bytes->end()), fntFile);
}

base::Ref<BitmapFontConfiguration> BitmapFontConfiguration::configurationWithText(
    std::string_view text, std::string const& origin) {
    auto configuration = base::make<BitmapFontConfiguration>(Private {});
    if (!configuration->parse(text, origin))
        return nullptr;
    return configuration;
}

bool BitmapFontConfiguration::parse(std::string_view text, std::string const& origin) {
    auto refuse = [&](std::string const& why) {
        base::logLine("BitmapFontAtlas: " + origin + " is refused: " + why);
        return false;
    };
    if (auto form = otherForm(text))
        return refuse(std::string(*form) + "; only the text form is read");
    for (std::string_view line : lines(text)) {
        if (line.starts_with("common lineHeight")) {
            auto v = values(line, 5);
            if (!v)
                return refuse("a common line without its five values");
            commonHeight_ = unsigned(std::max((*v)[0], 0));
            if ((*v)[2] > maxPageSide || (*v)[3] > maxPageSide)
                return refuse("page can't be larger than 1024x1024");
            if ((*v)[4] != 1)
                return refuse("only supports 1 page");
        } else if (line.starts_with("chars c")) {
            continue;
        } else if (line.starts_with("char")) {
            auto v = values(line, 8);
            if (!v)
                return refuse("a char line without its eight values");
            int code = (*v)[0];
            if (code < 0 || code > 255) {
                base::logLine("BitmapFontAtlas: " + origin + ": character " + std::to_string(code)
                    + " is beyond the 256 the font holds; passed over");
                continue;
            }
            auto& def = bitmapFontArray_[std::size_t(code)];
            def.charID = std::uint8_t(code);
            def.rect = {{float((*v)[1]), float((*v)[2])}, {float((*v)[3]), float((*v)[4])}};
            def.xOffset = (*v)[5];
            def.yOffset = (*v)[6];
            def.xAdvance = (*v)[7];
        } else if (line.starts_with("kernings count")) {
            if (hasKerning_)
                return refuse("dictionary already initialized");
            auto v = values(line, 1);
            if (!v)
                return refuse("a kernings line without its count");
            hasKerning_ = (*v)[0] != -1;
        } else if (line.starts_with("kerning first")) {
            auto v = values(line, 3);
            if (!v)
                return refuse("a kerning line without its three values");
            if (hasKerning_)
                kerningDictionary_[{unsigned((*v)[0]), unsigned((*v)[1])}] = (*v)[2];
        }
    }
    return true;
}

int BitmapFontConfiguration::kerningAmount(unsigned first, unsigned second) const {
    auto found = kerningDictionary_.find({first, second});
    return found == kerningDictionary_.end() ? 0 : found->second;
}

std::optional<std::string> BitmapFontConfiguration::sheetNameFromText(
    std::string_view text, std::string const& origin) {
    for (std::string_view line : lines(text)) {
        if (!line.starts_with("page id="))
            continue;
        auto page = values(line, 1);
        if (!page || (*page)[0] != 0) {
            base::logLine("BitmapFontAtlas: " + origin + " is refused: only supports 1 page");
            return std::nullopt;
        }
        std::size_t second = line.find('=', line.find('=') + 1);
        std::size_t open = second == std::string_view::npos ? second : line.find('"', second);
        std::size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
        if (close == std::string_view::npos) {
            base::logLine("BitmapFontAtlas: " + origin + " names no sheet image");
            return std::nullopt;
        }
        std::string name(line.substr(open + 1, close - open - 1));
        std::filesystem::path path(name);
        bool climbs = false;
        for (auto const& part : path)
            climbs = climbs || part == "..";
        if (name.empty() || path.is_absolute() || climbs) {
            base::logLine("BitmapFontAtlas: " + origin + " names the sheet \"" + name
                + "\", which is no file of its own");
            return std::nullopt;
        }
        return name;
    }
    base::logLine("BitmapFontAtlas: " + origin + " names no sheet image");
    return std::nullopt;
}

base::Ref<BitmapFontConfiguration> CachedFontConfiguration(std::string const& fntFile) {
    auto& configurations = cache();
    auto found = configurations.find(fntFile);
    if (found != configurations.end())
        return found->second;
    auto configuration = BitmapFontConfiguration::configurationWithFNTFile(fntFile);
    if (configuration)
        configurations.emplace(fntFile, configuration);
    return configuration;
}

void purgeCachedFontConfigurations() {
    cache().clear();
}

}

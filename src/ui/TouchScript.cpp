#include <ui/TouchScript.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace ui {

namespace {

constexpr char const* expected
    = "expected \"<frame> down|move|up <x> <y>\", \"<frame> key <c>\" or \"<frame> open <url>\"";

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            result.push_back(line.substr(start, i - start));
    }
    return result;
}

bool parseNumber(std::string_view word, float& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && std::isfinite(value);
}

bool parseFrame(std::string_view word, std::uint64_t& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

// One printable ASCII character, as the key that types it.
bool parseKey(std::string_view word, std::int32_t& key) {
    if (word.size() != 1 || word[0] <= ' ' || word[0] > '~')
        return false;
    char c = word[0];
    key = c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    return true;
}

std::optional<graphics::PointerEvent::Phase> parsePhase(std::string_view word) {
    using Phase = graphics::PointerEvent::Phase;
    if (word == "down")
        return Phase::Began;
    if (word == "move")
        return Phase::Moved;
    if (word == "up")
        return Phase::Ended;
    return std::nullopt;
}

}

std::optional<TouchScript> TouchScript::parse(std::string_view text, std::string& error) {
    TouchScript script;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        auto parts = words(line);
        if (parts.empty() || parts[0].front() == '#')
            continue;
        Step step;
        auto fail = [&] {
            error = "line " + std::to_string(lineNumber) + ": " + expected + ", not \""
                + std::string(line) + "\"";
        };
        if (parts.size() >= 2 && parts[1] == "key") {
            if (parts.size() != 3 || !parseFrame(parts[0], step.frame)
                || !parseKey(parts[2], step.key)) {
                fail();
                return std::nullopt;
            }
            step.kind = Step::Kind::Key;
            script.steps_.push_back(step);
            continue;
        }
        if (parts.size() >= 2 && parts[1] == "open") {
            if (parts.size() != 3 || !parseFrame(parts[0], step.frame)) {
                fail();
                return std::nullopt;
            }
            step.kind = Step::Kind::OpenURL;
            step.url = std::string(parts[2]);
            script.steps_.push_back(std::move(step));
            continue;
        }
        auto phase = parts.size() == 4 ? parsePhase(parts[1]) : std::nullopt;
        if (parts.size() != 4 || !parseFrame(parts[0], step.frame) || !phase
            || !parseNumber(parts[2], step.x) || !parseNumber(parts[3], step.y)) {
            fail();
            return std::nullopt;
        }
        step.phase = *phase;
        script.steps_.push_back(step);
    }
    std::stable_sort(script.steps_.begin(), script.steps_.end(),
        [](Step const& a, Step const& b) { return a.frame < b.frame; });
    return script;
}

std::optional<TouchScript> TouchScript::read(
    std::filesystem::path const& path, std::string& error) {
    std::error_code ignored;
    std::ifstream file(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, ignored) || !file) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    auto script = parse(contents.str(), error);
    if (!script)
        error = path.string() + ": " + error;
    return script;
}

std::vector<TouchScript::Step> TouchScript::takeDue(std::uint64_t framesDrawn) {
    std::vector<Step> due;
    while (next_ < steps_.size() && steps_[next_].frame <= framesDrawn)
        due.push_back(steps_[next_++]);
    return due;
}

}

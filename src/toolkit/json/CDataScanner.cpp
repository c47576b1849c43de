#include <toolkit/json/CDataScanner.hpp>

#include <base/Exception.hpp>
#include <foundation/Strings.hpp>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace toolkit::json {

namespace {

constexpr auto NumberTable = [] {
    std::array<bool, 256> table {};
    for (char c : std::string_view("0123456789eE-+."))
        table[std::uint8_t(c)] = true;
    return table;
}();

std::optional<std::string> utf8(std::string text) {
    if (!foundation::isValidUtf8(text))
        return std::nullopt;
    return text;
}

bool isLineBreakByte(std::uint8_t c) {
    return c == 0x0A || c == 0x0C || c == 0x0D || c == 0x85;
}

}

bool CDataScanner::isNumberCharacter(std::uint8_t byte) {
    return NumberTable[byte];
}

base::Ref<CDataScanner> CDataScanner::scannerWithData(base::Bytes data) {
    auto scanner = base::make<CDataScanner>();
    scanner->setData(std::move(data));
    return scanner;
}

void CDataScanner::setData(base::Bytes data) {
    data_ = std::move(data);
    current_ = 0;
}

void CDataScanner::setScanLocation(std::size_t location) {
    if (location > data_.size())
        throw base::Exception(base::RangeException,
            "scan location " + std::to_string(location) + " beyond length "
                + std::to_string(data_.size()));
    current_ = location;
}

std::optional<std::uint8_t> CDataScanner::scanCharacter() {
    if (current_ >= data_.size())
        return std::nullopt;
    return data_[current_++];
}

bool CDataScanner::scanUTF8String(char const* textToScan, std::string* intoString) {
    return scanString(std::string_view(textToScan), intoString);
}

bool CDataScanner::scanString(std::string_view textToScan, std::string* intoString) {
    if (bytesRemaining() < textToScan.size()
        || std::memcmp(data_.data() + current_, textToScan.data(), textToScan.size()) != 0)
        return false;
    current_ += textToScan.size();
    if (intoString)
        *intoString = std::string(textToScan);
    return true;
}

bool CDataScanner::scanCharactersFromSet(CharacterTest const& set, std::string* intoString) {
    std::size_t end = current_;
    while (end < data_.size() && set(char32_t(data_[end])))
        ++end;
    if (end == current_)
        return false;
    if (intoString)
        *intoString = text(current_, end);
    current_ = end;
    return true;
}

bool CDataScanner::scanUpToString(std::string_view textToFind, std::string* intoString) {
    // The search does not look past a zero byte.
    auto begin = data_.begin() + std::ptrdiff_t(current_);
    auto limit = std::find(begin, data_.end(), std::uint8_t(0));
    auto found = std::search(begin, limit, textToFind.begin(), textToFind.end(),
        [](std::uint8_t a, char b) { return a == std::uint8_t(b); });
    if (found == limit && !(textToFind.empty() && found == begin))
        return false;
    std::size_t at = std::size_t(found - data_.begin());
    if (intoString)
        *intoString = text(current_, at);
    current_ = at;
    return true;
}

bool CDataScanner::scanUpToCharactersFromSet(CharacterTest const& set, std::string* intoString) {
    std::size_t end = current_;
    while (end < data_.size() && !set(char32_t(data_[end])))
        ++end;
    if (end == current_)
        return false;
    if (intoString)
        *intoString = text(current_, end);
    current_ = end;
    return true;
}

bool CDataScanner::scanNumber(base::Value* number) {
    std::size_t end = current_;
    bool point = false;
    bool minus = false;
    while (end < data_.size() && NumberTable[data_[end]]) {
        point |= data_[end] == '.';
        minus |= data_[end] == '-';
        ++end;
    }
    if (end == current_)
        return false;
    std::string run = text(current_, end);
    current_ = end;
    if (!number)
        return true;
    if (point) {
        *number = base::Value(base::Decimal::fromString(run));
    } else if (minus) {
        *number = base::Value(base::Value::integerFromString(run));
    } else {
        *number = base::Value(std::uint64_t(std::strtoull(run.c_str(), nullptr, 0)));
    }
    return true;
}

bool CDataScanner::scanDecimalNumber(base::Decimal* number) {
    std::size_t end = current_;
    while (end < data_.size() && NumberTable[data_[end]])
        ++end;
    if (end == current_)
        return false;
    if (number)
        *number = base::Decimal::fromString(text(current_, end));
    current_ = end;
    return true;
}

bool CDataScanner::scanDataOfLength(std::size_t length, base::Bytes* intoData) {
    if (bytesRemaining() < length)
        return false;
    if (intoData)
        intoData->assign(data_.begin() + std::ptrdiff_t(current_),
            data_.begin() + std::ptrdiff_t(current_ + length));
    current_ += length;
    return true;
}

std::optional<std::string> CDataScanner::remainingString() const {
    return utf8(text(current_, data_.size()));
}

base::Bytes CDataScanner::remainingData() const {
    return base::Bytes(data_.begin() + std::ptrdiff_t(current_), data_.end());
}

bool CDataScanner::scanCStyleComment(std::string* intoString) {
    if (!scanString("/*"))
        return false;
    std::string comment;
    if (!scanUpToString("*/", &comment))
        throw base::Exception(
            base::GenericException, "Started to scan a C style comment but it wasn't terminated.");
    if (comment.find("/*") != std::string::npos)
        throw base::Exception(base::GenericException, "C style comments should not be nested.");
    if (!scanString("*/"))
        throw base::Exception(base::GenericException, "C style comment did not end correctly.");
    if (intoString)
        *intoString = std::move(comment);
    return true;
}

bool CDataScanner::scanCPlusPlusStyleComment(std::string* intoString) {
    if (!scanString("//"))
        return false;
    std::size_t end = current_;
    while (end < data_.size() && !isLineBreakByte(data_[end]))
        ++end;
    if (intoString)
        *intoString = text(current_, end);
    current_ = end;
    while (current_ < data_.size() && isLineBreakByte(data_[current_]))
        ++current_;
    return true;
}

std::size_t CDataScanner::lineOfScanLocation() const {
    return std::size_t(std::count_if(data_.begin(), data_.begin() + std::ptrdiff_t(current_),
        [](std::uint8_t c) { return c == '\n' || c == '\r'; }));
}

base::Ref<base::Dictionary> CDataScanner::userInfoForScanLocation() const {
    std::size_t lineStart = current_;
    while (lineStart > 0 && data_[lineStart - 1] != '\n' && data_[lineStart - 1] != '\r')
        --lineStart;
    std::size_t before = current_ >= 20 ? current_ - 20 : 0;
    std::size_t after = std::min(data_.size(), current_ + 20);
    auto part = [](std::optional<std::string> const& piece) {
        return piece ? *piece : std::string("(null)");
    };
    std::string snippet
        = part(utf8(text(before, current_))) + "!HERE>!" + part(utf8(text(current_, after)));
    auto info = base::Dictionary::create();
    info->setObject("line", base::Value(std::uint64_t(lineOfScanLocation())));
    info->setObject("character", base::Value(std::uint64_t(current_ - lineStart)));
    info->setObject("location", base::Value(std::uint64_t(current_)));
    info->setObject("snippet", base::Value(std::move(snippet)));
    return info;
}

}

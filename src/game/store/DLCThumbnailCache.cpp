#include <game/store/DLCThumbnailCache.hpp>

#include <game/shell/Utilities.hpp>

#include <graphics/Image.hpp>

#include <algorithm>
#include <cctype>

namespace game {

namespace {

// The extension of the URL's last path component (query and fragment left out),
// with its dot; kept only when it is short and made of letters and digits, so that
// nothing from the URL can shape the path.
std::string extensionOf(std::string_view url) {
    auto end = url.find_first_of("?#");
    auto path = url.substr(0, end);
    auto slash = path.find_last_of('/');
    auto last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    auto dot = last.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    auto extension = last.substr(dot + 1);
    if (extension.empty() || extension.size() > 8
        || !std::all_of(extension.begin(), extension.end(),
            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
        return {};
    return "." + std::string(extension);
}

}

std::string DLCThumbnailCache::fileNameForURL(std::string_view url) {
    if (url.empty())
        return {};
    return Utilities::getMD5(url) + extensionOf(url);
}

std::optional<std::string> DLCThumbnailCache::pathForURL(std::string_view url) {
    auto name = fileNameForURL(url);
    if (name.empty())
        return std::nullopt;
    return Utilities::getPathForSavedData(name);
}

bool DLCThumbnailCache::shouldCache(int status, base::Bytes const& body) {
    if (status != 200 || body.empty())
        return false;
    return graphics::Image::decode(std::span<std::uint8_t const>(body.data(), body.size()))
        .has_value();
}

}

#include <graphics/Font.hpp>

#include <base/Log.hpp>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>

namespace graphics {

namespace {

// How a platform font name is found on this system: the file a Debian package installs,
// else the same family through fontconfig.
struct PlatformFont {
    std::string path;
    std::string family;
    bool bold;
};

constexpr char liberation[] = "/usr/share/fonts/truetype/liberation2/";
constexpr char dejavu[] = "/usr/share/fonts/truetype/dejavu/";

// Liberation Sans has the metrics of Helvetica and Arial; DejaVu Sans (from Bitstream Vera)
// stands in for the wide Verdana and for the menus' marker face. The bundle carries copies of
// the same files under these names.
std::optional<PlatformFont> platformFont(std::string_view name) {
    struct Entry {
        std::string_view name;
        char const* folder;
        char const* file;
        char const* family;
        bool bold;
    };
    static Entry const entries[] = {
        {"Helvetica", liberation, "LiberationSans-Regular.ttf", "Liberation Sans", false},
        {"Helvetica-Bold", liberation, "LiberationSans-Bold.ttf", "Liberation Sans", true},
        {"HelveticaNeue", liberation, "LiberationSans-Regular.ttf", "Liberation Sans", false},
        {"HelveticaNeue-Bold", liberation, "LiberationSans-Bold.ttf", "Liberation Sans", true},
        {"Arial", liberation, "LiberationSans-Regular.ttf", "Liberation Sans", false},
        {"ArialMT", liberation, "LiberationSans-Regular.ttf", "Liberation Sans", false},
        {"Arial-BoldMT", liberation, "LiberationSans-Bold.ttf", "Liberation Sans", true},
        {"Verdana", dejavu, "DejaVuSans.ttf", "DejaVu Sans", false},
        {"Verdana-Bold", dejavu, "DejaVuSans-Bold.ttf", "DejaVu Sans", true},
        {"Marker Felt", dejavu, "DejaVuSans-Bold.ttf", "DejaVu Sans", true},
        {"MarkerFelt-Thin", dejavu, "DejaVuSans-Bold.ttf", "DejaVu Sans", true},
    };
    for (auto const& entry : entries) {
        if (entry.name == name)
            return PlatformFont {std::string(entry.folder) + entry.file, entry.family, entry.bold};
    }
    return std::nullopt;
}

// Loaded on the first search by name, destroyed at exit (fontconfig keeps part of a loaded
// configuration only there, which leak checkers would otherwise report). Only paths copied
// out of it outlive a search.
FcConfig* fontconfig() {
    struct Config {
        FcConfig* config {FcInitLoadConfigAndFonts()};
        ~Config() {
            if (config)
                FcConfigDestroy(config);
        }
    };
    static Config holder;
    return holder.config;
}

// The files of the installed fonts whose property equals value (fontconfig compares names
// without case and blanks): the upright, normal-width face nearest the asked weight, then the
// first by path, so the choice never depends on the order fontconfig lists them in.
// A name as fontconfig compares names: without blanks and case.
std::string folded(std::string_view name) {
    std::string result;
    for (char c : name) {
        if (c != ' ')
            result.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    }
    return result;
}

std::optional<std::string> findInstalled(
    char const* property, std::string const& value, bool bold) {
    FcConfig* config = fontconfig();
    FcFontSet* fonts = config ? FcConfigGetFonts(config, FcSetSystem) : nullptr;
    if (!fonts)
        return std::nullopt;
    std::string const wanted = folded(value);
    auto matches = [&](FcPattern* font) {
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(font, property, n, &name) == FcResultMatch; ++n) {
            if (folded(reinterpret_cast<char const*>(name)) == wanted)
                return true;
        }
        return false;
    };

    std::optional<std::pair<int, std::string>> best;
    int wantedWeight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* file = nullptr;
        if (!matches(font) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, width = FC_WIDTH_NORMAL;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        FcPatternGetInteger(font, FC_WIDTH, 0, &width);
        int distance = std::abs(weight - wantedWeight) + std::abs(width - FC_WIDTH_NORMAL)
            + (slant == FC_SLANT_ROMAN ? 0 : 1000);
        std::pair<int, std::string> candidate {distance, reinterpret_cast<char const*>(file)};
        if (!best || candidate < *best)
            best = std::move(candidate);
    }
    if (!best)
        return std::nullopt;
    return best->second;
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, base::Ref<FontFace>, std::less<>> registered;
    // Loaded files by path; a failed path is remembered as null so it is not read again.
    std::map<std::string, base::Ref<FontFace>, std::less<>> byPath;
    // Names already resolved, with the path they resolved to (empty when none did).
    std::map<std::string, std::string, std::less<>> byName;
};

Registry& registry() {
    static Registry registry;
    return registry;
}

base::Ref<FontFace> faceAtPath(Registry& registry, std::string const& path) {
    auto found = registry.byPath.find(path);
    if (found != registry.byPath.end())
        return found->second;
    std::error_code error;
    base::Ref<FontFace> face;
    if (std::filesystem::is_regular_file(path, error))
        face = FontFace::createWithFile(path);
    registry.byPath.emplace(path, face);
    return face;
}

std::string resolvePath(std::string_view name) {
    std::error_code error;
    if (auto known = platformFont(name)) {
        if (std::filesystem::is_regular_file(known->path, error))
            return known->path;
        if (auto installed = findInstalled(FC_FAMILY, known->family, known->bold))
            return *installed;
        return {};
    }
    std::string wanted(name);
    for (char const* property : {FC_POSTSCRIPT_NAME, FC_FULLNAME, FC_FAMILY}) {
        if (auto installed = findInstalled(property, wanted, false))
            return *installed;
    }
    return {};
}

base::Ref<FontFace> faceNamed(std::string_view name) {
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    if (auto found = reg.registered.find(name); found != reg.registered.end())
        return found->second;
    auto resolved = reg.byName.find(name);
    if (resolved == reg.byName.end())
        resolved = reg.byName.emplace(std::string(name), resolvePath(name)).first;
    if (resolved->second.empty())
        return nullptr;
    return faceAtPath(reg, resolved->second);
}

bool validSize(float pointSize) {
    return std::isfinite(pointSize) && pointSize > 0;
}

}

Font::Font(Private, std::string name, base::Ref<FontFace> face, float pointSize)
    : fontName_(std::move(name))
    , face_(std::move(face))
    , pointSize_(pointSize) {
}

base::Ref<Font> Font::fontWithName(std::string_view name, float pointSize) {
    if (!validSize(pointSize))
        return nullptr;
    auto face = faceNamed(name);
    if (!face)
        return nullptr;
    return base::make<Font>(Private {}, std::string(name), std::move(face), pointSize);
}

base::Ref<Font> Font::systemFontOfSize(float pointSize) {
    return fontWithName("Helvetica", pointSize);
}

base::Ref<Font> Font::boldSystemFontOfSize(float pointSize) {
    return fontWithName("Helvetica-Bold", pointSize);
}

bool Font::registerFontFile(std::string name, std::filesystem::path const& path) {
    auto face = FontFace::createWithFile(path);
    if (!face) {
        base::logLine("Font: " + path.string() + " cannot be registered as \"" + name + "\"");
        return false;
    }
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.registered[std::move(name)] = std::move(face);
    return true;
}

void Font::removeRegisteredFonts() {
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.registered.clear();
}

base::Ref<Font> Font::fontWithSize(float pointSize) const {
    if (!validSize(pointSize))
        return nullptr;
    return base::make<Font>(Private {}, fontName_, face_, pointSize);
}

float Font::lineHeight() const {
    return scaled(face_->ascent() - face_->descent() + face_->lineGap());
}

}

// The Meridian Media client's readers of the ad server's replies: the JSON ad (image
// or video, with its buttons), the handshake, the headers of an ad reply, and the
// targeting string built from the owner's data. The first byte picks the reader
// (its value modulo 4); the rest is the input. A JSON ad always ends with a known
// type and archives and decodes again as a video ad; a handshake reply changes
// settings only as a whole; reply headers are read only under a plain positive
// Content-Length; every targeting key and value stays one escaped pair.
#include "FuzzSupport.hpp"

#include <ads/meridian/MERGenericAdView.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MERJSONAd.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Sandbox.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// Lines of "Name: value" (a line without ":" is a name with an empty value).
void readReplyHeaders(std::string_view text) {
    foundation::HTTPHeaderFields fields;
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view {} : text.substr(end + 1);
        auto colon = line.find(':');
        auto name = line.substr(0, colon);
        auto value = colon == std::string_view::npos ? std::string_view {} : line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ')
            value.remove_prefix(1);
        fields.add(name, value);
    }
    auto headers = ads::meridian::MERAdReplyHeaders::read(fields);
    if (headers.mimeType) {
        FUZZ_CHECK(std::none_of(headers.mimeType->begin(), headers.mimeType->end(),
            [](char c) { return c >= 'A' && c <= 'Z'; }));
    }
    auto const* length = fields.find("Content-Length");
    bool const counted = length && !length->empty()
        && length->find_first_not_of("0123456789 \t") == std::string::npos
        && length->find_first_of("123456789") != std::string::npos;
    if (!counted)
        FUZZ_CHECK(!headers.restartTimer && !headers.videoAd && !headers.openClickInBrowser);
}

// Lines of "key=value" (split at the first "=").
void buildTargeting(std::string_view text) {
    ads::meridian::MERRequestData data;
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view {} : text.substr(end + 1);
        auto equals = line.find('=');
        data.emplace_back(std::string(line.substr(0, equals)),
            equals == std::string_view::npos ? std::string()
                                             : std::string(line.substr(equals + 1)));
    }
    auto targeting = ads::meridian::MERTargeting::fromRequestData(data);
    if (targeting.invalid) {
        FUZZ_CHECK(targeting.query.empty());
        return;
    }
    FUZZ_CHECK(std::count(targeting.query.begin(), targeting.query.end(), '&')
        == std::ptrdiff_t(data.size()));
    FUZZ_CHECK(std::count(targeting.query.begin(), targeting.query.end(), '=')
        == std::ptrdiff_t(data.size()));
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    static bool const sandboxed = [] {
        auto root = std::filesystem::temp_directory_path() / "quillaby-meridian-fuzz";
        foundation::Sandbox::setRoot(root.string());
        return true;
    }();
    (void)sandboxed;
    if (size == 0)
        return 0;
    std::string_view body(reinterpret_cast<char const*>(data + 1), size - 1);

    if (data[0] % 4 == 2) {
        readReplyHeaders(body);
        return 0;
    }
    if (data[0] % 4 == 3) {
        buildTargeting(body);
        return 0;
    }
    if (data[0] % 2 == 0) {
        using ads::meridian::MERJSONAd;
        auto ad = MERJSONAd::initWithJSONAd(foundation::ByteView(data + 1, size - 1), nullptr);
        int type = ad->adType();
        FUZZ_CHECK(
            type == MERJSONAd::Image || type == MERJSONAd::Video || type == MERJSONAd::Other);
        for (auto const& button : ad->videoButtons())
            (void)button->description();
        auto archive = foundation::KeyedArchiver::archivedDataWithRootObject(ad);
        FUZZ_CHECK(archive.has_value());
        auto back = foundation::KeyedUnarchiver::unarchiveObjectWithData<MERJSONAd>(*archive);
        FUZZ_CHECK(back && back->adType() == MERJSONAd::Video);
        FUZZ_CHECK(back->videoId() == ad->videoId());
        FUZZ_CHECK(back->videoButtons().size() == ad->videoButtons().size());
        return 0;
    }

    auto& handshake = ads::meridian::MERHandshake::sharedHandshake();
    handshake.takeReply(body, false);
    for (int type = 0; type <= 6; ++type) {
        auto configuration = handshake.configurationForAdType(type);
        FUZZ_CHECK(configuration.adType == type);
        FUZZ_CHECK(configuration.adRefresh == -1 || configuration.adRefresh > 0);
        FUZZ_CHECK(configuration.videoInterval == -1 || configuration.videoInterval > 0);
    }
    return 0;
}

// The Meridian Media client's readers of the ad server's replies: the JSON ad (image
// or video, with its buttons) and the handshake. The first byte picks the reader; the
// rest is the reply's body. A JSON ad always ends with a known type and archives and
// decodes again as a video ad; a handshake reply changes settings only as a whole.
#include "FuzzSupport.hpp"

#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MERJSONAd.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Sandbox.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

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

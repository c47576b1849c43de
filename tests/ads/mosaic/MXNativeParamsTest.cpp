#include <ads/mosaic/MXAdnoriaAdapter.hpp>
#include <ads/mosaic/MXMeridianAdapter.hpp>
#include <ads/mosaic/MXNativeParams.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using ads::mosaic::MXAdnoriaAdapter;
using ads::mosaic::MXMeridianAdapter;
using ads::mosaic::MXNativeParams;

TEST(MXNativeParams, SizesForEachNetworkAndHostileValuesRefused) {
    struct Case {
        char const* name;
        // None: no header at all.
        std::optional<std::string> header;
        // The Adnoria banner's size and the Meridian view's size and type; a size of -1
        // means the header is refused and the load fails.
        float adnoriaWidth;
        float adnoriaHeight;
        float meridianWidth;
        int meridianType;
        std::optional<std::string> adUnitID;
    };
    std::string const huge = std::string(R"({"adWidth": 320, "adHeight": 50, "adUnitID": ")")
        + std::string(MXNativeParams::maximumLength, 'x') + "\"}";
    Case const cases[] = {
        {"absent", std::nullopt, 320, 50, 320, 1, std::nullopt},
        {"blank", "  ", 320, 50, 320, 1, std::nullopt},
        {"empty object", "{}", 320, 50, 320, 1, std::nullopt},
        {"banner", R"({"adWidth": 320, "adHeight": 50, "adUnitID": "u-1"})", 320, 50, 320, 1,
            "u-1"},
        {"rectangle", R"({"adWidth": 300, "adHeight": 250, "adUnitID": "u-2"})", 300, 250, 300, 3,
            "u-2"},
        {"rectangle as texts", R"({"adWidth": "300", "adHeight": "250.0"})", 300, 250, 300, 3,
            std::nullopt},
        {"small", R"({"adWidth": 100, "adHeight": 20})", 320, 50, 320, 1, std::nullopt},
        {"leaderboard", R"({"adWidth": 728, "adHeight": 90})", 728, 90, 320, 1, std::nullopt},
        {"null values", R"({"adWidth": null, "adHeight": null, "adUnitID": null})", 320, 50, 320, 1,
            std::nullopt},
        {"negative", R"({"adWidth": -300, "adHeight": 250})", -1, -1, -1, 0, std::nullopt},
        {"huge", R"({"adWidth": 99999999999999999999999, "adHeight": 250})", -1, -1, -1, 0,
            std::nullopt},
        {"huge real", R"({"adWidth": 320, "adHeight": 123456789.5})", -1, -1, -1, 0, std::nullopt},
        {"just too wide", R"({"adWidth": 2049, "adHeight": 50})", -1, -1, -1, 0, std::nullopt},
        {"not a number", R"({"adWidth": "NaN", "adHeight": 50})", -1, -1, -1, 0, std::nullopt},
        {"infinite text", R"({"adWidth": "inf", "adHeight": 50})", -1, -1, -1, 0, std::nullopt},
        {"number with tail", R"({"adWidth": "300px", "adHeight": 250})", -1, -1, -1, 0,
            std::nullopt},
        {"boolean size", R"({"adWidth": true, "adHeight": 250})", -1, -1, -1, 0, std::nullopt},
        {"object size", R"({"adWidth": {"w": 1}, "adHeight": 250})", -1, -1, -1, 0, std::nullopt},
        {"number id", R"({"adWidth": 320, "adHeight": 50, "adUnitID": 7})", -1, -1, -1, 0,
            std::nullopt},
        {"not JSON", "adWidth=300&adHeight=250", -1, -1, -1, 0, std::nullopt},
        {"array", "[300, 250]", -1, -1, -1, 0, std::nullopt},
        {"truncated", R"({"adWidth": 300, "adHei)", -1, -1, -1, 0, std::nullopt},
        {"too long", huge, -1, -1, -1, 0, std::nullopt},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        foundation::HTTPHeaderFields headers;
        if (c.header)
            headers.set(MXNativeParams::headerName, *c.header);
        auto const params = MXNativeParams::fromHeaders(headers);
        if (c.adnoriaWidth < 0) {
            EXPECT_FALSE(params);
            continue;
        }
        ASSERT_TRUE(params);
        EXPECT_EQ(params->adUnitID, c.adUnitID);
        EXPECT_EQ(MXAdnoriaAdapter::bannerFrameForParams(*params),
            graphics::makeRect(0, 0, c.adnoriaWidth, c.adnoriaHeight));
        auto meridian = MXMeridianAdapter::initWithAdapterDelegate(nullptr);
        meridian->applyNativeParams(*params);
        EXPECT_EQ(meridian->merAdType(), c.meridianType);
        EXPECT_EQ(meridian->merAdSize(),
            graphics::makeSize(c.meridianWidth, c.meridianType == 3 ? 250 : 53));
        EXPECT_EQ(meridian->merAdApid(), c.adUnitID.value_or(""));
    }
}

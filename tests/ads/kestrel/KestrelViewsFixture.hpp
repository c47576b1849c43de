#pragma once

#include "GoldenReply.hpp"

#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Window.hpp>

#include <string>
#include <vector>

namespace test {

// The golden reply with the surfaces' artwork added: images 31, 41 and 51 and the
// image codes of the banner badges (8 free, 9 paid, 10 and 11 their landscape reward
// twins) before its end-of-message block. With canvasHooks of 0 or more, it also carries
// the art of the canvas and the takeover (every code they use) and the hooks
// "Kestrel_Canvas_Hook_1" up to that number, each with an ad block of one ad of its own
// (ad 200 + i, "Extra i", free when i is odd); the unnamed hook, which answers for every
// other hook name, then has no ads, so the canvas hooks beyond that number stay empty.
// With bright, images 31, 41 and 51 are larger and lighter (64 x 64, 160 x 40 and
// 320 x 48), for pictures a person looks at.
inline base::Bytes viewsReply(int canvasHooks = -1, bool bright = false) {
    auto golden = goldenReply();
    // The golden reply's last block before the end of the message.
    auto endStart = golden.blockStarts.back();
    ReplyWriter reply;
    reply.raw(base::Bytes(golden.bytes.begin(), golden.bytes.begin() + long(endStart)));
    auto images = ReplyWriter().u16(3);
    struct Art {
        int id, red, width, height;
    };
    Art const plain[] = {{31, 31, 6, 3}, {41, 41, 6, 3}, {51, 51, 6, 3}};
    Art const light[] = {{31, 230, 64, 64}, {41, 120, 160, 40}, {51, 190, 320, 48}};
    for (auto const& art : bright ? light : plain) {
        auto png = pngOf(art.width, art.height, std::uint8_t(art.red));
        images.i64(art.id)
            .i32(art.width)
            .i32(art.height)
            .str("image/png")
            .u32(std::uint32_t(png.size()))
            .raw(png);
    }
    reply.block(0x0106, images);
    reply.block(
        0x010C, ReplyWriter().u32(4).i64(11).i16(8).i64(21).i16(9).i64(31).i16(10).i64(41).i16(11));
    // Banner geometry of a real size for theme 3: ad and icon sizes and the icon's place
    // per orientation, then the places and sizes of the portrait and landscape texts
    // (sell message, app name, advertiser).
    ReplyWriter extension;
    extension.u8(1).u8(3);
    extension.style("Arial", 16, 0x00112233)
        .style("Arial", 17, 0x00445566)
        .style("Arial", 12, 0x00778899);
    for (int v : {320, 48, 40, 40, 4, 4, 480, 48, 40, 40, 6, 4, //
             50, 26, 50, 4, 50, 34, //
             190, 20, 190, 20, 190, 12, //
             60, 26, 60, 4, 260, 4, //
             300, 20, 190, 20, 140, 20})
        extension.i32(v);
    reply.block(0x010F, extension);
    if (canvasHooks >= 0) {
        std::vector<std::pair<std::int64_t, std::int16_t>> codes;
        // The masks laid over icons (17, 24, 25) are left out: solid art would hide the
        // icons.
        // Free and paid twins (12/13, 15/16, 33/5) are told apart by their images.
        for (std::int16_t code : {1, 12, 14, 15, 20, 22, 31, 33, 42, 44})
            codes.push_back({51, code});
        for (std::int16_t code : {13, 16, 18, 19, 5, 6, 30, 43, 48})
            codes.push_back({41, code});
        ReplyWriter art;
        art.u32(std::uint32_t(codes.size()));
        for (auto [id, code] : codes)
            art.i64(id).i16(code);
        reply.block(0x010C, art);
        ReplyWriter hooks;
        hooks.u32(std::uint32_t(canvasHooks + 1)).str("").u8(99).u8(3);
        for (int i = 1; i <= canvasHooks; ++i) {
            hooks.str("Kestrel_Canvas_Hook_" + std::to_string(i)).u8(std::uint8_t(10 + i)).u8(3);
            reply.block(0x0103,
                ReplyWriter()
                    .u8(std::uint8_t(10 + i))
                    .u16(1)
                    .i64(200 + i)
                    .i64(9100 + i)
                    .str("Extra " + std::to_string(i))
                    .str("Maker " + std::to_string(i))
                    .i64(0)
                    .i64(31)
                    .u8(0));
            reply.block(0x0110,
                ReplyWriter().i64(200 + i).str("More fun " + std::to_string(i)).i32(i % 2 ? 0 : 2));
        }
        reply.block(0x0107, hooks);
    }
    reply.end();
    return reply.bytes;
}

inline void expectRect(
    graphics::Rect const& actual, graphics::Rect const& expected, std::string const& what) {
    EXPECT_FLOAT_EQ(actual.origin.x, expected.origin.x) << what;
    EXPECT_FLOAT_EQ(actual.origin.y, expected.origin.y) << what;
    EXPECT_FLOAT_EQ(actual.size.width, expected.size.width) << what;
    EXPECT_FLOAT_EQ(actual.size.height, expected.size.height) << what;
}

// The ad client's views over the parsed reply: a current session, the ad service at a
// fixed base URL, a phone in portrait and a key window of the phone's size.
class KestrelViewsTest : public KestrelTest {
protected:
    KestrelViewsTest() {
        ui::Application::reset();
        ui::Device::reset();
        startSession();
        ads::kestrel::KestrelAdLoop::setAdServiceBaseURL("http://ads.test");
        window = ui::Window::create(graphics::makeRect(0, 0, 320, 480));
        window->makeKeyAndVisible();
        host = ui::View::create(graphics::makeRect(0, 0, 320, 480));
        window->addSubview(host);
    }
    ~KestrelViewsTest() override {
        ads::kestrel::KestrelAdCanvasViewController::freeOpenCanvasController();
        ads::kestrel::KestrelAdTakeOverViewController::freeOpenTakeOverController();
        foundation::RunLoop::main().reset();
        host = nullptr;
        window = nullptr;
        ui::Application::reset();
        ui::Device::reset();
    }

    void parseViewsReply(int canvasHooks = -1) { ASSERT_TRUE(parse(viewsReply(canvasHooks))); }

    static void heartBeat() {
        foundation::NotificationCenter::defaultCenter().postNotification(
            "KestrelHeartBeatNotification");
    }

    // The states the impression has recorded, in order.
    static std::vector<int> statesOf(ads::kestrel::KestrelAdImpression const* impression) {
        std::vector<int> states;
        if (impression) {
            for (auto const& state : impression->adStates())
                states.push_back(state->state());
        }
        return states;
    }

    base::Ref<ui::Window> window;
    base::Ref<ui::View> host;
};

}

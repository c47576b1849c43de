#pragma once

#include "GoldenReply.hpp"

#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Window.hpp>

#include <vector>

namespace test {

// The golden reply with the surfaces' artwork added: images 31, 41 and 51 and the
// image codes of the banner badges (8 free, 9 paid, 10 and 11 their landscape reward
// twins) before its end-of-message block.
inline base::Bytes viewsReply() {
    auto golden = goldenReply();
    // The golden reply's last block before the end of the message.
    auto endStart = golden.blockStarts.back();
    ReplyWriter reply;
    reply.raw(base::Bytes(golden.bytes.begin(), golden.bytes.begin() + long(endStart)));
    auto images = ReplyWriter().u16(3);
    for (auto [id, red] : {std::pair {31, 31}, std::pair {41, 41}, std::pair {51, 51}}) {
        auto png = pngOf(6, 3, std::uint8_t(red));
        images.i64(id).i32(6).i32(3).str("image/png").u32(std::uint32_t(png.size())).raw(png);
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
    reply.end();
    return reply.bytes;
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
        foundation::RunLoop::main().reset();
        host = nullptr;
        window = nullptr;
        ui::Application::reset();
        ui::Device::reset();
    }

    void parseViewsReply() { ASSERT_TRUE(parse(viewsReply())); }

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

#pragma once

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelSession.hpp>
#include <analytics/KestrelUtil.hpp>

#include <support/TempDir.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>
#include <graphics/Image.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

// Writes the big-endian fields of an ad reply.
class ReplyWriter {
public:
    ReplyWriter& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    ReplyWriter& u16(std::uint16_t v) { return put(v, 2); }
    ReplyWriter& u32(std::uint32_t v) { return put(v, 4); }
    ReplyWriter& i16(std::int16_t v) { return put(std::uint16_t(v), 2); }
    ReplyWriter& i32(std::int32_t v) { return put(std::uint32_t(v), 4); }
    ReplyWriter& i64(std::int64_t v) { return put(std::uint64_t(v), 8); }
    ReplyWriter& str(std::string const& text) {
        u16(std::uint16_t(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    ReplyWriter& raw(base::Bytes const& data) {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    // A text style: font, size, colour.
    ReplyWriter& style(std::string const& font, std::int16_t size, std::uint32_t color) {
        return str(font).i16(size).u32(color);
    }
    // A tagged block holding the payload.
    ReplyWriter& block(std::uint16_t tag, ReplyWriter const& payload) {
        u16(tag).u32(std::uint32_t(payload.bytes.size()));
        return raw(payload.bytes);
    }
    ReplyWriter& end() { return block(0x0108, {}); }

    base::Bytes bytes;

private:
    ReplyWriter& put(std::uint64_t v, int count) {
        for (int i = count - 1; i >= 0; --i)
            bytes.push_back(std::uint8_t(v >> (8 * i)));
        return *this;
    }
};

// A small PNG of one colour.
inline base::Bytes pngOf(int width, int height, std::uint8_t red) {
    graphics::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, {red, 10, 20, 255});
    }
    return *image.encodePNG();
}

// Records what the parser tells its delegate.
class RecordingAdDelegate final : public ads::kestrel::KestrelAdDelegate {
public:
    void dataAvailable() override { calls.push_back("dataAvailable"); }
    void dataUnavailable() override { calls.push_back("dataUnavailable"); }
    std::vector<std::string> calls;
};

// The ad client over a fresh sandbox with the agent's real file and image caches, a
// current analytics session and a manual clock; every process-wide state of the
// client and the agent is reset before and after.
class KestrelTest : public ::testing::Test {
protected:
    KestrelTest()
        : previousRoot_(foundation::Sandbox::root()) {
        foundation::Sandbox::setRoot(dir.path().string());
        resetAll();
        analytics::KestrelSession::setDeviceIdentifier("DEVICE-1");
        startCaches();
    }
    ~KestrelTest() override {
        settle();
        resetAll();
        foundation::Sandbox::setRoot(previousRoot_);
    }

    static void resetAll() {
        ads::kestrel::KestrelAdParser::resetInstances();
        ads::kestrel::KestrelAdLoop::reset();
        ads::kestrel::KestrelAdAssignment::resetInstance();
        ads::kestrel::KestrelAdProperties::reset();
        ads::kestrel::KestrelAdImpression::setAdNetworkDomain(std::nullopt);
        analytics::KestrelAnalytics::reset();
        analytics::KestrelSession::resetClassState();
        analytics::KestrelImageCache::resetInstance();
        analytics::KestrelFileCache::resetInstance();
        analytics::KestrelUtil::setDebugLogEnabled(false);
        foundation::RunLoop::main().reset();
    }

    static void startCaches() {
        auto files = analytics::KestrelFileCache::createInstanceWithApiKey("APIKEY", "53");
        analytics::KestrelImageCache::createInstanceWithFileCache(files.get());
    }

    // The process ends and starts again: nothing in memory survives, the files do.
    static void relaunch() {
        ads::kestrel::KestrelAdParser::resetInstances();
        ads::kestrel::KestrelAdAssignment::resetInstance();
        analytics::KestrelImageCache::resetInstance();
        analytics::KestrelFileCache::resetInstance();
        startCaches();
    }

    base::Ref<analytics::KestrelSession> startSession(std::string key = "APIKEY") {
        auto session = analytics::KestrelSession::initWithAPIKey(std::move(key), "1.0");
        analytics::KestrelSession::setCurrentSession(session);
        return session;
    }

    static void settle() {
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(30));
        while (foundation::RunLoop::main().runPending()) { }
    }

    static std::uint8_t const* parse(base::Bytes const& reply) {
        return ads::kestrel::KestrelAdParser::instance()->parseData(reply.data(), reply.size());
    }

    TempDir dir;
    foundation::ScopedManualClock clock;

private:
    std::string previousRoot_;
};

}

#pragma once

#include "SandboxFixture.hpp"

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelSession.hpp>

#include <ui/Application.hpp>
#include <ui/Device.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace test {

// The analytics agent in a fresh sandbox under a manual clock, with the agent's
// process-wide state reset before and after. Uploads run on detached threads;
// settle() waits for them and runs what they handed to the main run loop.
class AgentTest : public AnalyticsSandboxTest {
protected:
    AgentTest() {
        analytics::KestrelAnalytics::reset();
        foundation::RunLoop::main().reset();
    }
    ~AgentTest() override {
        settle();
        analytics::KestrelAnalytics::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Device::reset();
    }

    void settle() {
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(30));
        while (foundation::RunLoop::main().runPending()) { }
    }

    static std::vector<base::Bytes> saved() { return analytics::KestrelSession::savedSessions(); }

    foundation::ScopedManualClock clock;
};

// Reads the report's big-endian fields in order; a read past the end throws.
class ReportReader {
public:
    explicit ReportReader(base::Bytes bytes)
        : bytes_(std::move(bytes)) { }

    std::uint8_t u8() { return take(1)[0]; }
    bool boolean() { return u8() != 0; }
    std::uint16_t u16() {
        auto* p = take(2);
        return std::uint16_t((p[0] << 8) | p[1]);
    }
    std::int32_t i32() { return std::int32_t(std::uint32_t(unsignedOf(4))); }
    std::int64_t i64() { return std::int64_t(unsignedOf(8)); }
    float f32() {
        auto bits = std::uint32_t(unsignedOf(4));
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    double f64() {
        auto bits = unsignedOf(8);
        double value;
        std::memcpy(&value, &bits, 8);
        return value;
    }
    std::string string() {
        auto length = u16();
        auto* p = take(length);
        return std::string(reinterpret_cast<char const*>(p), length);
    }
    bool atEnd() const { return at_ == bytes_.size(); }
    std::size_t position() const { return at_; }

    struct Event {
        std::string name;
        std::vector<std::pair<std::string, std::string>> parameters;
        std::int64_t offset {0};
        std::int64_t duration {0};
    };
    struct Session {
        std::uint16_t version {0};
        std::string appVersion;
        std::int64_t start {0};
        std::int64_t length {0};
        std::int64_t pauseTotal {0};
        std::string locale;
        std::string timeZone;
        bool internet {false};
        std::string userID;
        double latitude {0};
        double longitude {0};
        float accuracy {0};
        std::int32_t pageViews {0};
        std::uint8_t gender {0};
        std::optional<std::int64_t> birth;
        std::vector<std::pair<std::string, std::int32_t>> counts;
        std::vector<Event> events;
        bool complete {false};
        std::int32_t totalErrors {0};
        std::vector<std::vector<std::string>> errors;
    };
    // One session record (without ad impressions).
    Session session() {
        Session s;
        s.version = u16();
        s.appVersion = string();
        s.start = i64();
        s.length = i64();
        s.pauseTotal = i64();
        s.locale = string();
        s.timeZone = string();
        s.internet = boolean();
        s.userID = string();
        EXPECT_TRUE(boolean());
        s.latitude = f64();
        s.longitude = f64();
        s.accuracy = f32();
        s.pageViews = i32();
        EXPECT_EQ(u8(), 0);
        EXPECT_EQ(u8(), 0);
        s.gender = u8();
        if (boolean())
            s.birth = i64();
        for (int n = u16(); n > 0; --n) {
            auto name = string();
            s.counts.emplace_back(name, i32());
        }
        for (int n = u16(); n > 0; --n) {
            Event event;
            event.name = string();
            for (int p = u16(); p > 0; --p) {
                auto key = string();
                event.parameters.emplace_back(key, string());
            }
            event.offset = i64();
            event.duration = i64();
            s.events.push_back(std::move(event));
        }
        s.complete = boolean();
        s.totalErrors = i32();
        for (int n = u16(); n > 0; --n) {
            std::vector<std::string> error {std::to_string(i64())};
            error.push_back(string());
            error.push_back(string());
            error.push_back(string());
            s.errors.push_back(std::move(error));
        }
        EXPECT_EQ(u16(), 0) << "no ad impressions expected";
        return s;
    }

    struct Report {
        std::string apiKey;
        std::string appVersion;
        std::string deviceId;
        std::int64_t firstUse {0};
        std::int64_t sessionStart {0};
        std::vector<Session> sessions;
    };
    // A whole report without ad kinds or cached images.
    Report report() {
        Report r;
        EXPECT_EQ(u16(), 17);
        EXPECT_EQ(u16(), 0);
        i64();
        EXPECT_EQ(u16(), 0);
        u16();
        EXPECT_EQ(u16(), 53);
        i64();
        r.apiKey = string();
        r.appVersion = string();
        EXPECT_EQ(u16(), 0);
        r.deviceId = string();
        r.firstUse = i64();
        r.sessionStart = i64();
        for (int n = u16(); n > 0; --n) {
            string();
            string();
        }
        for (int n = u16(); n > 0; --n)
            r.sessions.push_back(session());
        EXPECT_TRUE(atEnd());
        return r;
    }

private:
    std::uint8_t const* take(std::size_t count) {
        if (bytes_.size() - at_ < count)
            throw std::out_of_range("report read past its end");
        auto* p = bytes_.data() + at_;
        at_ += count;
        return p;
    }
    std::uint64_t unsignedOf(int count) {
        auto* p = take(std::size_t(count));
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | p[i];
        return value;
    }

    base::Bytes bytes_;
    std::size_t at_ {0};
};

inline ReportReader::Session decodeRecord(base::Bytes const& record) {
    ReportReader reader(record);
    auto session = reader.session();
    EXPECT_TRUE(reader.atEnd());
    return session;
}

}

#pragma once

#include <analytics/KestrelSession.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace test {

// A recording stand-in for the ad extension's reply parser. Like the real one it
// parses nothing from fewer than 12 bytes and answers null then; otherwise it
// answers the position `consume` bytes after the one it was given (or the one
// `answer` names, to play a misbehaving parser), and tells its delegate state.
class KestrelAdParser final : public analytics::KestrelReplyParser {
public:
    struct Call {
        std::uint8_t const* data;
        std::size_t bufferLength;
    };

    std::uint8_t const* parseData(std::uint8_t const* data, std::size_t bufferLength) override {
        calls.push_back({data, bufferLength});
        if (!data || bufferLength < 12) {
            delegateCalls.push_back("dataUnavailable");
            return nullptr;
        }
        delegateCalls.push_back("dataAvailable");
        if (answer)
            return *answer;
        return data + std::min(consume, bufferLength);
    }

    std::size_t consume {12};
    std::optional<std::uint8_t const*> answer;
    std::vector<Call> calls;
    std::vector<std::string> delegateCalls;
};

}

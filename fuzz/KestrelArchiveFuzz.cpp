// The analytics agent's own archives as they come back from the Library folder
// (the current session of a run that died, the saved session records) and the
// analytics service's reply as it is handed to the ad parsers. Any bytes give no
// session or one whose record fits the report's fields; the hand-off gives every
// parser a range inside the reply and ends after at most one pass per byte.
#include "FuzzSupport.hpp"

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelSession.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Sandbox.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

using analytics::KestrelAnalytics;
using analytics::KestrelSession;

namespace {

// Records every call and consumes as many bytes as the first byte it is given
// says (0 consumes nothing, 255 answers outside the reply).
class RecordingParser final : public analytics::KestrelReplyParser {
public:
    std::uint8_t const* parseData(std::uint8_t const* data, std::size_t bufferLength) override {
        FUZZ_CHECK(data >= begin && data + bufferLength <= end);
        ++calls;
        if (!data || bufferLength < 12)
            return nullptr;
        if (data[2] == 255)
            return end + 1;
        return data + std::min<std::size_t>(data[2], bufferLength);
    }

    std::uint8_t const* begin {nullptr};
    std::uint8_t const* end {nullptr};
    std::size_t calls {0};
};

void setUp() {
    static bool const done = [] {
        char folder[] = "/tmp/kestrel-archive-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(folder) != nullptr);
        foundation::Sandbox::setRoot(folder);
        KestrelSession::registerCoding();
        KestrelSession::setSessionKey("KEY");
        KestrelAnalytics::setAdLoopEnabled(true);
        KestrelAnalytics::setVideoAdsEnabled(true);
        KestrelAnalytics::setAdSpotEnabled(true);
        return true;
    }();
    (void)done;
}

void checkRecord(KestrelSession const& session) {
    FUZZ_CHECK(session.eventCounts().size() <= KestrelSession::maxEventNames);
    FUZZ_CHECK(session.eventLog().size() <= KestrelSession::maxLoggedEvents);
    FUZZ_CHECK(session.errors().size() <= KestrelSession::maxErrors);
    FUZZ_CHECK(session.adLog().size() <= KestrelSession::maxAdImpressions);
    FUZZ_CHECK(session.data().has_value());
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    setUp();
    foundation::ByteView bytes(data, size);

    // A current session left by a run that died.
    if (auto session = foundation::KeyedUnarchiver::unarchiveObjectWithData<KestrelSession>(bytes))
        checkRecord(*session);
    FUZZ_CHECK(foundation::AtomicFile::write(KestrelSession::currentSessionFilePath(), bytes));
    std::filesystem::remove(KestrelSession::sessionsFilePath());
    auto created = KestrelSession::createActiveKestrelSession("KEY");
    FUZZ_CHECK(created && KestrelSession::savedSessions().size() <= 1);

    // The saved list: its records go into a report as they are.
    FUZZ_CHECK(foundation::AtomicFile::write(KestrelSession::sessionsFilePath(), bytes));
    std::vector<KestrelSession::ReportItem> items;
    for (auto& record : KestrelSession::savedSessions())
        items.emplace_back(std::move(record));
    KestrelSession::dataForSessions(items, false, false, false);
    KestrelSession::setCurrentSession(nullptr);

    // The service's reply.
    base::Bytes reply(data, data + size);
    RecordingParser parser;
    parser.begin = reply.data();
    parser.end = reply.data() + reply.size();
    KestrelSession::setAdLoopAdParser(&parser);
    KestrelSession::setVideoAdParser(&parser);
    KestrelSession::setAdSpotAdParser(&parser);
    KestrelSession::handOffToParsers(reply);
    FUZZ_CHECK(parser.calls <= 2 * reply.size() + 2);
    KestrelSession::setAdLoopAdParser(nullptr);
    KestrelSession::setVideoAdParser(nullptr);
    KestrelSession::setAdSpotAdParser(nullptr);
    return 0;
}

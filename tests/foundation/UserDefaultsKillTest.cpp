#include <foundation/UserDefaults.hpp>

#include <foundation/PropertyList.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using base::Value;
using foundation::UserDefaults;

namespace {

// Everything one save holds, made from its counter alone, so that a loaded file
// shows at once whether it is one whole earlier save.
std::string payloadFor(std::int64_t counter) {
    return std::string(std::size_t(100000 + counter % 5000), char('a' + counter % 26));
}

base::Bytes blobFor(std::int64_t counter) {
    base::Bytes blob(std::size_t(counter % 4096));
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = std::uint8_t(counter + std::int64_t(i));
    return blob;
}

// One save: a dictionary made from its counter alone, so that a loaded file shows
// at once whether it holds one whole earlier save.
base::Ref<base::Dictionary> stateFor(std::int64_t counter) {
    return base::Dictionary::create({
        {"counter", Value(counter)},
        {"payload", Value(payloadFor(counter))},
        {"blob", Value(blobFor(counter))},
        {"list", Value(base::Array::create({Value(counter), Value(payloadFor(counter + 1))}))},
    });
}

// The writer: continues from the saved counter and saves again and again until
// killed, both by synchronize and by the autosave thread.
[[noreturn]] void runWriter(std::string const& path) {
    alarm(60);
    UserDefaults defaults(path);
    defaults.setAutosaveDelay(0.001);
    auto saved = defaults.dictionaryForKey("DATA_STATE");
    std::int64_t counter = saved ? saved->objectForKey("counter").longLongValue() : 0;
    for (;;) {
        ++counter;
        defaults.setObject(stateFor(counter), "DATA_STATE");
        defaults.setInteger(counter, "DATA_LAST_COUNTER");
        if (counter % 2 == 0 && !defaults.synchronize())
            _exit(3);
    }
}

}

// The counter in the saved file, or -1 while there is none that reads.
std::int64_t savedCounter(std::string const& path) {
    auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(path);
    if (!saved)
        return -1;
    auto state = saved->objectForKey("DATA_STATE");
    return state.isDictionary() ? state.dictionary()->objectForKey("counter").longLongValue() : -1;
}

TEST(UserDefaultsKill, AWriterKilledAtAnyInstantLeavesAWholeEarlierSave) {
    test::TempDir dir;
    auto path = (dir / "com.quillaby.salon.plist").string();
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay(0, 40);
    std::int64_t lastCounter = 0;
    for (int round = 0; round < 30; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            runWriter(path);
        // Wait until this writer has saved at least once, however loaded the
        // machine is, then let it run on a little so the kill lands anywhere
        // inside a later write.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (savedCounter(path) <= lastCounter && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "writer ended by itself: " << status;

        auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(path);
        ASSERT_TRUE(saved) << "round " << round;
        auto state = saved->objectForKey("DATA_STATE");
        ASSERT_TRUE(state.isDictionary()) << "round " << round;
        std::int64_t counter = state.dictionary()->objectForKey("counter").longLongValue();
        ASSERT_GT(counter, lastCounter) << "round " << round << ": the writer made no progress";
        EXPECT_TRUE(state == Value(stateFor(counter)))
            << "round " << round << ", counter " << counter;
        // The keys are saved together: the last counter is that of the state or the one before.
        std::int64_t last = saved->objectForKey("DATA_LAST_COUNTER").longLongValue();
        EXPECT_TRUE(last == counter || last == counter - 1) << "round " << round;
        lastCounter = counter;
        // Temporary files of killed writes do not pile up: the next writer clears them.
        std::size_t entries = 0;
        for ([[maybe_unused]] auto const& entry : std::filesystem::directory_iterator(dir.path()))
            ++entries;
        EXPECT_LE(entries, 2u) << "round " << round;
    }
    RecordProperty("lastCounter", int(lastCounter));
}

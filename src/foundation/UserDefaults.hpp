#pragma once

#include <base/Value.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace foundation {

// The user-defaults store: the saved game and the player's settings, one value
// per key, kept as a binary property list "<sandbox>/Library/Preferences/<bundle
// identifier>.plist".
//
// Lookups search the application's own values, then the global values (the
// system's "AppleLanguages", from the locale of the environment), then the
// values given to registerDefaults, which are never saved. Getters coerce as the
// platform does: a number answers stringForKey with its text; a string holding a
// number answers integerForKey, floatForKey, doubleForKey and boolForKey with it
// ("YES" and "1" are true); a missing key or a value of another kind gives 0,
// false or nothing. objectForKey tells a missing key (null) from a stored 0.
// Collections come back as copies and are stored as copies, so nobody changes a
// stored value behind the store's back.
//
// The file is read at first use. Changes are written by synchronize, by the
// autosave soon after a change (one second by default, on a thread of the
// store's own), and when the store is destroyed (the standard store at exit).
// Every write replaces the file atomically (AtomicFile), so a process killed at
// any instant leaves the file as it was after some earlier complete write. A
// file that reads but holds no dictionary is logged and set aside as
// "<file>.corrupt", and the store starts empty. A file that is there but cannot
// be read (no permission, too many open files, a folder or FIFO at the path) is
// never written over: the store starts empty, says so in the log, and refuses
// every write for the rest of its life.
//
// Changes that belong together (one save of the game, many keys) go into a
// batch: while one is open, every write to disk holds the values as they were
// when it opened, so no file ever holds part of a batch.
//
// Thread-safe: one mutex guards the values; writing to disk happens outside it.
class UserDefaults {
public:
    // The standard store of the sandbox (Sandbox::preferencesPath()) and the main
    // bundle's identifier, made on first use.
    static UserDefaults& standardUserDefaults();
    // For tests: drops the standard store without saving it, so the next use makes
    // a new one from the sandbox root and bundle identifier of that moment.
    // References to the old store must not be used afterwards.
    static void resetStandardUserDefaults();

    // A store of its own in the given file (created on the first save; its folder must exist).
    explicit UserDefaults(std::string path);
    ~UserDefaults();
    UserDefaults(UserDefaults const&) = delete;
    UserDefaults& operator=(UserDefaults const&) = delete;

    std::string const& path() const { return path_; }

    base::Value objectForKey(std::string_view key) const;
    // Strings, and numbers and booleans as their text; nothing for anything else.
    std::optional<std::string> stringForKey(std::string_view key) const;
    base::Ref<base::Array> arrayForKey(std::string_view key) const;
    base::Ref<base::Dictionary> dictionaryForKey(std::string_view key) const;
    std::optional<base::Bytes> dataForKey(std::string_view key) const;
    // An array whose elements are all strings; nothing otherwise.
    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const;
    std::int64_t integerForKey(std::string_view key) const;
    float floatForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;

    // Stores a copy of value; a null value removes the key. A value that a property
    // list cannot hold (a null inside it, text that is not UTF-8, a collection that
    // contains itself) is refused with a log line and false, and nothing changes.
    bool setObject(base::Value const& value, std::string_view key);
    void setInteger(std::int64_t value, std::string_view key);
    void setFloat(float value, std::string_view key);
    void setDouble(double value, std::string_view key);
    void setBool(bool value, std::string_view key);
    void removeObjectForKey(std::string_view key);

    // Adds to the registration values, which answer only for keys that are set
    // nowhere else and are never saved.
    void registerDefaults(base::Dictionary const& defaults);
    // Every key the lookups can answer, with the value they answer.
    base::Ref<base::Dictionary> dictionaryRepresentation() const;

    // Writes the changes made since the last write; true when the file holds them.
    // While a batch is open it writes the values as they were before the batch,
    // and answers whether the file holds those. False, with a log line, for a
    // store whose file could not be read.
    bool synchronize();

    // Opens and closes a batch. Batches nest, and may be opened on any thread;
    // while any is open, changes from every thread wait for the last one to close.
    // Closing the last one makes the autosave due, so the batch reaches the disk
    // with the next write. Prefer the Batch scope below.
    void beginBatch();
    void endBatch();

    // A batch for the life of the scope.
    class Batch {
    public:
        explicit Batch(UserDefaults& defaults)
            : defaults_(defaults) {
            defaults_.beginBatch();
        }
        ~Batch() { defaults_.endBatch(); }
        Batch(Batch const&) = delete;
        Batch& operator=(Batch const&) = delete;

    private:
        UserDefaults& defaults_;
    };

    // Seconds from a change to its autosave.
    void setAutosaveDelay(double seconds);
    // Waits, up to timeoutSeconds of real time, until every change so far is on
    // disk; answers whether it is. For tests of the autosave.
    bool waitUntilSaved(double timeoutSeconds);

    static constexpr char const* fileExtension = ".plist";

private:
    base::Value const* find(std::string_view key) const;
    void loadIfNeeded() const;
    void changed();
    void autosaveLoop();
    void stopAutosave();

    std::string path_;

    mutable std::mutex mutex_;
    mutable bool loaded_ {false};
    // Set when the file was there and could not be read: nothing is written then.
    mutable bool refused_ {false};
    mutable base::Ref<base::Dictionary> values_;
    base::Ref<base::Dictionary> global_;
    base::Ref<base::Dictionary> registration_;
    std::uint64_t changes_ {0};
    std::uint64_t savedChanges_ {0};

    // While batches are open: how many, the values when the first opened (a
    // shallow copy; stored values are never changed in place) and the change
    // count then.
    int batchDepth_ {0};
    base::Ref<base::Dictionary> batchBase_;
    std::uint64_t batchBaseChanges_ {0};

    // Held across a whole write, so that writes reach the disk in the order of
    // the snapshots they took.
    std::mutex writeMutex_;

    std::condition_variable autosaveWake_;
    std::optional<std::chrono::steady_clock::time_point> autosaveDue_;
    std::condition_variable saved_;
    std::thread autosaveThread_;
    bool stopping_ {false};
    double autosaveDelay_ {1.0};
};

}

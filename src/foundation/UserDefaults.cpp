#include <foundation/UserDefaults.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace foundation {

namespace {

using Clock = std::chrono::steady_clock;

// A failed write is tried again after this long at the earliest, so that a full
// disk does not fill the log.
constexpr double retryDelay = 10.0;

std::mutex& standardMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<UserDefaults>& standardInstance() {
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

Clock::duration seconds(double value) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(value));
}

// The languages of the environment's locale as the platform lists them: codes
// such as "fr", most preferred first, ending with "en".
base::Ref<base::Array> environmentLanguages() {
    std::vector<std::string> candidates;
    if (char const* list = std::getenv("LANGUAGE"); list && *list) {
        std::string text = list;
        std::size_t start = 0;
        while (start <= text.size()) {
            auto colon = text.find(':', start);
            candidates.push_back(
                text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
    }
    for (auto name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (char const* value = std::getenv(name); value && *value) {
            candidates.push_back(value);
            break;
        }
    }
    auto languages = base::Array::create();
    for (auto const& candidate : candidates) {
        std::string code = candidate.substr(0, candidate.find_first_of("_.@-"));
        bool letters = code.size() >= 2 && code.size() <= 3;
        for (char c : code)
            letters = letters && c >= 'a' && c <= 'z';
        if (letters && !languages->contains(base::Value(code)))
            languages->add(code);
    }
    if (!languages->contains(base::Value("en")))
        languages->add("en");
    return languages;
}

base::Value copied(base::Value const& value) {
    if (auto array = value.array())
        return array->deepCopy();
    if (auto dictionary = value.dictionary())
        return dictionary->deepCopy();
    return value;
}

}

UserDefaults& UserDefaults::standardUserDefaults() {
    std::lock_guard lock(standardMutex());
    auto& instance = standardInstance();
    if (!instance) {
        std::string file = Sandbox::preferencesPath() + "/"
            + Bundle::mainBundle().bundleIdentifier() + fileExtension;
        instance = std::make_unique<UserDefaults>(file);
    }
    return *instance;
}

void UserDefaults::resetStandardUserDefaults() {
    std::unique_ptr<UserDefaults> old;
    {
        std::lock_guard lock(standardMutex());
        old = std::move(standardInstance());
    }
    if (old) {
        std::lock_guard lock(old->mutex_);
        old->savedChanges_ = old->changes_;
    }
}

UserDefaults::UserDefaults(std::string path)
    : path_(std::move(path))
    , values_(base::Dictionary::create())
    , global_(base::Dictionary::create())
    , registration_(base::Dictionary::create()) {
    global_->setObject("AppleLanguages", environmentLanguages());
}

UserDefaults::~UserDefaults() {
    stopAutosave();
    synchronize();
}

void UserDefaults::loadIfNeeded() const {
    if (loaded_)
        return;
    loaded_ = true;
    AtomicFile::removeStaleTemporaries(path_);
    AtomicFile::ReadError error;
    auto bytes = AtomicFile::read(path_, AtomicFile::defaultMaxSize, &error);
    if (!bytes) {
        if (error == AtomicFile::ReadError::Unreadable) {
            // The save may be whole and only out of reach for now: writing the
            // store's few new keys over it would lose it.
            refused_ = true;
            base::logLine("UserDefaults: " + path_
                + " is there but cannot be read; nothing will be saved over it");
        }
        return;
    }
    auto value = PropertyList::propertyListWithData(*bytes);
    if (auto dictionary = value.dictionaryRef()) {
        values_ = dictionary;
        return;
    }
    // Keep the unreadable file for a person to look at; the store starts empty.
    std::string aside = path_ + ".corrupt";
    base::logLine("UserDefaults: " + path_ + " is not a readable dictionary; moved to " + aside);
    std::rename(path_.c_str(), aside.c_str());
}

base::Value const* UserDefaults::find(std::string_view key) const {
    loadIfNeeded();
    for (auto const* domain : {values_.get(), global_.get(), registration_.get()}) {
        if (auto value = domain->find(key))
            return value;
    }
    return nullptr;
}

base::Value UserDefaults::objectForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value ? copied(*value) : base::Value();
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    if (!value || !(value->isString() || value->isNumber() || value->isBoolean()))
        return std::nullopt;
    return value->stringValue();
}

base::Ref<base::Array> UserDefaults::arrayForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value && value->isArray() ? value->array()->deepCopy() : nullptr;
}

base::Ref<base::Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value && value->isDictionary() ? value->dictionary()->deepCopy() : nullptr;
}

std::optional<base::Bytes> UserDefaults::dataForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    if (!value || !value->isData())
        return std::nullopt;
    return *value->data();
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(
    std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    if (!value || !value->isArray())
        return std::nullopt;
    std::vector<std::string> strings;
    for (auto const& element : *value->array()) {
        if (!element.isString())
            return std::nullopt;
        strings.push_back(*element.string());
    }
    return strings;
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value ? value->longLongValue() : 0;
}

float UserDefaults::floatForKey(std::string_view key) const {
    return float(doubleForKey(key));
}

double UserDefaults::doubleForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value ? value->doubleValue() : 0.0;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto value = find(key);
    return value ? value->boolValue() : false;
}

bool UserDefaults::setObject(base::Value const& value, std::string_view key) {
    if (value.isNull()) {
        removeObjectForKey(key);
        return true;
    }
    std::string reason;
    auto entry = base::Dictionary::create();
    entry->setObject(key, value);
    if (!PropertyList::isValidPropertyList(entry, PropertyList::Format::Binary, &reason)) {
        base::logLine(
            "UserDefaults: refused the value for \"" + std::string(key) + "\": " + reason);
        return false;
    }
    auto copy = copied(value);
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    values_->setObject(key, std::move(copy));
    changed();
    return true;
}

void UserDefaults::setInteger(std::int64_t value, std::string_view key) {
    setObject(value, key);
}
void UserDefaults::setFloat(float value, std::string_view key) {
    setObject(value, key);
}
void UserDefaults::setDouble(double value, std::string_view key) {
    setObject(value, key);
}
void UserDefaults::setBool(bool value, std::string_view key) {
    setObject(value, key);
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (!values_->contains(key))
        return;
    values_->removeObjectForKey(key);
    changed();
}

void UserDefaults::registerDefaults(base::Dictionary const& defaults) {
    auto copy = defaults.deepCopy();
    std::lock_guard lock(mutex_);
    registration_->addEntriesFrom(*copy);
}

base::Ref<base::Dictionary> UserDefaults::dictionaryRepresentation() const {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    auto all = base::Dictionary::create();
    for (auto const* domain : {registration_.get(), global_.get(), values_.get()}) {
        for (auto const& [key, value] : *domain)
            all->setObject(key, copied(value));
    }
    return all;
}

void UserDefaults::changed() {
    ++changes_;
    if (refused_)
        return;
    if (!autosaveDue_)
        autosaveDue_ = Clock::now() + seconds(autosaveDelay_);
    if (!autosaveThread_.joinable() && !stopping_)
        autosaveThread_ = std::thread([this] { autosaveLoop(); });
    autosaveWake_.notify_all();
}

bool UserDefaults::synchronize() {
    std::lock_guard writeLock(writeMutex_);
    std::optional<base::Bytes> bytes;
    std::uint64_t snapshot;
    {
        std::lock_guard lock(mutex_);
        // Every change loads the file first, so without changes there is nothing
        // to read. Inside a batch, the values from before it.
        snapshot = batchDepth_ > 0 ? batchBaseChanges_ : changes_;
        if (snapshot <= savedChanges_)
            return true;
        if (refused_) {
            base::logLine("UserDefaults: not saved, so as not to replace the unreadable " + path_);
            return false;
        }
        bytes = PropertyList::dataWithPropertyList(
            batchDepth_ > 0 ? batchBase_ : values_, PropertyList::Format::Binary);
    }
    bool written = bytes && AtomicFile::write(path_, *bytes);
    std::lock_guard lock(mutex_);
    if (written) {
        if (snapshot > savedChanges_)
            savedChanges_ = snapshot;
        saved_.notify_all();
    } else {
        base::logLine("UserDefaults: the changes are not saved yet");
        autosaveDue_ = Clock::now() + seconds(std::max(autosaveDelay_, retryDelay));
        autosaveWake_.notify_all();
    }
    return written;
}

void UserDefaults::beginBatch() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (batchDepth_++ == 0) {
        batchBase_ = values_->copy();
        batchBaseChanges_ = changes_;
    }
}

void UserDefaults::endBatch() {
    std::lock_guard lock(mutex_);
    VERIFY(batchDepth_ > 0);
    if (--batchDepth_ > 0)
        return;
    batchBase_ = nullptr;
    // An autosave that ran inside the batch wrote the values from before it and
    // is no longer due: make it due again for the batch's changes.
    if (changes_ > savedChanges_ && !refused_ && !autosaveDue_) {
        autosaveDue_ = Clock::now() + seconds(autosaveDelay_);
        autosaveWake_.notify_all();
    }
}

void UserDefaults::setAutosaveDelay(double seconds) {
    std::lock_guard lock(mutex_);
    autosaveDelay_ = seconds;
}

bool UserDefaults::waitUntilSaved(double timeoutSeconds) {
    std::unique_lock lock(mutex_);
    return saved_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
        [this] { return savedChanges_ == changes_; });
}

void UserDefaults::autosaveLoop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!autosaveDue_) {
            autosaveWake_.wait(lock);
            continue;
        }
        if (Clock::now() < *autosaveDue_) {
            autosaveWake_.wait_until(lock, *autosaveDue_);
            continue;
        }
        autosaveDue_.reset();
        lock.unlock();
        synchronize();
        lock.lock();
    }
}

void UserDefaults::stopAutosave() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        autosaveWake_.notify_all();
    }
    if (autosaveThread_.joinable())
        autosaveThread_.join();
}

}

#include <serverkit/FetchArchive.hpp>

#include <serverkit/QBYConnect.hpp>

#include <base/Verify.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <toolkit/zip/ZipFile.hpp>

#include <array>
#include <filesystem>
#include <utility>

namespace serverkit {

namespace {

namespace fs = std::filesystem;

FetchArchive::CacheClearer& cacheClearer() {
    static FetchArchive::CacheClearer clearer;
    return clearer;
}

// The eight keys of an installed entry and the "dlc.plist" keys they come from.
constexpr std::array<std::pair<char const*, char const*>, 8> descriptionKeys {{
    {"uid", "dlc_id"},
    {"cost", "dlc_cost"},
    {"cost_type", "dlc_cost_type"},
    {"data", "dlc_data"},
    {"desc", "dlc_desc"},
    {"name", "dlc_name"},
    {"type", "dlc_type"},
    {"ver", "dlc_ver"},
}};

// Names an archive may not bring to the top of the data folder: the folder's own
// lists and working files.
constexpr std::array<char const*, 4> reservedNames {
    FetchArchive::UnpackedFileName,
    FetchArchive::ListFileName,
    FetchArchive::ArchiveFileName,
    FetchArchive::StagingFolderName,
};

std::string entryKey(base::Value const& uid) {
    return "dlc_" + uid.stringValue();
}

// Moves everything under from into to, replacing what is there by the same name.
bool moveContents(fs::path const& from, fs::path const& to) {
    std::error_code error;
    for (auto const& entry : fs::directory_iterator(from, error)) {
        auto target = to / entry.path().filename();
        auto targetStatus = fs::symlink_status(target, error);
        if (entry.is_directory(error) && !entry.is_symlink(error)) {
            if (fs::is_directory(targetStatus)) {
                if (!moveContents(entry.path(), target))
                    return false;
                continue;
            }
        }
        if (fs::exists(targetStatus) && fs::is_directory(targetStatus) != entry.is_directory(error))
            fs::remove_all(target, error);
        fs::rename(entry.path(), target, error);
        if (error) {
            foundation::log(
                "FetchArchive: cannot move %@ into place: %@", target.string(), error.message());
            return false;
        }
    }
    return !error;
}

}

base::Ref<FetchArchive> FetchArchive::apicall() {
    return base::make<FetchArchive>(0, std::string());
}

base::Ref<FetchArchive> FetchArchive::apicallWithType(std::string type) {
    return base::make<FetchArchive>(1, std::move(type));
}

base::Ref<FetchArchive> FetchArchive::apicallWithID(std::string key) {
    return base::make<FetchArchive>(2, std::move(key));
}

FetchArchive::FetchArchive(std::int32_t mode, std::string param)
    : mFetchMode(mode)
    , mDLCList(base::Array::create())
    , mUnpackList(base::Array::create())
    , mPendingList(base::Array::create()) {
    setApiMethod("fetcharchive");
    setParam(std::move(param));
}

void FetchArchive::setCacheClearer(CacheClearer clearer) {
    cacheClearer() = std::move(clearer);
}

std::string FetchArchive::dataPath(char const* name) const {
    return dataFolder_ + "/" + name;
}

base::Ref<base::Array> FetchArchive::pendingEntries(
    base::Value const& list, base::Value const& installed, int mode, std::string const& param) {
    auto pending = base::Array::create();
    auto const* entries = list.array();
    if (!entries)
        return pending;
    auto const* installedEntries = installed.array();
    for (auto const& value : *entries) {
        auto const* entry = value.dictionary();
        if (!entry)
            continue;
        auto key = entryKey(entry->objectForKey("uid"));
        if (mode == 2 && key != param)
            continue;
        if (mode == 1 && entry->objectForKey("type").stringValue() != param)
            continue;
        auto version = entry->objectForKey("ver").stringValue();
        bool sameVersion = false;
        if (installedEntries) {
            for (auto const& installedValue : *installedEntries) {
                auto const* installedEntry = installedValue.dictionary();
                if (installedEntry && installedEntry->objectForKey("uid").stringValue() == key
                    && installedEntry->objectForKey("ver").stringValue() == version) {
                    sameVersion = true;
                    break;
                }
            }
        }
        if (sameVersion)
            continue;
        if (pending->size() >= std::size_t(MaxPending))
            continue;
        // Only web addresses: a link may not read the device's own files.
        auto link = entry->objectForKey("link").stringValue();
        if (!link.starts_with("http://") && !link.starts_with("https://")) {
            foundation::log("FetchArchive: %@ has no web link and is not fetched", key);
            continue;
        }
        pending->add(value);
    }
    return pending;
}

base::Ref<base::Dictionary> FetchArchive::unpackedEntry(base::Value const& description) {
    auto const* entry = description.dictionary();
    if (!entry) {
        foundation::log("FetchArchive: a dlc.plist entry is not a dictionary; skipped");
        return nullptr;
    }
    auto made = base::Dictionary::create();
    for (auto const& [key, from] : descriptionKeys) {
        auto const* value = entry->find(from);
        if (!value || value->isNull() || value->isNullObject()) {
            foundation::log("FetchArchive: a dlc.plist entry has no %@; skipped", from);
            return nullptr;
        }
        if (std::string_view(key) == "uid")
            made->setObject(key, entryKey(*value));
        else
            made->setObject(key, *value);
    }
    return made;
}

void FetchArchive::mergeDescriptions(base::Array& installed, base::Value const& descriptions) {
    auto const* entries = descriptions.array();
    if (!entries)
        return;
    for (auto const& description : *entries) {
        auto made = unpackedEntry(description);
        if (!made)
            continue;
        // Every entry replaces its installed namesake, so an update of an archive
        // describing several entries leaves no duplicates behind.
        auto uid = made->objectForKey("uid").stringValue();
        for (std::size_t i = installed.size(); i-- > 0;) {
            auto const* old = installed[i].dictionary();
            if (old && old->objectForKey("uid").stringValue() == uid)
                installed.removeAt(i);
        }
        installed.add(made);
    }
}

void FetchArchive::startWithDelegate(QBYAPICallDelegate* delegate) {
    VERIFY_MSG(delegate, "QBYKIT::FetchArchive - QBYAPICallDelegate is mandatory");
    dataFolder_ = QBYConnect::sharedManager().configuration().dataFolder;
    mPendingList = base::Array::create();
    auto list = dataFolder_.empty()
        ? nullptr
        : foundation::PropertyList::arrayWithContentsOfFile(dataPath(ListFileName));
    if (!list) {
        foundation::log("WARNING - dlclist is not available on disk. Aborting FetchArchive.");
        delegate->QBYAPICallDidSucceedWithData(*this, nullptr);
        return;
    }
    mDLCList = list;
    auto unpacked = foundation::PropertyList::arrayWithContentsOfFile(dataPath(UnpackedFileName));
    mUnpackList = unpacked ? unpacked : base::Array::create();
    mPendingList = pendingEntries(mDLCList, mUnpackList, mFetchMode, param());
    if (mPendingList->empty()) {
        delegate->QBYAPICallDidSucceedWithData(*this, nullptr);
        return;
    }
    // The base class keeps the delegate when the first download starts.
    setRequestURLStr(mPendingList->at(0).dictionary()->objectForKey("link").stringValue());
    archiveBytes_.clear();
    APICall::startWithDelegate(delegate);
}

void FetchArchive::startNextDownload() {
    setRequestURLStr(mPendingList->at(0).dictionary()->objectForKey("link").stringValue());
    archiveBytes_.clear();
    APICall::startWithDelegate(delegate());
}

foundation::URLRequest FetchArchive::buildRequest() {
    return foundation::URLRequest::requestWithURL(requestURLStr());
}

void FetchArchive::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    archiveBytes_.clear();
    APICall::didReceiveResponse(connection, response);
}

// The archive is kept here only; the base class's reply buffer stays empty.
void FetchArchive::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    archiveBytes_.insert(archiveBytes_.end(), data.begin(), data.end());
}

void FetchArchive::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<FetchArchive> self(this);
    if (mPendingList->empty())
        return;
    auto entry = mPendingList->at(0).dictionaryRef();
    if (installArchive(*entry)) {
        auto info = base::Dictionary::create();
        info->setObject("complete", false);
        foundation::NotificationCenter::defaultCenter().postNotification(
            QBYNotifications::Fetch, this, info);
    }
    removeTemporaries();
    archiveBytes_.clear();
    if (!mPendingList->empty())
        mPendingList->removeAt(0);
    if (!mPendingList->empty())
        startNextDownload();
    else
        finish();
}

void FetchArchive::finish() {
    if (auto* target = delegate())
        target->QBYAPICallDidSucceedWithData(*this, nullptr);
}

void FetchArchive::removeTemporaries() {
    std::error_code ignored;
    fs::remove(dataPath(ArchiveFileName), ignored);
    fs::remove(dataPath(DescriptionFileName), ignored);
    fs::remove_all(dataPath(StagingFolderName), ignored);
}

bool FetchArchive::installArchive(base::Dictionary const& entry) {
    auto key = entryKey(entry.objectForKey("uid"));
    auto digest = hexStringWithNSData(foundation::Digest::md5(archiveBytes_));
    if (digest != entry.objectForKey("md5").stringValue()) {
        foundation::log("FetchArchive: the archive of %@ does not match its MD5; dropped", key);
        return false;
    }
    auto archivePath = dataPath(ArchiveFileName);
    if (!foundation::AtomicFile::write(archivePath, archiveBytes_))
        return false;

    auto staging = dataPath(StagingFolderName);
    std::error_code error;
    fs::remove_all(staging, error);
    fs::create_directory(staging, error);
    if (error) {
        foundation::log("FetchArchive: cannot make %@: %@", staging, error.message());
        return false;
    }
    auto zip = toolkit::zip::ZipFile::create();
    if (!zip->UnzipOpenFile(archivePath)) {
        foundation::log("FetchArchive: the archive of %@ cannot be opened; dropped", key);
        return false;
    }
    bool unpacked = zip->UnzipFileTo(staging, true);
    zip->UnzipCloseFile();
    if (!unpacked) {
        foundation::log("FetchArchive: the archive of %@ cannot be unpacked; dropped", key);
        return false;
    }
    for (auto const* name : reservedNames) {
        if (fs::exists(fs::symlink_status(fs::path(staging) / name, error))) {
            foundation::log("FetchArchive: the archive of %@ carries %@; dropped", key, name);
            return false;
        }
    }

    auto descriptionPath = fs::path(staging) / DescriptionFileName;
    auto descriptions
        = foundation::PropertyList::propertyListWithContentsOfFile(descriptionPath.string());
    if (descriptions.isNull())
        foundation::log("FetchArchive: the archive of %@ has no readable dlc.plist", key);
    fs::remove(descriptionPath, error);
    if (!moveContents(staging, dataFolder_)) {
        foundation::log("FetchArchive: the archive of %@ is not recorded", key);
        return false;
    }

    mergeDescriptions(*mUnpackList, descriptions);
    if (!foundation::PropertyList::writeToFile(mUnpackList, dataPath(UnpackedFileName)))
        foundation::log("FetchArchive: unpacked.plist cannot be written");
    if (auto const& clear = cacheClearer())
        clear();
    return true;
}

void FetchArchive::postNotification(base::Dictionary const&) {
    auto info = base::Dictionary::create();
    info->setObject("complete", true);
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::Fetch, this, info);
}

void FetchArchive::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject("error", errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::FetchFail, this, info);
}

}

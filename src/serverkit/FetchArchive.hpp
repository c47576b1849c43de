#pragma once

#include <serverkit/APICall.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace serverkit {

// Downloads the content archives that "dlclist.plist" (the server's list, saved by
// ListDLC) names and that are not installed at their listed version, at most five a
// call, one after another; checks each against the list's "md5", unpacks it into
// the data folder and records what it brought in "unpacked.plist". One call on the
// QBYConnect queue, however many downloads it makes.
//
// Modes: 0 every entry, 1 the entries of one "type" (param), 2 the one entry whose
// key "dlc_" + uid is param.
//
// An archive is unpacked into a staging folder inside the data folder first (so a
// hostile or broken one leaves the data folder as it was): an archive holding a name
// that would leave the folder, or a file named as one of the data folder's own lists
// ("unpacked.plist", "dlclist.plist", "temparchive.zip"), installs nothing. The
// staged files then move into the data folder, overwriting what is there. Every
// entry of the archive's "dlc.plist" replaces the installed entry with its key; an
// entry lacking one of its eight keys is skipped with a log line. "unpacked.plist"
// is written whole through a temporary file, then the cache clearer runs so that
// later reads of property lists see the new files.
//
// Posts "qbykit_fetch_notification" {"complete": false} after each installed
// archive and {"complete": true} when the call ends; a failed download (transport
// or HTTP) ends the call with "qbykit_fetch_fail_notification" {"error": error},
// leaving the archives already installed and the rest for a later fetch.
// Main thread only.
class FetchArchive final : public APICall {
public:
    static constexpr int MaxPending = 5;
    static constexpr char const* ListFileName = "dlclist.plist";
    static constexpr char const* UnpackedFileName = "unpacked.plist";
    static constexpr char const* ArchiveFileName = "temparchive.zip";
    static constexpr char const* DescriptionFileName = "dlc.plist";
    // Inside the data folder; emptied before and after each archive.
    static constexpr char const* StagingFolderName = "unpacking.staging";

    static base::Ref<FetchArchive> apicall();
    static base::Ref<FetchArchive> apicallWithType(std::string type);
    static base::Ref<FetchArchive> apicallWithID(std::string key);

    // What empties the engine's property-list cache; the game installs it (the
    // server kit sits below the engine). Empty: nothing is cleared.
    using CacheClearer = std::function<void()>;
    static void setCacheClearer(CacheClearer clearer);

    std::int32_t fetchMode() const { return mFetchMode; }
    // The list entries still to download, in list order.
    base::Array const& pendingList() const { return *mPendingList; }

    void startWithDelegate(QBYAPICallDelegate* delegate) override;
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const&) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;

    // The entries of list (the saved server list) to fetch in mode with param,
    // given the installed entries: in list order, those the mode takes that are
    // not installed at their listed version and whose "link" is an http or https
    // address, at most
    // MaxPending. Anything that is not an array of dictionaries gives nothing.
    static base::Ref<base::Array> pendingEntries(
        base::Value const& list, base::Value const& installed, int mode, std::string const& param);
    // The "unpacked.plist" entry for one "dlc.plist" entry; null, logged, when it
    // is not a dictionary holding all eight keys.
    static base::Ref<base::Dictionary> unpackedEntry(base::Value const& description);
    // Adds every valid entry of descriptions (an array, else nothing) to installed,
    // each replacing the installed entries with its "uid".
    static void mergeDescriptions(base::Array& installed, base::Value const& descriptions);

protected:
    foundation::URLRequest buildRequest() override;

private:
    friend base::Factory;
    FetchArchive(std::int32_t mode, std::string param);

    void startNextDownload();
    void finish();
    // Checks, unpacks and records the archive of the first pending entry; false
    // when it was dropped.
    bool installArchive(base::Dictionary const& entry);
    void removeTemporaries();
    std::string dataPath(char const* name) const;

    std::int32_t mFetchMode;
    base::Ref<base::Array> mDLCList;
    base::Ref<base::Array> mUnpackList;
    base::Ref<base::Array> mPendingList;
    base::Bytes archiveBytes_;
    std::string dataFolder_;
};

}

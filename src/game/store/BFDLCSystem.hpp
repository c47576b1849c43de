#pragma once

#include <game/store/UPKPackage.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace game {

class BFExtensionSystem;
class BFPackageManager;

// Keeps the installed packages in step with the game server's list of
// downloadable packages, and downloads and installs a package from a URL its
// caller gives. Neither service is retained; both must outlive the system. Main
// thread only: the list call's notification and the download's callbacks come on
// the main run loop.
//
// A refresh (after every "qbykit_listdlc_notification" from the first checkForDLC
// on): each installed package that carries a "dlc.plist" is listed as installed
// and takes that file's "active" as its active flag; the server's list (the data
// store's "listdlc_datastore", when it is an array) sorts its entries against
// them: an installed package whose version is below the entry's goes to the
// update list (and leaves the installed list), an entry matching nothing
// installed to the available list, and a deprecated entry's installed package is
// removed. When a removal succeeded a new list call starts and this refresh ends
// there; otherwise "DLCSYS_LIST_READY_NOTIFICATION" is posted and the extension
// system scans. A removal that fails does not start another call, so a package
// that cannot be removed never makes the refreshes go round for ever.
//
// A download posts "DLCSYS_DL_START_NOTIFICATION" when it starts and
// "DLCSYS_DL_FAIL_NOTIFICATION" when the server answers other than 200, the
// connection fails, or the body grows above maximumDownloadSize (announced or
// received), which cancels it. A finished download is written to
// "downloaded_package.upk" in the temporary folder, installed, deleted, and a
// refresh follows (whose ready notification is the only news of it; a refused
// package is dropped silently). Each notification has the system as object and
// no user info.
class BFDLCSystem final : public base::Object, public foundation::URLConnectionDelegate {
public:
    static constexpr char const* ListReadyNotification = "DLCSYS_LIST_READY_NOTIFICATION";
    static constexpr char const* DownloadStartNotification = "DLCSYS_DL_START_NOTIFICATION";
    static constexpr char const* DownloadFailNotification = "DLCSYS_DL_FAIL_NOTIFICATION";
    static constexpr char const* StatusFileKey = "dlc.plist";
    static constexpr char const* DownloadFileName = "downloaded_package.upk";
    static constexpr std::uint64_t DefaultMaximumDownloadSize = std::uint64_t(64) << 20;

    static base::Ref<BFDLCSystem> initWithPackageManager(
        BFPackageManager& manager, BFExtensionSystem& extensions);
    ~BFDLCSystem() override;

    void checkForDLC();
    void checkForDLCDidFinish(foundation::Notification const& notification);
    void downloadDLCPackageFromURL(std::string const& url);
    // Cancels and forgets the running download; posts nothing.
    void cancelActiveDownload();
    void removeDLCPackageWithID(std::string const& packageID);
    bool isDLCPackageActive(std::string const& packageID);
    bool isDLCPackageInstalled(std::string const& packageID);
    // Sets the package's active flag, then lets the extension system scan.
    void setDLCPackageWithID(std::string const& packageID, bool active);

    // The lists of the last refresh, for a screen to read after the ready
    // notification.
    base::Value const& dlcList() const { return dlc_list; }
    std::vector<base::Ref<UPKPackage>> const& installedList() const { return installed_list; }
    std::vector<base::Value> const& availableList() const { return available_list; }
    std::vector<base::Ref<UPKPackage>> const& updateList() const { return update_list; }
    bool isDownloading() const { return conn != nullptr; }

    // The largest package a download takes; DefaultMaximumDownloadSize unless set
    // (0 sets the default).
    std::uint64_t maximumDownloadSize() const { return maximumDownloadSize_; }
    void setMaximumDownloadSize(std::uint64_t bytes) {
        maximumDownloadSize_ = bytes ? bytes : DefaultMaximumDownloadSize;
    }

    // The server list sorted against the installed packages (those carrying a
    // "dlc.plist"), as a refresh does before removing anything. Entries that are
    // not dictionaries match nothing and are listed as available; a list that is
    // not an array sorts nothing.
    struct Sorting {
        std::vector<base::Ref<UPKPackage>> update;
        std::vector<base::Value> available;
        // The ids of installed packages that a deprecated entry names, in list order.
        std::vector<std::string> deprecated;
    };
    static Sorting sortServerList(
        base::Value const& list, std::vector<base::Ref<UPKPackage>> const& installed);

    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const&) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const&) override;

private:
    friend base::Factory;
    BFDLCSystem(BFPackageManager& manager, BFExtensionSystem& extensions);

    void post(char const* name);
    void failDownload();

    BFPackageManager* package_mgr;
    BFExtensionSystem* extension_sys;
    base::Value dlc_list;
    std::vector<base::Ref<UPKPackage>> installed_list;
    std::vector<base::Value> available_list;
    std::vector<base::Ref<UPKPackage>> update_list;
    std::optional<base::Bytes> received_data;
    base::Ref<foundation::URLConnection> conn;
    std::uint64_t maximumDownloadSize_ {DefaultMaximumDownloadSize};
};

}

#include <game/store/BFDLCSystem.hpp>

#include <game/store/BFExtensionSystem.hpp>
#include <game/store/BFPackageManager.hpp>
#include <game/store/QBYAPI2ListDLC.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <serverkit/QBYConnect.hpp>

#include <algorithm>
#include <filesystem>

namespace game {

base::Ref<BFDLCSystem> BFDLCSystem::initWithPackageManager(
    BFPackageManager& manager, BFExtensionSystem& extensions) {
    return base::make<BFDLCSystem>(manager, extensions);
}

BFDLCSystem::BFDLCSystem(BFPackageManager& manager, BFExtensionSystem& extensions)
    : package_mgr(&manager)
    , extension_sys(&extensions) {
}

BFDLCSystem::~BFDLCSystem() {
    foundation::NotificationCenter::defaultCenter().removeObserver(this);
    if (conn)
        conn->cancel();
}

void BFDLCSystem::post(char const* name) {
    foundation::NotificationCenter::defaultCenter().postNotification(name, this);
}

void BFDLCSystem::checkForDLC() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.removeObserver(this);
    center.addObserver(this, serverkit::QBYNotifications::ListDLC,
        [this](
            foundation::Notification const& notification) { checkForDLCDidFinish(notification); });
    serverkit::QBYConnect::sharedManager().callAPIMethod(QBYAPI2ListDLC::apicall());
}

BFDLCSystem::Sorting BFDLCSystem::sortServerList(
    base::Value const& list, std::vector<base::Ref<UPKPackage>> const& installed) {
    Sorting sorting;
    auto const* entries = list.array();
    if (!entries)
        return sorting;
    for (auto const& entry : *entries) {
        auto const* fields = entry.dictionary();
        auto const* id = fields ? fields->objectForKey("package_id").string() : nullptr;
        bool matched = false;
        for (auto const& package : installed) {
            if (!id || package->packageID != *id)
                continue;
            matched = true;
            if (package->versionCode < fields->objectForKey("version_code").longLongValue())
                sorting.update.push_back(package);
            if (fields->objectForKey("deprecated").boolValue())
                sorting.deprecated.push_back(package->packageID);
        }
        if (!matched)
            sorting.available.push_back(entry);
    }
    return sorting;
}

void BFDLCSystem::checkForDLCDidFinish(foundation::Notification const&) {
    base::Ref<BFDLCSystem> keep(this);
    installed_list.clear();
    available_list.clear();
    update_list.clear();
    dlc_list = {};

    auto caches = BFPackageManager::cachesDirectory();
    auto records = package_mgr->allFileRecordsForAsset(StatusFileKey);
    for (auto const& record : records.value_or(BFPackageManager::FileRecords {})) {
        auto package = record->ParentUPK;
        if (!package)
            continue;
        installed_list.push_back(package);
        auto path = foundation::Sandbox::safeJoin(caches, record->fileOnDisk);
        auto status
            = path ? foundation::PropertyList::dictionaryWithContentsOfFile(*path) : nullptr;
        if (!status)
            continue;
        bool active = status->objectForKey("active").boolValue();
        package_mgr->setPackage(package->packageID, active);
        package->active = active;
    }

    auto list
        = serverkit::QBYConnect::sharedManager().objectForKey(serverkit::QBYKeys::ListDLCDataStore);
    if (list.array()) {
        dlc_list = list;
        auto sorting = sortServerList(list, installed_list);
        update_list = std::move(sorting.update);
        available_list = std::move(sorting.available);
        bool removed = false;
        for (auto const& id : sorting.deprecated)
            if (package_mgr->removeUPKWithID(id))
                removed = true;
            else
                foundation::log("Deprecated package %@ cannot be removed", id);
        if (removed) {
            checkForDLC();
            return;
        }
        std::erase_if(installed_list, [&](auto const& package) {
            return std::find(update_list.begin(), update_list.end(), package) != update_list.end();
        });
    }
    post(ListReadyNotification);
    extension_sys->scanForExtensionPackages();
}

void BFDLCSystem::downloadDLCPackageFromURL(std::string const& url) {
    received_data.reset();
    if (conn) {
        conn->cancel();
        conn = nullptr;
    }
    auto request = foundation::URLRequest::requestWithURL(url);
    request.setMaximumBodySize(maximumDownloadSize_);
    conn = foundation::URLConnection::create(std::move(request), this, false);
    post(DownloadStartNotification);
    // An observer of the start may have cancelled it already.
    if (conn)
        conn->start();
}

void BFDLCSystem::cancelActiveDownload() {
    if (conn)
        conn->cancel();
    conn = nullptr;
    received_data.reset();
}

void BFDLCSystem::failDownload() {
    cancelActiveDownload();
    post(DownloadFailNotification);
}

void BFDLCSystem::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    if (&connection != conn.get())
        return;
    if (response.statusCode() != 200) {
        foundation::log("Package download answered %d", response.statusCode());
        failDownload();
        return;
    }
    auto announced = response.expectedContentLength();
    if (announced > 0 && std::uint64_t(announced) > maximumDownloadSize_) {
        foundation::log("Package download of %@ bytes is too large", std::to_string(announced));
        failDownload();
        return;
    }
    received_data = base::Bytes {};
}

void BFDLCSystem::didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) {
    if (&connection != conn.get() || !received_data)
        return;
    if (received_data->size() + data.size() > maximumDownloadSize_) {
        foundation::log("Package download is too large");
        failDownload();
        return;
    }
    received_data->insert(received_data->end(), data.begin(), data.end());
}

void BFDLCSystem::connectionDidFinishLoading(foundation::URLConnection& connection) {
    if (&connection != conn.get())
        return;
    base::Ref<BFDLCSystem> keep(this);
    conn = nullptr;
    if (!received_data)
        return;
    auto bytes = std::move(*received_data);
    received_data.reset();
    auto path = foundation::Sandbox::temporaryPath() + "/" + DownloadFileName;
    if (foundation::AtomicFile::write(path, bytes))
        package_mgr->loadUPKFromPath(path);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    checkForDLC();
}

void BFDLCSystem::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const& error) {
    if (&connection != conn.get()) {
        received_data.reset();
        return;
    }
    foundation::log("Package download failed: %@", error.localizedDescription);
    failDownload();
}

void BFDLCSystem::removeDLCPackageWithID(std::string const& packageID) {
    package_mgr->removeUPKWithID(packageID);
}

bool BFDLCSystem::isDLCPackageActive(std::string const& packageID) {
    return package_mgr->isPackageEnabled(packageID);
}

bool BFDLCSystem::isDLCPackageInstalled(std::string const& packageID) {
    return bool(package_mgr->getUPKPackageForID(packageID));
}

void BFDLCSystem::setDLCPackageWithID(std::string const& packageID, bool active) {
    package_mgr->setPackage(packageID, active);
    extension_sys->scanForExtensionPackages();
}

}

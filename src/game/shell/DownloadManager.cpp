#include <game/shell/DownloadManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>
#include <fstream>

namespace game {

namespace {

base::Ref<DownloadManager>& instance() {
    static base::Ref<DownloadManager> manager;
    return manager;
}

constexpr double timeoutSeconds = 60;

std::string describe(DownloadManagerDelegate const* delegate) {
    return foundation::format("%p", static_cast<void const*>(delegate));
}

}

DownloadManager& DownloadManager::sharedManager() {
    auto& manager = instance();
    if (!manager)
        manager = base::make<DownloadManager>();
    return *manager;
}

void DownloadManager::resetSharedManager() {
    instance() = nullptr;
}

DownloadManager::~DownloadManager() {
    for (auto& [url, connection] : connectionList)
        connection->cancel();
}

void DownloadManager::addDelegate(DownloadManagerDelegate* delegate) {
    foundation::log("add delegate:%@", describe(delegate));
    delegateArray.push_back(delegate);
}

void DownloadManager::removeDelegate(DownloadManagerDelegate* delegate) {
    auto found = std::find(delegateArray.begin(), delegateArray.end(), delegate);
    if (found == delegateArray.end())
        return;
    foundation::log("remove delegate:%@", describe(delegate));
    delegateArray.erase(found);
}

bool DownloadManager::requestURL(std::string const& url) {
    if (!Utilities::haveInternetConnection()) {
        foundation::log("No internet connection");
        return false;
    }
    if (connectionList.contains(url)) {
        foundation::log("Cannot download %@! Same task is downloading!", url);
        return false;
    }
    auto request = foundation::URLRequest::requestWithURL(
        url, foundation::URLRequestCachePolicy::UseProtocolCachePolicy, timeoutSeconds);
    auto connection = foundation::URLConnection::create(request, this, false);
    if (!connection)
        return false;
    connectionList[url] = connection;
    dataList[url] = {};
    foundation::log("Start download %@", url);
    connection->start();
    return true;
}

bool DownloadManager::downloadFile(std::string const& url) {
    return downloadFile(url, fileNameOfURL(url));
}

bool DownloadManager::downloadFile(std::string const& url, std::string const& saveAsFilename) {
    if (!isSafeFileName(saveAsFilename)) {
        foundation::log(
            "Cannot download %@! \"%@\" is no file name of the data folder", url, saveAsFilename);
        return false;
    }
    if (!requestURL(url))
        return false;
    saveAsFilenameList[url] = saveAsFilename;
    saveFileListArray.push_back(url);
    return true;
}

std::optional<std::string> DownloadManager::saveData(
    base::Bytes const& data, std::string const& name) {
    if (!isSafeFileName(name))
        return std::nullopt;
    auto path = Utilities::getPathForSavedData(name);
    if (!path)
        return std::nullopt;
    std::ofstream file(*path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<char const*>(data.data()), std::streamsize(data.size()));
    if (!file) {
        foundation::log("Cannot write %@", *path);
        return std::nullopt;
    }
    return path;
}

bool DownloadManager::isSafeFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\\') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string DownloadManager::fileNameOfURL(std::string_view url) {
    auto end = url.find_first_of("?#");
    auto path = url.substr(0, end);
    if (auto scheme = path.find("://"); scheme != std::string_view::npos) {
        path = path.substr(scheme + 3);
        auto slash = path.find('/');
        path = slash == std::string_view::npos ? std::string_view {} : path.substr(slash);
    }
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DownloadManager::urlOf(foundation::URLConnection const& connection) const {
    for (auto const& [url, running] : connectionList) {
        if (running.get() == &connection)
            return url;
    }
    return {};
}

void DownloadManager::forget(std::string const& url) {
    connectionList.erase(url);
    dataList.erase(url);
    saveAsFilenameList.erase(url);
    std::erase(saveFileListArray, url);
}

// Delegates added or removed while the news goes out: only those registered when it
// began and still registered are told.
void DownloadManager::tellFailure(std::string const& url) {
    base::Ref<DownloadManager> keep(this);
    auto delegates = delegateArray;
    for (auto* delegate : delegates) {
        if (std::find(delegateArray.begin(), delegateArray.end(), delegate) != delegateArray.end())
            delegate->downloadDidFail(url);
    }
}

void DownloadManager::didReceiveResponse(
    foundation::URLConnection& connection, foundation::URLResponse const& response) {
    auto url = urlOf(connection);
    if (url.empty())
        return;
    int status = response.statusCode();
    if (status < 200 || status > 299) {
        if (status == 404)
            foundation::log("404 not found! %@", url);
        else
            foundation::log("Download failed with status %d! %@", status, url);
        connection.cancel();
        forget(url);
        tellFailure(url);
        return;
    }
    dataList[url].clear();
}

void DownloadManager::didReceiveData(
    foundation::URLConnection& connection, base::Bytes const& data) {
    auto url = urlOf(connection);
    if (url.empty())
        return;
    auto& buffer = dataList[url];
    buffer.insert(buffer.end(), data.begin(), data.end());
}

void DownloadManager::didFailWithError(
    foundation::URLConnection& connection, foundation::URLError const& error) {
    auto url = urlOf(connection);
    if (url.empty())
        return;
    foundation::log(
        "Connection failed! Error - %@ %@", error.localizedDescription, error.failingURL);
    forget(url);
    tellFailure(url);
}

void DownloadManager::connectionDidFinishLoading(foundation::URLConnection& connection) {
    auto url = urlOf(connection);
    if (url.empty())
        return;
    base::Ref<DownloadManager> keep(this);
    auto data = std::move(dataList[url]);
    foundation::log("Download Succeeded! %@\nReceived %d bytes of data", url, int(data.size()));
    if (std::find(saveFileListArray.begin(), saveFileListArray.end(), url)
        != saveFileListArray.end()) {
        auto name = saveAsFilenameList.contains(url) ? saveAsFilenameList[url] : fileNameOfURL(url);
        if (!saveData(data, name)) {
            forget(url);
            tellFailure(url);
            return;
        }
    }
    forget(url);
    auto delegates = delegateArray;
    for (auto* delegate : delegates) {
        if (std::find(delegateArray.begin(), delegateArray.end(), delegate) != delegateArray.end())
            delegate->downloadDidFinish(url, data);
    }
}

}

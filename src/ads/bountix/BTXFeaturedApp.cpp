#include <ads/bountix/BTXFeaturedApp.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Sandbox.hpp>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace ads::bountix {

namespace {

using toolkit::xml::XDoc;
using toolkit::xml::XDocElement;

std::string childText(char const* name, XDocElement const* element) {
    return XDoc::textForElement(XDoc::childElementNamed(name, element));
}

// One open connection to an existing database, closed when it goes.
class Database {
public:
    explicit Database(std::string const& path) {
        if (sqlite3_open_v2(path.c_str(), &handle_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(handle_);
            handle_ = nullptr;
        }
    }
    ~Database() {
        if (handle_) {
            BTXLog::logWithLevel(BTXLog::Progress, "Closing database");
            sqlite3_close(handle_);
        }
    }
    Database(Database const&) = delete;
    Database& operator=(Database const&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    sqlite3* handle() const { return handle_; }

private:
    sqlite3* handle_ {nullptr};
};

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(Database const& database, char const* sql) {
        if (sqlite3_prepare_v2(database.handle(), sql, -1, &statement_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement_);
            statement_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(Statement const&) = delete;
    Statement& operator=(Statement const&) = delete;

    explicit operator bool() const { return statement_ != nullptr; }
    void bindText(int index, std::string const& text) {
        sqlite3_bind_text(statement_, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    void bindInt(int index, int value) { sqlite3_bind_int(statement_, index, value); }
    int step() { return sqlite3_step(statement_); }
    int columnInt(int column) { return sqlite3_column_int(statement_, column); }

private:
    sqlite3_stmt* statement_ {nullptr};
};

base::Ref<BTXFeaturedAppDBManager>& sharedDatabaseSlot() {
    static base::Ref<BTXFeaturedAppDBManager> shared;
    return shared;
}

base::Ref<BTXFeaturedAppManager>& sharedManagerSlot() {
    static base::Ref<BTXFeaturedAppManager> shared;
    return shared;
}

}

// --- model ---

base::Ref<BTXFeaturedAppModel> BTXFeaturedAppModel::initWithXDoc(XDocElement const* element) {
    auto model = base::make<BTXFeaturedAppModel>();
    if (!element)
        return model;
    model->cost = childText("Cost", element);
    model->storeID = childText("StoreID", element);
    model->name = childText("Name", element);
    model->description = childText("Description", element);
    model->amount = XDoc::numberForElement(XDoc::childElementNamed("Amount", element));
    model->iconURL = childText("IconURL", element);
    model->largeIconURL = childText("MediumIconURL", element);
    model->redirectURL = childText("RedirectURL", element);
    model->fullScreenAdURL = childText("FullScreenAdURL", element);
    return model;
}

base::Ref<base::Dictionary> BTXFeaturedAppModel::dictionary() const {
    return base::Dictionary::create(
        {{"cost", cost}, {"storeID", storeID}, {"name", name}, {"description", description},
            {"amount", amount}, {"iconURL", iconURL}, {"largeIconURL", largeIconURL},
            {"redirectURL", redirectURL}, {"maxTimesToDisplayThisApp", maxTimesToDisplayThisApp},
            {"fullScreenAdURL", fullScreenAdURL}});
}

base::Ref<BTXFeaturedAppModel> BTXFeaturedAppModel::initWithDictionary(base::Value const& fields) {
    auto const* dictionary = fields.dictionary();
    if (!dictionary)
        return nullptr;
    auto model = base::make<BTXFeaturedAppModel>();
    auto text = [&](char const* key) {
        auto const& value = dictionary->objectForKey(key);
        return value.isNull() ? std::string() : value.stringValue();
    };
    model->cost = text("cost");
    model->storeID = text("storeID");
    model->name = text("name");
    model->description = text("description");
    model->amount = dictionary->objectForKey("amount").intValue();
    model->iconURL = text("iconURL");
    model->largeIconURL = text("largeIconURL");
    model->redirectURL = text("redirectURL");
    model->maxTimesToDisplayThisApp
        = dictionary->objectForKey("maxTimesToDisplayThisApp").intValue();
    model->fullScreenAdURL = text("fullScreenAdURL");
    return model;
}

// --- request handler ---

base::Ref<BTXFeaturedAppRequestHandler> BTXFeaturedAppRequestHandler::create(
    BTXFetchResponseDelegate* delegate, int requestTag) {
    auto handler = base::make<BTXFeaturedAppRequestHandler>();
    handler->initRequestWithDelegate(delegate, requestTag);
    return handler;
}

void BTXFeaturedAppRequestHandler::requestFeaturedApp() {
    send(std::nullopt);
}

void BTXFeaturedAppRequestHandler::requestFeaturedAppWithCurrencyID(std::string const& currencyID) {
    send(currencyID);
}

void BTXFeaturedAppRequestHandler::send(std::optional<std::string> const& currencyID) {
    auto const& configuration = BTXConfiguration::current();
    std::string const path = "get_offers/featured";
    auto url = configuration.primaryHost.empty() ? std::string() : configuration.primaryHost + path;
    auto alternate
        = configuration.fallbackHost.empty() ? std::string() : configuration.fallbackHost + path;
    // The full-screen ad of this app is built for the same user and currency.
    auto& view = BTXFeaturedAppView::sharedBTXFeaturedAppView();
    view.setPublisherUserID(BountixConnect::getUserID());
    view.setCurrencyID(currencyID);
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    if (currencyID)
        parameters.set("currency_id", *currencyID);
    makeGenericRequestWithURL(url, alternate, std::move(parameters),
        [this](BTXCoreFetcher& fetcher) { featuredAppDataReceived(fetcher); });
}

XDocElement const* BTXFeaturedAppRequestHandler::featuredAppOfReply(XDocElement const* root) {
    if (!root)
        return nullptr;
    return XDoc::childElementNamed("BountixApp", XDoc::childElementNamed("OfferArray", root));
}

void BTXFeaturedAppRequestHandler::featuredAppDataReceived(BTXCoreFetcher& fetcher) {
    BTXLog::logWithLevel(BTXLog::Progress, "Update Account Info Response Returned");
    auto reply = validateResponseReturnedObject(fetcher);
    if (!reply)
        return;
    auto const* app = featuredAppOfReply(reply.root);
    auto* delegate = deleg();
    if (!app) {
        BTXLog::logWithLevel(BTXLog::Error,
            "BTXFeaturedApp.cpp: " + std::to_string(__LINE__)
                + "; featuredAppDataReceived; No data received while attempting to fetch the "
                  "data from the server");
        if (delegate)
            delegate->fetchResponseError(
                BTXFetchResponseDelegate::Refused, std::string(), fetcher.requestTag);
        return;
    }
    if (delegate)
        delegate->fetchResponseSuccessWithData(app, fetcher.requestTag);
}

// --- display counter ---

BTXFeaturedAppDBManager& BTXFeaturedAppDBManager::sharedBTXFeaturedAppDBManager() {
    auto& shared = sharedDatabaseSlot();
    if (!shared) {
        auto documents = std::filesystem::path(foundation::Sandbox::documentsPath());
        auto seed
            = foundation::Bundle::mainBundle().bundlePath() + "/" + BTXFeaturedAppDatabaseName;
        shared = create((documents / BTXFeaturedAppDatabaseName).string(), seed);
    }
    return *shared;
}

void BTXFeaturedAppDBManager::resetShared() {
    sharedDatabaseSlot() = nullptr;
}

base::Ref<BTXFeaturedAppDBManager> BTXFeaturedAppDBManager::create(
    std::string databasePath, std::string const& seedPath) {
    auto manager = base::make<BTXFeaturedAppDBManager>();
    manager->currentDBPath_ = std::move(databasePath);
    BTXLog::logWithLevel(BTXLog::Progress, "Featured app database: " + manager->currentDBPath_);
    BTXLog::logWithLevel(BTXLog::Progress, "Featured app database seed: " + seedPath);
    std::error_code error;
    if (!std::filesystem::exists(manager->currentDBPath_, error)) {
        std::filesystem::create_directories(
            std::filesystem::path(manager->currentDBPath_).parent_path(), error);
        std::filesystem::copy_file(seedPath, manager->currentDBPath_, error);
    }
    return manager;
}

bool BTXFeaturedAppDBManager::addApp(BTXFeaturedAppModel const& model) {
    Database database(currentDBPath_);
    if (!database) {
        BTXLog::logWithLevel(BTXLog::Progress, "Unable to open the database");
        return false;
    }
    Statement insert(
        database, "insert into featured_apps(store_id, no_of_times_displayed) Values(?,?)");
    if (!insert) {
        BTXLog::logWithLevel(BTXLog::Progress, "Error while creating insert statement");
        return false;
    }
    insert.bindText(1, model.storeID);
    insert.bindInt(2, 1);
    if (insert.step() != SQLITE_DONE) {
        BTXLog::logWithLevel(
            BTXLog::Progress, "Error while inserting record; it may already exist");
        return false;
    }
    return true;
}

bool BTXFeaturedAppDBManager::incrementDisplayedCountForStoreID(std::string const& storeID) {
    Database database(currentDBPath_);
    if (!database) {
        BTXLog::logWithLevel(BTXLog::Error, "unable to open the database");
        return false;
    }
    Statement update(database,
        "UPDATE featured_apps SET no_of_times_displayed = no_of_times_displayed+1 "
        "WHERE store_id = ?");
    if (!update) {
        BTXLog::logWithLevel(BTXLog::Error, "Error while updating record");
        return false;
    }
    update.bindText(1, storeID);
    if (update.step() != SQLITE_DONE) {
        BTXLog::logWithLevel(BTXLog::Error, "Error while record update");
        return false;
    }
    return true;
}

int BTXFeaturedAppDBManager::getDisplayedCountForStoreID(std::string const& storeID) {
    Database database(currentDBPath_);
    if (!database)
        return 0;
    Statement select(
        database, "SELECT no_of_times_displayed FROM featured_apps WHERE store_id = ?");
    if (!select)
        return 0;
    select.bindText(1, storeID);
    return select.step() == SQLITE_ROW ? select.columnInt(0) : 0;
}

// --- manager ---

BTXFeaturedAppManager::BTXFeaturedAppManager()
    : featuredAppHandlerObj_(BTXFeaturedAppRequestHandler::create(this, 0)) {
}

BTXFeaturedAppManager& BTXFeaturedAppManager::sharedBTXFeaturedAppManager() {
    auto& shared = sharedManagerSlot();
    if (!shared)
        shared = base::make<BTXFeaturedAppManager>();
    return *shared;
}

void BTXFeaturedAppManager::resetShared() {
    if (auto& shared = sharedManagerSlot())
        shared->releaseFeaturedAppHandler();
    sharedManagerSlot() = nullptr;
}

BTXFeaturedAppRequestHandler& BTXFeaturedAppManager::handler() {
    if (!featuredAppHandlerObj_)
        featuredAppHandlerObj_ = BTXFeaturedAppRequestHandler::create(this, 0);
    return *featuredAppHandlerObj_;
}

void BTXFeaturedAppManager::getFeaturedApp() {
    handler().requestFeaturedApp();
}

void BTXFeaturedAppManager::getFeaturedAppWithCurrencyID(std::string const& currencyID) {
    handler().requestFeaturedAppWithCurrencyID(currencyID);
}

void BTXFeaturedAppManager::setFeaturedAppDisplayCount(int n) {
    featuredAppDisplayCount_ = n == -1 ? -1 : n - 1;
}

void BTXFeaturedAppManager::setFeaturedAppModelObj(base::Ref<BTXFeaturedAppModel> model) {
    featuredAppModelObj_ = std::move(model);
}

void BTXFeaturedAppManager::releaseFeaturedAppHandler() {
    if (featuredAppHandlerObj_)
        featuredAppHandlerObj_->setDeleg(nullptr);
    featuredAppHandlerObj_ = nullptr;
}

void BTXFeaturedAppManager::post(BTXFeaturedAppModel* model) {
    base::Ref<BTXFeaturedAppModel> keep(model);
    foundation::NotificationCenter::defaultCenter().postNotification(
        BTXFeaturedAppResponseNotification, model,
        model ? base::Value(model->dictionary()) : base::Value());
}

void BTXFeaturedAppManager::fetchResponseSuccessWithData(XDocElement const* element, int) {
    base::Ref<BTXFeaturedAppManager> keep(this);
    featuredAppModelObj_ = BTXFeaturedAppModel::initWithXDoc(element);
    auto model = featuredAppModelObj_;
    auto& database = BTXFeaturedAppDBManager::sharedBTXFeaturedAppDBManager();
    int count = database.getDisplayedCountForStoreID(model->storeID);
    int limit = featuredAppDisplayCount_;
    auto const appID = BountixConnect::getAppID();
    if (limit == -1 || (!appID.empty() && model->storeID == appID) || (count == 0 && limit >= 0)) {
        database.addApp(*model);
    } else if (count > limit) {
        featuredAppModelObj_ = nullptr;
        post(nullptr);
        return;
    } else {
        database.incrementDisplayedCountForStoreID(model->storeID);
    }
    post(model.get());
}

// The handler is let go after its callback has returned, and the next request makes
// a new one, so that one failure does not end featured apps for the whole process.
void BTXFeaturedAppManager::fetchResponseError(int, std::string const&, int) {
    base::Ref<BTXFeaturedAppManager> keep(this);
    post(nullptr);
    if (auto failed = std::exchange(featuredAppHandlerObj_, nullptr)) {
        failed->setDeleg(nullptr);
        foundation::performAfterDelay(
            failed.get(), [] {}, 0);
    }
}

}

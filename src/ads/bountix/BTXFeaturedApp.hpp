#pragma once

#include <ads/bountix/BTXCoreFetcherHandler.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>

namespace ads::bountix {

// Posted once per featured-app request: the object is the model to show and the user
// info its fields as a dictionary (see BTXFeaturedAppModel::dictionary), or neither
// when there is nothing to show.
inline constexpr char const* BTXFeaturedAppResponseNotification
    = "BTX_FEATURED_APP_RESPONSE_NOTIFICATION";
// The display counter's file, in the bundle (the seed) and in Documents (the copy in use).
inline constexpr char const* BTXFeaturedAppDatabaseName = "featured_app.sql";

// One featured application as the offer service describes it. Texts are empty and
// numbers 0 when their element is missing.
class BTXFeaturedAppModel final : public base::Object {
public:
    // From a "BountixApp" element; an empty model for none.
    static base::Ref<BTXFeaturedAppModel> initWithXDoc(toolkit::xml::XDocElement const* element);
    // From the fields dictionary() gives (a notification's user info); null when
    // fields is no dictionary. Missing texts stay empty and missing numbers 0.
    static base::Ref<BTXFeaturedAppModel> initWithDictionary(base::Value const& fields);

    // "name", "cost", "amount", "storeID", "description", "iconURL", "largeIconURL",
    // "redirectURL", "fullScreenAdURL" and "maxTimesToDisplayThisApp".
    base::Ref<base::Dictionary> dictionary() const;

    std::string cost;
    std::string storeID;
    std::string name;
    std::string description;
    int amount {0};
    std::string iconURL;
    std::string largeIconURL;
    std::string redirectURL;
    int maxTimesToDisplayThisApp {0};
    std::string fullScreenAdURL;

private:
    friend base::Factory;
    BTXFeaturedAppModel() = default;
};

// Asks the offer service for its featured application ("get_offers/featured").
class BTXFeaturedAppRequestHandler final : public BTXCoreFetcherHandler {
public:
    static base::Ref<BTXFeaturedAppRequestHandler> create(
        BTXFetchResponseDelegate* delegate, int requestTag);

    void requestFeaturedApp();
    void requestFeaturedAppWithCurrencyID(std::string const& currencyID);

    // The "BountixApp" element inside the "OfferArray" of an accepted reply root, or null.
    static toolkit::xml::XDocElement const* featuredAppOfReply(
        toolkit::xml::XDocElement const* root);

private:
    friend base::Factory;
    BTXFeaturedAppRequestHandler() = default;

    void send(std::optional<std::string> const& currencyID);
    void featuredAppDataReceived(BTXCoreFetcher& fetcher);
};

// How often each featured application (by store id) has been handed out, in the
// SQLite database "featured_app.sql" of Documents, copied there from the bundle's
// seed on first use (the program never creates the table). Each operation opens the
// database, runs one statement and closes it; store ids are bound as parameters, so
// any text is stored and matched as it is. A missing or unreadable database counts 0
// and refuses every change. Main thread.
class BTXFeaturedAppDBManager final : public base::Object {
public:
    // The shared one over Documents and the main bundle.
    static BTXFeaturedAppDBManager& sharedBTXFeaturedAppDBManager();
    static void resetShared();
    // A manager of the database at databasePath, copied from seedPath when it is missing.
    static base::Ref<BTXFeaturedAppDBManager> create(
        std::string databasePath, std::string const& seedPath);

    // A new row for the model's store id with the count 1; false when the row exists
    // already or the database cannot be written.
    bool addApp(BTXFeaturedAppModel const& model);
    // Adds 1 to the store id's count; true also when there is no such row.
    bool incrementDisplayedCountForStoreID(std::string const& storeID);
    // The store id's count, 0 without a row or a database.
    int getDisplayedCountForStoreID(std::string const& storeID);

    std::string const& currentDBPath() const { return currentDBPath_; }

private:
    friend base::Factory;
    BTXFeaturedAppDBManager() = default;

    std::string currentDBPath_;
};

// Fetches the featured application and decides whether it may be shown again: each
// store id is handed out at most the display count's number of times (5 until set;
// no limit for 0 or -1), the application's own id always. Every request ends in one
// BTX_FEATURED_APP_RESPONSE_NOTIFICATION. After a failed request the next one makes
// its handler anew. One shared instance; main thread.
class BTXFeaturedAppManager final : public base::Object, public BTXFetchResponseDelegate {
public:
    static BTXFeaturedAppManager& sharedBTXFeaturedAppManager();
    // Drops the shared instance and its request; for tests.
    static void resetShared();

    void getFeaturedApp();
    void getFeaturedAppWithCurrencyID(std::string const& currencyID);
    // The limit becomes n - 1 (-1, no limit, for n of 0 or -1).
    void setFeaturedAppDisplayCount(int n);
    int featuredAppDisplayCount() const { return featuredAppDisplayCount_; }
    BTXFeaturedAppModel* featuredAppModelObj() const { return featuredAppModelObj_.get(); }
    void setFeaturedAppModelObj(base::Ref<BTXFeaturedAppModel> model);
    void releaseFeaturedAppHandler();

    // BTXFetchResponseDelegate
    void fetchResponseSuccessWithData(toolkit::xml::XDocElement const* element, int tag) override;
    void fetchResponseError(int kind, std::string const& description, int tag) override;

private:
    friend base::Factory;
    BTXFeaturedAppManager();

    BTXFeaturedAppRequestHandler& handler();
    void post(BTXFeaturedAppModel* model);

    base::Ref<BTXFeaturedAppRequestHandler> featuredAppHandlerObj_;
    base::Ref<BTXFeaturedAppModel> featuredAppModelObj_;
    int featuredAppDisplayCount_ {4};
};

}

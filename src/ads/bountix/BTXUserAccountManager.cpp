#include <ads/bountix/BTXUserAccountManager.hpp>

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <base/Value.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/UserDefaults.hpp>

#include <cmath>

namespace ads::bountix {

namespace {

using toolkit::xml::XDoc;

foundation::UserDefaults& defaults() {
    return foundation::UserDefaults::standardUserDefaults();
}

void post(char const* name, std::optional<int> points = std::nullopt) {
    base::Value info;
    if (points)
        info = base::Dictionary::create({{BTXPointsUserInfoKey, *points}});
    foundation::NotificationCenter::defaultCenter().postNotification(name, nullptr, info);
}

base::Ref<BTXUserAccountManager>& sharedSlot() {
    static base::Ref<BTXUserAccountManager> shared;
    return shared;
}

}

// --- model ---

base::Ref<BTXUserAccountModel> BTXUserAccountModel::create() {
    auto model = base::make<BTXUserAccountModel>();
    auto currency = defaults().stringForKey(BTXCurrencyKeyName);
    auto points = defaults().stringForKey(BTXPointsKeyName);
    auto pointsID = defaults().stringForKey(BTXPointIDKeyName);
    defaults().setInteger(0, BTXPointsDeltaKeyName);
    if (!currency) {
        currency = "Points";
        defaults().setObject(base::Value(*currency), BTXCurrencyKeyName);
    }
    model->currencyName_ = *currency;
    model->offerPoints_ = points ? int(base::Value::integerFromString(*points)) : 0;
    model->pointsID_ = pointsID ? *pointsID : BountixConnect::getUserID();
    return model;
}

base::Ref<BTXUserAccountModel> BTXUserAccountModel::initWithXDoc(
    toolkit::xml::XDocElement const* element) {
    auto model = base::make<BTXUserAccountModel>();
    if (!element)
        return model;
    model->offerPoints_ = XDoc::numberForElement(XDoc::childElementNamed("OfferPoints", element));
    defaults().setObject(base::Value(std::to_string(model->offerPoints_)), BTXPointsKeyName);
    model->pointsID_ = XDoc::textForElement(XDoc::childElementNamed("PointsID", element));
    defaults().setObject(base::Value(model->pointsID_), BTXPointIDKeyName);
    model->takeCurrencyName(XDoc::textForElement(XDoc::childElementNamed("CurrencyName", element)));
    return model;
}

void BTXUserAccountModel::updateWithXDoc(
    toolkit::xml::XDocElement const* element, bool shouldCheckEarnedPoints) {
    if (!element)
        return;
    auto [balance, currency, pointsID] = readAccount(element);
    if (shouldCheckEarnedPoints && balance > offerPoints_) {
        int earned = balance - offerPoints_;
        defaults().setInteger(earned, BTXPointsDeltaKeyName);
        post(BTXOfferPointsEarnedNotification, earned);
    }
    offerPoints_ = balance;
    defaults().setObject(base::Value(std::to_string(balance)), BTXPointsKeyName);
    if (!pointsID.empty()) {
        pointsID_ = pointsID;
        defaults().setObject(base::Value(pointsID), BTXPointIDKeyName);
    }
    takeCurrencyName(currency);
}

BTXUserAccountModel::AccountValues BTXUserAccountModel::readAccount(
    toolkit::xml::XDocElement const* element) {
    AccountValues values;
    if (!element)
        return values;
    values.offerPoints = XDoc::numberForElement(XDoc::childElementNamed("OfferPoints", element));
    values.currencyName = XDoc::textForElement(XDoc::childElementNamed("CurrencyName", element));
    values.pointsID = XDoc::textForElement(XDoc::childElementNamed("PointsID", element));
    return values;
}

void BTXUserAccountModel::takeCurrencyName(std::string const& name) {
    auto stored = defaults().stringForKey(BTXCurrencyKeyName);
    if (!name.empty() && (!stored || *stored != name)) {
        BTXLog::logWithLevel(BTXLog::Progress, "BTX: Updating Currency Name in Cache");
        defaults().setObject(base::Value(name), BTXCurrencyKeyName);
        stored = name;
    }
    currencyName_ = stored.value_or("");
}

// --- request handler ---

base::Ref<BTXUserAccountRequestHandler> BTXUserAccountRequestHandler::create(
    BTXFetchResponseDelegate* delegate, int requestTag) {
    auto handler = base::make<BTXUserAccountRequestHandler>();
    handler->initRequestWithDelegate(delegate, requestTag);
    return handler;
}

void BTXUserAccountRequestHandler::send(std::string const& path, BTXParameters parameters) {
    auto const& configuration = BTXConfiguration::current();
    auto url = configuration.primaryHost.empty() ? std::string() : configuration.primaryHost + path;
    auto alternate
        = configuration.fallbackHost.empty() ? std::string() : configuration.fallbackHost + path;
    makeGenericRequestWithURL(url, alternate, std::move(parameters),
        [this](BTXCoreFetcher& fetcher) { userAccountDataReceived(fetcher); });
}

void BTXUserAccountRequestHandler::requestOfferPoints() {
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    send("get_vg_store_items/user_account", std::move(parameters));
}

void BTXUserAccountRequestHandler::subtractOfferPoints(int amount) {
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    parameters.set("offer_points", std::to_string(amount));
    send("points/spend", std::move(parameters));
}

void BTXUserAccountRequestHandler::addOfferPoints(int amount) {
    auto parameters = BountixConnect::sharedBountixConnect().genericParameters();
    parameters.set("publisher_user_id", BountixConnect::getUserID());
    parameters.set("offer_points", std::to_string(amount));
    auto seconds = foundation::Clock::current().wallTime() + foundation::unixEpochToReferenceDate;
    auto timeStamp = std::to_string(static_cast<long long>(std::floor(seconds)));
    auto guid = BountixConnect::generateUUID();
    parameters.set("timestamp", timeStamp);
    parameters.set(
        "verifier", BountixConnect::BTXSHA256CommonParamsWithTimeStamp(timeStamp, amount, guid));
    parameters.set("guid", guid);
    send("points/award", std::move(parameters));
}

void BTXUserAccountRequestHandler::userAccountDataReceived(BTXCoreFetcher& fetcher) {
    BTXLog::logWithLevel(BTXLog::Progress, "Update Account Info Response Returned");
    auto reply = validateResponseReturnedObject(fetcher);
    if (!reply)
        return;
    auto const* account = XDoc::childElementNamed("UserAccountObject", reply.root);
    auto* delegate = deleg();
    if (!account) {
        BTXLog::logWithLevel(BTXLog::Error,
            "BTXUserAccountRequestHandler.cpp: " + std::to_string(__LINE__)
                + "; userAccountDataReceived; No data received while attempting to fetch the data "
                  "from the server");
        if (delegate)
            delegate->fetchResponseError(
                BTXFetchResponseDelegate::Refused, std::string(), fetcher.requestTag);
        return;
    }
    if (delegate)
        delegate->fetchResponseSuccessWithData(account, fetcher.requestTag);
}

// --- manager ---

BTXUserAccountManager::BTXUserAccountManager()
    : userAccountModelObj_(BTXUserAccountModel::create()) {
}

BTXUserAccountManager& BTXUserAccountManager::sharedBTXUserAccountManager() {
    auto& shared = sharedSlot();
    if (!shared)
        shared = base::make<BTXUserAccountManager>();
    return *shared;
}

void BTXUserAccountManager::resetShared() {
    sharedSlot() = nullptr;
}

bool BTXUserAccountManager::refuseWhileWaiting(
    char const* operation, char const* errorNotification) {
    if (!waitingForResponse_)
        return false;
    BTXLog::logWithLevel(BTXLog::Error,
        std::string("BTXUserAccountManager warning: ") + operation
            + " cannot be called until response from the server has been received.");
    post(errorNotification);
    return true;
}

void BTXUserAccountManager::getOfferPoints() {
    if (refuseWhileWaiting("getOfferPoints", BTXOfferPointsResponseErrorNotification))
        return;
    userAccountGetOfferPointsObj
        = BTXUserAccountRequestHandler::create(this, BTXUserAccountRequestHandler::Balance);
    waitingForResponse_ = true;
    userAccountGetOfferPointsObj->requestOfferPoints();
}

void BTXUserAccountManager::spendOfferPoints(int amount) {
    if (refuseWhileWaiting("spendOfferPoints", BTXSpendOfferPointsResponseErrorNotification))
        return;
    userAccountSpendOfferPointsObj
        = BTXUserAccountRequestHandler::create(this, BTXUserAccountRequestHandler::Spend);
    waitingForResponse_ = true;
    userAccountSpendOfferPointsObj->subtractOfferPoints(amount);
}

void BTXUserAccountManager::awardOfferPoints(int amount) {
    if (refuseWhileWaiting("awardOfferPoints", BTXAwardOfferPointsResponseErrorNotification))
        return;
    userAccountSpendOfferPointsObj
        = BTXUserAccountRequestHandler::create(this, BTXUserAccountRequestHandler::Award);
    waitingForResponse_ = true;
    userAccountSpendOfferPointsObj->addOfferPoints(amount);
}

void BTXUserAccountManager::updateUserAccountObjWithXDocElement(
    toolkit::xml::XDocElement const* element) {
    userAccountModelObj_->updateWithXDoc(element, false);
}

void BTXUserAccountManager::releaseUserAccount() {
    userAccountModelObj_ = BTXUserAccountModel::create();
    userAccountGetOfferPointsObj = nullptr;
    userAccountSpendOfferPointsObj = nullptr;
    waitingForResponse_ = false;
}

void BTXUserAccountManager::fetchResponseSuccessWithData(
    toolkit::xml::XDocElement const* element, int tag) {
    base::Ref<BTXUserAccountManager> keep(this);
    userAccountModelObj_->updateWithXDoc(element, true);
    int balance = userAccountModelObj_->offerPoints();
    switch (tag) {
    case BTXUserAccountRequestHandler::Balance:
        post(BTXOfferPointsResponseNotification, balance);
        break;
    case BTXUserAccountRequestHandler::Spend:
        post(BTXSpendOfferPointsResponseNotification, balance);
        break;
    case BTXUserAccountRequestHandler::Award:
        post(BTXAwardOfferPointsResponseNotification, balance);
        break;
    default:
        break;
    }
    waitingForResponse_ = false;
}

void BTXUserAccountManager::fetchResponseError(int, std::string const&, int tag) {
    base::Ref<BTXUserAccountManager> keep(this);
    switch (tag) {
    case BTXUserAccountRequestHandler::Balance:
        post(BTXOfferPointsResponseErrorNotification);
        break;
    case BTXUserAccountRequestHandler::Spend:
        post(BTXSpendOfferPointsResponseErrorNotification);
        break;
    case BTXUserAccountRequestHandler::Award:
        post(BTXAwardOfferPointsResponseErrorNotification);
        break;
    default:
        break;
    }
    waitingForResponse_ = false;
}

}

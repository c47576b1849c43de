#pragma once

#include <ads/bountix/BTXCoreFetcherHandler.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <string>

namespace ads::bountix {

inline constexpr char const* BTXOfferPointsResponseNotification
    = "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXSpendOfferPointsResponseNotification
    = "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXAwardOfferPointsResponseNotification
    = "BTX_AWARD_OFFER_POINTS_RESPONSE_NOTIFICATION";
inline constexpr char const* BTXOfferPointsResponseErrorNotification
    = "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXSpendOfferPointsResponseErrorNotification
    = "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXAwardOfferPointsResponseErrorNotification
    = "BTX_AWARD_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR";
inline constexpr char const* BTXOfferPointsEarnedNotification
    = "BTX_OFFER_POINTS_EARNED_NOTIFICATION";
// The number a balance or earned notification carries, in its user info.
inline constexpr char const* BTXPointsUserInfoKey = "points";

inline constexpr char const* BTXPointsKeyName = "BTX_POINTS_KEY_NAME";
inline constexpr char const* BTXPointIDKeyName = "BTX_POINT_ID_KEY_NAME";
inline constexpr char const* BTXCurrencyKeyName = "BTX_CURRENCY_KEY_NAME";
inline constexpr char const* BTXPointsDeltaKeyName = "BTX_POINTS_DELTA_KEY_NAME";

// The player's offer-point balance, points id and currency name, mirrored into the
// standard user defaults so that an increase is detected across launches.
class BTXUserAccountModel final : public base::Object {
public:
    // From the stored values; the currency is "Points" and the points id the
    // publisher user id when none was stored. The stored delta is set to 0.
    static base::Ref<BTXUserAccountModel> create();
    // A model filled from a "UserAccountObject" element, the points id taken even
    // when empty.
    static base::Ref<BTXUserAccountModel> initWithXDoc(toolkit::xml::XDocElement const* element);

    // Takes the balance, points id and currency name of a "UserAccountObject"
    // element; with the check, a higher balance than before is stored as the delta
    // and announced. Nothing happens for a missing element.
    void updateWithXDoc(toolkit::xml::XDocElement const* element, bool shouldCheckEarnedPoints);

    // What a "UserAccountObject" element says: the balance (0 when missing or no
    // number) and the texts of the currency name and points id ("" when missing).
    struct AccountValues {
        int offerPoints {0};
        std::string currencyName;
        std::string pointsID;
    };
    static AccountValues readAccount(toolkit::xml::XDocElement const* element);

    int offerPoints() const { return offerPoints_; }
    std::string const& pointsID() const { return pointsID_; }
    std::string const& currencyName() const { return currencyName_; }

private:
    friend base::Factory;
    BTXUserAccountModel() = default;

    void takeCurrencyName(std::string const& name);

    int offerPoints_ {0};
    std::string pointsID_;
    std::string currencyName_;
};

// Builds the balance, spend and award requests and checks their replies.
class BTXUserAccountRequestHandler final : public BTXCoreFetcherHandler {
public:
    enum Tag { Balance = 0, Spend = 1, Award = 2 };

    static base::Ref<BTXUserAccountRequestHandler> create(
        BTXFetchResponseDelegate* delegate, int requestTag);

    void requestOfferPoints();
    void subtractOfferPoints(int amount);
    void addOfferPoints(int amount);

private:
    friend base::Factory;
    BTXUserAccountRequestHandler() = default;

    void send(std::string const& path, BTXParameters parameters);
    void userAccountDataReceived(BTXCoreFetcher& fetcher);
};

// The points account: one outstanding request at a time, each outcome announced on
// the default centre. A request made while another waits (also one made inside the
// handler of the previous outcome's notification) is refused at once with its error
// notification. Spend and award replies have notifications of their own, so a
// caller credits what it spent only when the spend is confirmed. One shared
// instance; main thread.
class BTXUserAccountManager final : public base::Object, public BTXFetchResponseDelegate {
public:
    static BTXUserAccountManager& sharedBTXUserAccountManager();
    // Drops the shared instance and its requests; for tests.
    static void resetShared();

    void getOfferPoints();
    void spendOfferPoints(int amount);
    void awardOfferPoints(int amount);
    void updateUserAccountObjWithXDocElement(toolkit::xml::XDocElement const* element);
    void releaseUserAccount();

    BTXUserAccountModel* userAccountModelObj() const { return userAccountModelObj_.get(); }
    bool waitingForResponse() const { return waitingForResponse_; }

    // BTXFetchResponseDelegate
    void fetchResponseSuccessWithData(toolkit::xml::XDocElement const* element, int tag) override;
    void fetchResponseError(int kind, std::string const& description, int tag) override;

private:
    friend base::Factory;
    BTXUserAccountManager();

    bool refuseWhileWaiting(char const* operation, char const* errorNotification);

    base::Ref<BTXUserAccountModel> userAccountModelObj_;
    base::Ref<BTXUserAccountRequestHandler> userAccountGetOfferPointsObj;
    base::Ref<BTXUserAccountRequestHandler> userAccountSpendOfferPointsObj;
    bool waitingForResponse_ {false};
};

}

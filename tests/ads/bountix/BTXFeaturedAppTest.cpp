#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <toolkit/xml/XDoc.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using ads::bountix::BountixConnect;
using ads::bountix::BTXFeaturedAppDBManager;
using ads::bountix::BTXFeaturedAppManager;
using ads::bountix::BTXFeaturedAppModel;
using test::HttpResponse;
using toolkit::xml::XDoc;

namespace {

std::string featuredReply(std::string const& storeID, bool withMediumIcon = true) {
    return "<BountixConnectReturnObject><OfferArray><BountixApp><Cost>Free</Cost><StoreID>"
        + storeID
        + "</StoreID><Name>Other Game</Name><Description>Fun</Description><Amount>25</Amount>"
          "<IconURL>https://icons/1.png</IconURL>"
        + (withMediumIcon ? "<MediumIconURL>https://icons/2.png</MediumIconURL>" : "")
        + "<RedirectURL>https://store/app</RedirectURL><FullScreenAdURL>https://ads/full</"
          "FullScreenAdURL></BountixApp></OfferArray></BountixConnectReturnObject>";
}

// The bundle holds the shipped seed counter database; every featured-app notification is kept
// with the name of the model it carried ("" for none).
class BTXFeaturedAppTest : public test::BountixTest {
protected:
    BTXFeaturedAppTest() {
        std::filesystem::create_directories(bundle);
        foundation::Bundle::setMainBundlePath(bundle.string());
        std::filesystem::copy_file(
            std::filesystem::path(QUILLABY_RESOURCES_DIR) / "featured_app.sql",
            bundle / "featured_app.sql");
        reset();
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        observation_ = foundation::NotificationCenter::defaultCenter().observe(
            ads::bountix::BTXFeaturedAppResponseNotification,
            [this](foundation::Notification const& notification) {
                auto const* model = static_cast<BTXFeaturedAppModel const*>(notification.object());
                auto const* info = notification.userInfo().dictionary();
                shown.push_back(model ? model->name : "");
                if (model && info) {
                    EXPECT_EQ(info->objectForKey("storeID").stringValue(), model->storeID);
                }
                EXPECT_EQ(model == nullptr, info == nullptr);
            });
    }
    ~BTXFeaturedAppTest() override {
        observation_.cancel();
        reset();
        foundation::Bundle::setMainBundlePath({});
    }
    static void reset() {
        BTXFeaturedAppManager::resetShared();
        BTXFeaturedAppDBManager::resetShared();
    }

    static BTXFeaturedAppManager& manager() {
        return BTXFeaturedAppManager::sharedBTXFeaturedAppManager();
    }
    static BTXFeaturedAppDBManager& database() {
        return BTXFeaturedAppDBManager::sharedBTXFeaturedAppDBManager();
    }
    // The manager reads a reply naming that store id, as if it came from the service.
    static void receive(std::string const& storeID) {
        auto document = XDoc::xdocWithXMLString(featuredReply(storeID));
        auto const* app = ads::bountix::BTXFeaturedAppRequestHandler::featuredAppOfReply(
            document->rootXMLElement());
        ASSERT_TRUE(app);
        manager().fetchResponseSuccessWithData(app, 0);
    }

    std::filesystem::path bundle {dir.path() / "bundle"};
    std::vector<std::string> shown;

private:
    foundation::ObservationToken observation_;
};

}

TEST_F(BTXFeaturedAppTest, EachStoreIDIsHandedOutAsOftenAsTheDisplayCountAllows) {
    struct Case {
        char const* name;
        std::optional<int> displayCount;
        int shownOf12;
        int storedCount;
    };
    for (auto const& c : {Case {"10", 10, 10, 10}, Case {"1", 1, 1, 1}, Case {"0", 0, 12, 1},
             Case {"-1", -1, 12, 1}, Case {"default", std::nullopt, 5, 5}}) {
        SCOPED_TRACE(c.name);
        std::string storeID = std::string("store-") + c.name;
        reset();
        if (c.displayCount)
            BountixConnect::setFeaturedAppDisplayCount(*c.displayCount);
        shown.clear();
        int count = 0;
        for (int i = 0; i < 12; ++i) {
            receive(storeID);
            count += !shown.empty() && shown.back() == "Other Game";
        }
        EXPECT_EQ(shown.size(), 12u);
        EXPECT_EQ(count, c.shownOf12);
        // Shown first, refused after.
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(shown[i], i < c.shownOf12 ? "Other Game" : "") << i;
        EXPECT_EQ(database().getDisplayedCountForStoreID(storeID), c.storedCount);
        EXPECT_EQ(manager().featuredAppModelObj() != nullptr, c.shownOf12 == 12);
    }
}

TEST_F(BTXFeaturedAppTest, TheApplicationsOwnIDIsAlwaysShownAndTheCountersLastAcrossLaunches) {
    BountixConnect::setFeaturedAppDisplayCount(1);
    for (int i = 0; i < 3; ++i)
        receive(AppID);
    EXPECT_EQ(shown, std::vector<std::string>(3, "Other Game"));
    receive("other");
    // A new process: the counter file in Documents is kept, the seed not copied again.
    reset();
    BountixConnect::setFeaturedAppDisplayCount(1);
    shown.clear();
    receive("other");
    EXPECT_EQ(shown, std::vector<std::string>({""}));
    EXPECT_EQ(database().currentDBPath(),
        (std::filesystem::path(foundation::Sandbox::documentsPath()) / "featured_app.sql")
            .string());
    EXPECT_EQ(BTXFeaturedAppDBManager::create((bundle / "featured_app.sql").string(), "")
                  ->getDisplayedCountForStoreID("other"),
        0);
}

TEST_F(BTXFeaturedAppTest, AStoreIDIsStoredAndMatchedAsTextNeverRunAsSQL) {
    auto hostile = BTXFeaturedAppModel::initWithXDoc(nullptr);
    for (std::string id : {"x'); DROP TABLE featured_apps;--", "o'brien", "a' OR '1'='1"}) {
        SCOPED_TRACE(id);
        hostile->storeID = id;
        EXPECT_TRUE(database().addApp(*hostile));
        EXPECT_FALSE(database().addApp(*hostile)) << "a second row for the same id";
        EXPECT_TRUE(database().incrementDisplayedCountForStoreID(id));
        EXPECT_EQ(database().getDisplayedCountForStoreID(id), 2);
    }
    auto plain = BTXFeaturedAppModel::initWithXDoc(nullptr);
    plain->storeID = "x";
    EXPECT_TRUE(database().addApp(*plain));
    EXPECT_EQ(database().getDisplayedCountForStoreID("x"), 1);
    EXPECT_EQ(database().getDisplayedCountForStoreID("a' OR '1'='1"), 2);
    EXPECT_EQ(database().getDisplayedCountForStoreID("nobody' OR '1'='1"), 0);
}

TEST_F(BTXFeaturedAppTest, WithoutADatabaseEveryAppIsShownAndNothingIsCounted) {
    std::filesystem::remove(bundle / "featured_app.sql");
    reset();
    BountixConnect::setFeaturedAppDisplayCount(1);
    for (int i = 0; i < 3; ++i)
        receive("lonely");
    EXPECT_EQ(shown, std::vector<std::string>(3, "Other Game"));
    EXPECT_FALSE(std::filesystem::exists(database().currentDBPath()));
    EXPECT_EQ(database().getDisplayedCountForStoreID("lonely"), 0);
}

TEST_F(BTXFeaturedAppTest, TheModelTakesEveryFieldAndLeavesMissingOnesEmpty) {
    auto full = XDoc::xdocWithXMLString(featuredReply("s1"));
    auto model = BTXFeaturedAppModel::initWithXDoc(
        ads::bountix::BTXFeaturedAppRequestHandler::featuredAppOfReply(full->rootXMLElement()));
    EXPECT_EQ(model->cost, "Free");
    EXPECT_EQ(model->storeID, "s1");
    EXPECT_EQ(model->name, "Other Game");
    EXPECT_EQ(model->description, "Fun");
    EXPECT_EQ(model->amount, 25);
    EXPECT_EQ(model->iconURL, "https://icons/1.png");
    EXPECT_EQ(model->largeIconURL, "https://icons/2.png");
    EXPECT_EQ(model->redirectURL, "https://store/app");
    EXPECT_EQ(model->fullScreenAdURL, "https://ads/full");
    EXPECT_EQ(model->maxTimesToDisplayThisApp, 0);
    EXPECT_EQ(model->dictionary()->objectForKey("amount").intValue(), 25);

    auto partial = XDoc::xdocWithXMLString(featuredReply("s2", false));
    EXPECT_EQ(BTXFeaturedAppModel::initWithXDoc(
                  ads::bountix::BTXFeaturedAppRequestHandler::featuredAppOfReply(
                      partial->rootXMLElement()))
                  ->largeIconURL,
        "");
    for (char const* reply : {"<BountixConnectReturnObject/>",
             "<BountixConnectReturnObject><BountixApp/></BountixConnectReturnObject>",
             "<BountixConnectReturnObject><OfferArray/></BountixConnectReturnObject>"}) {
        auto document = XDoc::xdocWithXMLString(reply);
        EXPECT_EQ(ads::bountix::BTXFeaturedAppRequestHandler::featuredAppOfReply(
                      document->rootXMLElement()),
            nullptr)
            << reply;
    }
}

TEST_F(BTXFeaturedAppTest, ARequestAsksForThePublishersAppAndAFailureDoesNotEndLaterRequests) {
    primary.route(
        "GET", "/get_offers/featured", HttpResponse::text("<BountixConnectReturnObject/>"));
    BountixConnect::getFeaturedAppWithCurrencyID("gems");
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return !shown.empty(); }, 20));
    EXPECT_EQ(shown, std::vector<std::string>({""}));
    ASSERT_EQ(primary.requestCount(), 1u);
    auto query = primary.requests()[0].query;
    EXPECT_NE(query.find("app_id=" + std::string(AppID)), std::string::npos) << query;
    EXPECT_NE(query.find("&publisher_user_id=install-0001&currency_id=gems"), std::string::npos)
        << query;

    // The next request is sent, and its answer shown.
    primary.route("GET", "/get_offers/featured", HttpResponse::text(featuredReply("s9")));
    BountixConnect::getFeaturedApp();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return shown.size() == 2; }, 20));
    EXPECT_EQ(shown.back(), "Other Game");
    ASSERT_EQ(primary.requestCount(), 2u);
    EXPECT_EQ(primary.requests()[1].query.find("currency_id"), std::string::npos);
    EXPECT_EQ(database().getDisplayedCountForStoreID("s9"), 1);
}

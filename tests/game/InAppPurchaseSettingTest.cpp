#include <foundation/PropertyList.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using game::InAppPurchaseSetting;

TEST(InAppPurchaseSetting, PackagesSellTheirPointsUnderProductIdsThatSkipThree) {
    struct Case {
        int points;
        std::string productID;
        char const* suffix;
    };
    std::vector<Case> const cases = {
        {InAppPurchaseSetting::getPackage1Points(), InAppPurchaseSetting::getPackage1ProductID(),
            ".petPointsPackage1"},
        {InAppPurchaseSetting::getPackage2Points(), InAppPurchaseSetting::getPackage2ProductID(),
            ".petPointsPackage2"},
        {InAppPurchaseSetting::getPackage3Points(), InAppPurchaseSetting::getPackage3ProductID(),
            ".petPointsPackage4"},
        {InAppPurchaseSetting::getPackage4Points(), InAppPurchaseSetting::getPackage4ProductID(),
            ".petPointsPackage5"},
        {InAppPurchaseSetting::getPackage5Points(), InAppPurchaseSetting::getPackage5ProductID(),
            ".petPointsPackage6"},
    };
    std::vector<int> const points = {100, 210, 460, 1250, 3000};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].points, points[i]) << "package " << i + 1;
        EXPECT_EQ(cases[i].productID,
            std::string(InAppPurchaseSetting::applicationIdentifier) + cases[i].suffix)
            << "package " << i + 1;
        // The same package by its number and by its product id.
        int package = int(i) + 1;
        EXPECT_EQ(InAppPurchaseSetting::getPackagePoints(package), points[i]);
        EXPECT_EQ(InAppPurchaseSetting::getPackageProductID(package), cases[i].productID);
        EXPECT_EQ(InAppPurchaseSetting::packageOfProduct(cases[i].productID), package);
    }
    for (int outside : {0, 6, -1}) {
        EXPECT_EQ(InAppPurchaseSetting::getPackagePoints(outside), 0) << outside;
        EXPECT_EQ(InAppPurchaseSetting::getPackageProductID(outside), "") << outside;
    }
    for (auto const& unknown : {std::string(),
             std::string(InAppPurchaseSetting::applicationIdentifier) + ".petPointsPackage3"})
        EXPECT_EQ(InAppPurchaseSetting::packageOfProduct(unknown), 0) << unknown;
}

TEST(InAppPurchaseSetting, ProductIdsStartWithTheBundlesIdentifier) {
    auto info = foundation::PropertyList::dictionaryWithContentsOfFile(
        std::string(QUILLABY_BUILD_DIR) + "/bundle/Info.plist");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->objectForKey("CFBundleIdentifier"),
        base::Value(InAppPurchaseSetting::applicationIdentifier));
}

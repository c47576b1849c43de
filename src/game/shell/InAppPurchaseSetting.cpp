#include <game/shell/InAppPurchaseSetting.hpp>

namespace game {

namespace {

std::string productID(char const* suffix) {
    return std::string(InAppPurchaseSetting::applicationIdentifier) + ".petPointsPackage" + suffix;
}

struct Package {
    std::string (*identifier)();
    int (*points)();
};

constexpr Package packages[InAppPurchaseSetting::packageCount] = {
    {InAppPurchaseSetting::getPackage1ProductID, InAppPurchaseSetting::getPackage1Points},
    {InAppPurchaseSetting::getPackage2ProductID, InAppPurchaseSetting::getPackage2Points},
    {InAppPurchaseSetting::getPackage3ProductID, InAppPurchaseSetting::getPackage3Points},
    {InAppPurchaseSetting::getPackage4ProductID, InAppPurchaseSetting::getPackage4Points},
    {InAppPurchaseSetting::getPackage5ProductID, InAppPurchaseSetting::getPackage5Points},
};

bool isPackage(int package) {
    return package >= 1 && package <= InAppPurchaseSetting::packageCount;
}

}

int InAppPurchaseSetting::getPackage1Points() {
    return 100;
}

int InAppPurchaseSetting::getPackage2Points() {
    return 210;
}

int InAppPurchaseSetting::getPackage3Points() {
    return 460;
}

int InAppPurchaseSetting::getPackage4Points() {
    return 1250;
}

int InAppPurchaseSetting::getPackage5Points() {
    return 3000;
}

std::string InAppPurchaseSetting::getPackage1ProductID() {
    return productID("1");
}

std::string InAppPurchaseSetting::getPackage2ProductID() {
    return productID("2");
}

std::string InAppPurchaseSetting::getPackage3ProductID() {
    return productID("4");
}

std::string InAppPurchaseSetting::getPackage4ProductID() {
    return productID("5");
}

std::string InAppPurchaseSetting::getPackage5ProductID() {
    return productID("6");
}

int InAppPurchaseSetting::getPackagePoints(int package) {
    return isPackage(package) ? packages[package - 1].points() : 0;
}

std::string InAppPurchaseSetting::getPackageProductID(int package) {
    return isPackage(package) ? packages[package - 1].identifier() : std::string();
}

int InAppPurchaseSetting::packageOfProduct(std::string const& productIdentifier) {
    for (int package = 1; package <= packageCount; ++package) {
        if (packages[package - 1].identifier() == productIdentifier)
            return package;
    }
    return 0;
}

}

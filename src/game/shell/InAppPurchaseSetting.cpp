#include <game/shell/InAppPurchaseSetting.hpp>

namespace game {

namespace {

std::string productID(char const* suffix) {
    return std::string(InAppPurchaseSetting::applicationIdentifier) + ".petPointsPackage" + suffix;
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

}

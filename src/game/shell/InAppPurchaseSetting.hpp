#pragma once

#include <string>

namespace game {

// The five Pet Point packages sold in the store: how many Vov Azavuz each gives
// and its store product id. The product ids skip the digit 3, so package 3 sells
// ".petPointsPackage4". Constants; never instantiated; any thread.
class InAppPurchaseSetting {
public:
    InAppPurchaseSetting() = delete;

    // The application's own reverse-domain id in the store, the prefix of every
    // product id: the identifier in the bundle's Info.plist.
    static constexpr char const* applicationIdentifier = "net.quillaby.salon";

    static int getPackage1Points();
    static int getPackage2Points();
    static int getPackage3Points();
    static int getPackage4Points();
    static int getPackage5Points();

    static std::string getPackage1ProductID();
    static std::string getPackage2ProductID();
    static std::string getPackage3ProductID();
    static std::string getPackage4ProductID();
    static std::string getPackage5ProductID();

    static constexpr int packageCount = 5;
    // Package number (1 to 5) by number; 0 and an empty id outside that range.
    static int getPackagePoints(int package);
    static std::string getPackageProductID(int package);
    // The package (1 to 5) that sells productIdentifier, or 0.
    static int packageOfProduct(std::string const& productIdentifier);
};

}

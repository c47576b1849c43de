#include <game/shell/PurchaseManager.hpp>

#include <foundation/Format.hpp>

namespace game {

namespace {

PurchaseManager standing;
PurchaseManager* installed = nullptr;

}

PurchaseManager& PurchaseManager::shared() {
    return installed ? *installed : standing;
}

void PurchaseManager::setShared(PurchaseManager* manager) {
    installed = manager;
}

void PurchaseManager::requestProductData(std::string const& productIdentifier) {
    foundation::log("No store: product %@ not requested", productIdentifier);
}

void PurchaseManager::purchaseProduct(std::string const& productIdentifier) {
    foundation::log("No store: product %@ not bought", productIdentifier);
}

}

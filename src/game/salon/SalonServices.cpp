#include <game/salon/SalonServices.hpp>

namespace game {

namespace {

SalonServices* installed = nullptr;

}

SalonServices& SalonServices::shared() {
    static SalonServices defaults;
    return installed ? *installed : defaults;
}

void SalonServices::setShared(SalonServices* services) {
    installed = services;
}

}

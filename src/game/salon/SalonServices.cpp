#include <game/salon/SalonServices.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <serverkit/PushSaveData.hpp>
#include <serverkit/QBYConnect.hpp>

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

void SalonServices::pushSaveData(base::Ref<base::Dictionary> save) {
    serverkit::QBYConnect::sharedManager().callAPIMethod(
        serverkit::PushSaveData::apicallWithSaveDataObject(base::Value(std::move(save))));
}

void SalonServices::logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) {
    analytics::KestrelAnalytics::logEvent(name, std::move(parameters));
}

}

#include <serverkit/CheckDirectives.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/NotificationCenter.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace serverkit {

namespace {

// The entry's removal: the data store drops a key whose value is the null object.
base::Ref<base::Dictionary> clearedEntry() {
    auto info = base::Dictionary::create();
    info->setObject(QBYKeys::CheckDirectivesDataStore, base::Value::nullObject());
    return info;
}

}

base::Ref<CheckDirectives> CheckDirectives::apicall() {
    return base::make<CheckDirectives>(Handlers());
}

base::Ref<CheckDirectives> CheckDirectives::apicallWithDirectiveHandlers(Handlers handlers) {
    return base::make<CheckDirectives>(std::move(handlers));
}

CheckDirectives::CheckDirectives(Handlers handlers)
    : _handlers(std::move(handlers)) {
    setApiMethod("checkdirectives");
}

base::Ref<base::Dictionary> CheckDirectives::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData(), _handlers);
}

base::Ref<base::Dictionary> CheckDirectives::dataStoreInfoForReply(
    base::Bytes const* reply, Handlers const& handlers) {
    if (!reply)
        return clearedEntry();
    auto decoded = toolkit::json::JSONDecoder::decoder()->objectWithData(*reply);
    auto records = decoded.arrayRef();
    if (!records)
        return clearedEntry();

    auto merged = base::Dictionary::create();
    for (auto const& record : records->values()) {
        auto const* fields = record.dictionary();
        auto const* data = fields ? fields->objectForKey("data").string() : nullptr;
        if (!data)
            continue;
        auto uid = std::int32_t(fields->objectForKey("uid").intValue());
        for (auto const& handler : handlers) {
            if (!handler)
                continue;
            if (auto result = handler->processDirective(uid, *data))
                merged->addEntriesFrom(*result);
        }
    }
    auto info = base::Dictionary::create();
    info->setObject(QBYKeys::CheckDirectivesDataStore, merged);
    return info;
}

void CheckDirectives::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::CheckDirectives, this);
}

}

#include <ads/adnoria/ADNStatisticsCore.hpp>

#include <foundation/UserDefaults.hpp>

namespace ads::adnoria {

base::Ref<ADNStatisticsCore> ADNStatisticsCore::initWithIdentifier(std::string identifier) {
    auto core = base::make<ADNStatisticsCore>();
    core->identifier_ = std::move(identifier);
    core->statistics_ = base::Dictionary::create();
    core->loadPersistentStatistics();
    return core;
}

ADNStatisticsCore::~ADNStatisticsCore() {
    savePersistentStatistics();
}

std::string ADNStatisticsCore::userDefaultsKey() const {
    return "adnoria_stats_" + identifier_;
}

void ADNStatisticsCore::savePersistentStatistics() {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setObject(statistics_->copy(), userDefaultsKey());
    defaults.synchronize();
}

void ADNStatisticsCore::loadPersistentStatistics() {
    if (auto stored
        = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(userDefaultsKey()))
        statistics_->addEntriesFrom(*stored);
}

void ADNStatisticsCore::setNumber(base::Value const& value, std::string const& key) {
    if (value.isNumber() || value.isBoolean())
        statistics_->setObject(key, value);
}

void ADNStatisticsCore::setString(base::Value const& value, std::string const& key) {
    if (value.isString())
        statistics_->setObject(key, value);
}

void ADNStatisticsCore::setDate(base::Value const& value, std::string const& key) {
    if (value.isDate())
        statistics_->setObject(key, value);
}

void ADNStatisticsCore::setArray(base::Value const& value, std::string const& key) {
    if (value.isArray())
        statistics_->setObject(key, value);
}

void ADNStatisticsCore::setDictionary(base::Value const& value, std::string const& key) {
    if (value.isDictionary())
        statistics_->setObject(key, value);
}

std::int64_t ADNStatisticsCore::addValue(std::int64_t value, std::string const& key) {
    auto sum = statistics_->objectForKey(key).longLongValue() + value;
    statistics_->setObject(key, sum);
    return sum;
}

}

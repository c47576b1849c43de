#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace ads::adnoria {

// A persistent key-value store of counters and flags, kept in the standard user
// defaults under "adnoria_stats_<identifier>". Typed setters drop a value of
// another kind. Saved by synchronize and when the store goes. Main thread.
class ADNStatisticsCore final : public base::Object {
public:
    static base::Ref<ADNStatisticsCore> initWithIdentifier(std::string identifier);
    ~ADNStatisticsCore() override;

    std::string const& identifier() const { return identifier_; }
    std::string userDefaultsKey() const;
    void savePersistentStatistics();
    void synchronize() { savePersistentStatistics(); }
    void loadPersistentStatistics();

    void setNumber(base::Value const& value, std::string const& key);
    void setString(base::Value const& value, std::string const& key);
    void setDate(base::Value const& value, std::string const& key);
    void setArray(base::Value const& value, std::string const& key);
    void setDictionary(base::Value const& value, std::string const& key);
    base::Value numberForKey(std::string const& key) const { return objectForKey(key); }
    base::Value stringForKey(std::string const& key) const { return objectForKey(key); }
    base::Value dateForKey(std::string const& key) const { return objectForKey(key); }
    base::Value arrayForKey(std::string const& key) const { return objectForKey(key); }
    base::Value dictionaryForKey(std::string const& key) const { return objectForKey(key); }
    base::Value objectForKey(std::string const& key) const {
        return statistics_->objectForKey(key);
    }
    // The stored integer (0 when absent) plus value, stored and returned.
    std::int64_t addValue(std::int64_t value, std::string const& key);
    void removeObjectForKey(std::string const& key) { statistics_->removeObjectForKey(key); }
    void removeAllObjects() { statistics_->removeAll(); }

private:
    friend base::Factory;
    ADNStatisticsCore() = default;

    std::string identifier_;
    base::Ref<base::Dictionary> statistics_;
};

}

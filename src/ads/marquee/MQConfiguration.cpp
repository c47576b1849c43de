#include <ads/marquee/MQConfiguration.hpp>

namespace ads::marquee {

namespace {

MQConfiguration& storage() {
    static MQConfiguration configuration;
    return configuration;
}

}

void MQConfiguration::setUp(MQConfiguration configuration) {
    storage() = std::move(configuration);
}

MQConfiguration const& MQConfiguration::current() {
    return storage();
}

void MQConfiguration::reset() {
    storage() = {};
}

}

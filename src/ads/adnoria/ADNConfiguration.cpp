#include <ads/adnoria/ADNConfiguration.hpp>

namespace ads::adnoria {

namespace {
ADNConfiguration& storage() {
    static ADNConfiguration configuration;
    return configuration;
}
}

void ADNConfiguration::setUp(ADNConfiguration configuration) {
    storage() = std::move(configuration);
}

ADNConfiguration const& ADNConfiguration::current() {
    return storage();
}

void ADNConfiguration::reset() {
    storage() = ADNConfiguration {};
}

}

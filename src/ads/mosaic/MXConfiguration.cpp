#include <ads/mosaic/MXConfiguration.hpp>

namespace ads::mosaic {

namespace {

MXConfiguration& storage() {
    static MXConfiguration configuration;
    return configuration;
}

}

void MXConfiguration::setUp(MXConfiguration configuration) {
    storage() = std::move(configuration);
}

MXConfiguration const& MXConfiguration::current() {
    return storage();
}

void MXConfiguration::reset() {
    storage() = {};
}

}

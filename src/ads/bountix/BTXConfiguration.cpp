#include <ads/bountix/BTXConfiguration.hpp>

namespace ads::bountix {

namespace {

BTXConfiguration& stored() {
    static BTXConfiguration configuration;
    return configuration;
}

std::string withSlash(std::string root) {
    if (!root.empty() && root.back() != '/')
        root.push_back('/');
    return root;
}

}

void BTXConfiguration::setUp(BTXConfiguration configuration) {
    configuration.primaryHost = withSlash(std::move(configuration.primaryHost));
    configuration.fallbackHost = withSlash(std::move(configuration.fallbackHost));
    configuration.affiliateHost = withSlash(std::move(configuration.affiliateHost));
    stored() = std::move(configuration);
}

BTXConfiguration const& BTXConfiguration::current() {
    return stored();
}

void BTXConfiguration::reset() {
    stored() = {};
}

}

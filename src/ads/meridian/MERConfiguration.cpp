#include <ads/meridian/MERConfiguration.hpp>

#include <foundation/Paths.hpp>
#include <foundation/Sandbox.hpp>

#include <filesystem>
#include <system_error>
#include <utility>

namespace ads::meridian {

namespace {
MERConfiguration& storage() {
    static MERConfiguration configuration;
    return configuration;
}
}

void MERConfiguration::setUp(MERConfiguration configuration) {
    storage() = std::move(configuration);
}

MERConfiguration const& MERConfiguration::current() {
    return storage();
}

void MERConfiguration::reset() {
    storage() = MERConfiguration {};
}

std::string meridianFolderPath() {
    auto folder
        = foundation::stringByAppendingPathComponent(foundation::Sandbox::libraryPath(), "mersdk");
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

}

#include <ads/bountix/BTXHardware.hpp>

#include <gtest/gtest.h>

#include <optional>

using ads::bountix::BTXHardware;

TEST(BTXHardware, PlatformTypeNameAndCode) {
    struct Case {
        char const* platform;
        std::optional<float> width;
        char const* name;
        char const* code;
    };
    Case const cases[] {
        {"iFPGA", std::nullopt, "iFPGA", "Unknown iOS device"},
        {"iPhone1,1", std::nullopt, "iPhone 1G", "M68"},
        {"iPhone1,2", std::nullopt, "iPhone 3G", "N82"},
        {"iPhone2,1", std::nullopt, "iPhone 3GS", "N88"},
        {"iPhone3,3", std::nullopt, "iPhone 4", "N89"},
        {"iPhone4,1", std::nullopt, "iPhone 5", "Unknown iPhone"},
        {"iPhone9,1", std::nullopt, "Unknown iPhone", "Unknown iPhone"},
        {"iPod1,1", std::nullopt, "iPod touch 1G", "N45"},
        {"iPod2,1", std::nullopt, "iPod touch 2G", "N72"},
        {"iPod3,1", std::nullopt, "iPod touch 3G", "N18"},
        {"iPod4,1", std::nullopt, "iPod touch 4G", "N80"},
        {"iPod5,1", std::nullopt, "Unknown iPod", "Unknown iPod"},
        {"iPad1,1", std::nullopt, "iPad 1G", "K48"},
        {"iPad2,1", std::nullopt, "iPad 2G", "Unknown iPad"},
        {"iPad3,1", std::nullopt, "Unknown iPad", "Unknown iPad"},
        {"x86_64", std::nullopt, "iPhone Simulator", "Unknown iOS device"},
        {"i386", 320.0f, "iPhone Simulator", "Unknown iOS device"},
        {"i386", 768.0f, "iPad Simulator", "Unknown iOS device"},
        {"aarch64", 1024.0f, "Unknown iOS device", "Unknown iOS device"},
    };
    for (auto const& c : cases) {
        auto type = BTXHardware::platformTypeFor(c.platform, c.width);
        EXPECT_EQ(BTXHardware::platformString(type), c.name) << c.platform;
        EXPECT_EQ(BTXHardware::platformCode(type), c.code) << c.platform;
    }
    EXPECT_EQ(BTXHardware::platformCode(BTXHardware::Simulator), "iPhone Simulator");
    EXPECT_FALSE(BTXHardware::platform().empty());
}

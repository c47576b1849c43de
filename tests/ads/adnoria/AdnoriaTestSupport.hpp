#pragma once

#include <support/TempDir.hpp>

#include <ads/adnoria/ADNIdentifierUtilities.hpp>

#include <foundation/Clock.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace test {

// A fresh sandbox (user defaults and caches in a temporary folder), a manual clock,
// the Adnoria configuration set up with test values, fixed device facts and a fixed
// random source; every shared object of the client is dropped before and after.
class AdnoriaTest : public ::testing::Test {
protected:
    static constexpr char const* InstallationIdentifier = "install-0001";
    static std::array<std::uint8_t, 16> testKey();
    static ads::adnoria::ADNIdentifierUtilities::Facts fakeFacts();

    AdnoriaTest();
    ~AdnoriaTest() override;

    // Sets the wall clock to seconds since 1970.
    void setUnixTime(double seconds);

    TempDir dir;
    foundation::ScopedManualClock clock;

private:
    std::string previousRoot_;
};

}

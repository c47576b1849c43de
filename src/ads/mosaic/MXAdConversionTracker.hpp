#pragma once

#include <base/Object.hpp>

#include <optional>
#include <string>

namespace ads::mosaic {

// Reports once per installation that the application was opened ("/m/open"). The
// game does not call it; it is part of the client's interface. The report runs on a
// thread of its own and touches only the file system and a synchronous request; the
// empty marker file "mosaicAppOpen.log" in Documents records that the server
// confirmed it, so an unconfirmed report is made again on the next call.
class MXAdConversionTracker final : public base::Object {
public:
    static MXAdConversionTracker& sharedConversionTracker();

    // Runs the synchronous report on a new thread and returns at once.
    void reportApplicationOpenForApplicationID(std::string const& applicationID);
    void reportApplicationOpenSynchronous(std::string const& applicationID);

    // The report's URL, or none while no ad server is configured.
    static std::optional<std::string> applicationOpenURL(std::string const& applicationID);
    static std::string markerPath();

private:
    friend base::Factory;

    MXAdConversionTracker() = default;
};

}

#pragma once

#include <serverkit/marketing/CHKObject.hpp>

#include <base/Value.hpp>

#include <string>

namespace serverkit {

// The marketing kit's event log: its hooks accept a text or a dictionary with a tag
// and do nothing.
class CHKEventLogManager final : public CHKObject {
public:
    static CHKEventLogManager& sharedManager();

    void logMessage(std::string const& message, std::string const& tag);
    void logDictionary(base::Dictionary const& dictionary, std::string const& tag);

private:
    friend base::Factory;
    CHKEventLogManager() = default;
};

}

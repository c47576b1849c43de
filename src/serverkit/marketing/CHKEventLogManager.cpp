#include <serverkit/marketing/CHKEventLogManager.hpp>

#include <base/SharedInstance.hpp>

namespace serverkit {

CHKEventLogManager& CHKEventLogManager::sharedManager() {
    return base::SharedInstance<CHKEventLogManager>::get();
}

void CHKEventLogManager::logMessage(std::string const&, std::string const&) {
}

void CHKEventLogManager::logDictionary(base::Dictionary const&, std::string const&) {
}

}

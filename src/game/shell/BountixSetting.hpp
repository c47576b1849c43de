#pragma once

#include <string>

namespace game {

// The offer wall's and the Marquee client's application ids and secrets, and the
// offer wall's pay-per-action ids by action type. Constants; never instantiated;
// any thread.
class BountixSetting {
public:
    BountixSetting() = delete;

    static std::string getBountixID();
    static std::string getBountixSecret();
    static std::string getMarqueeID();
    static std::string getMarqueeSig();

    // The action id of a type, "" for an unknown type. Types with no action of
    // their own answer the offer-wall application id; callers compare with
    // getBountixID() and report nothing then.
    static std::string getPayPerAction(int actionType);
};

}

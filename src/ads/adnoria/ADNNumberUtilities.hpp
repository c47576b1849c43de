#pragma once

#include <string>

namespace ads::adnoria {

// Number texts of the Adnoria client.
class ADNNumberUtilities {
public:
    // "%f" with the trailing zeros dropped and then, when nothing follows it, the
    // point too: 1.5 gives "1.5", 2 gives "2", 0 gives "0".
    static std::string stringWithFloat(double value);
};

}

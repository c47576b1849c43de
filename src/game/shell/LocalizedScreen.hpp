#pragma once

#include <string>

namespace game {

// A store screen whose texts the root view controller fills from the bundle's
// localized strings. Each setter is optional.
class LocalizedScreen {
public:
    virtual ~LocalizedScreen() = default;

    virtual void setTitleStr(std::string const&) { }
    virtual void setOkStr(std::string const&) { }
    virtual void setCancelStr(std::string const&) { }
    virtual void setBackStr(std::string const&) { }
    virtual void setEarnStr(std::string const&) { }
    virtual void setBuyStr(std::string const&) { }
};

}

#pragma once

#include <string>

namespace engine {

// What a text node answers so that menu items can change its text: labels, atlas labels and
// bitmap-font labels. Main thread.
class LabelProtocol {
public:
    virtual ~LabelProtocol() = default;

    virtual void setString(std::string const& string) = 0;
};

}

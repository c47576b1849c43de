#include <engine/Selector.hpp>

namespace engine {

Selector Selector::function(std::string name, Function callable) {
    Selector selector;
    if (!callable)
        return selector;
    selector.function_ = std::move(callable);
    selector.name_ = std::move(name);
    return selector;
}

bool Selector::operator==(Selector const& other) const {
    if (!function_ || !other.function_)
        return !function_ && !other.function_;
    if (identity_ || other.identity_)
        return identity_ && other.identity_ && identity_->equals(*other.identity_);
    return name_ == other.name_;
}

}

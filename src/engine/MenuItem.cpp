#include <engine/MenuItem.hpp>

#include <base/Exception.hpp>

namespace engine {

base::Ref<MenuItem> MenuItem::itemWithTarget(Invocation invocation) {
    return base::make<MenuItem>(std::move(invocation));
}

MenuItem::MenuItem() {
    throw base::Exception("MenuItemInit", "Init not supported. Use InitFromString");
}

MenuItem::MenuItem(Invocation invocation)
    : invocation_(std::move(invocation)) {
    setAnchorPoint({0.5f, 0.5f});
}

void MenuItem::activate() {
    if (isEnabled_ && invocation_)
        invocation_(this);
}

Rect MenuItem::rect() const {
    Size size = contentSize();
    Point anchor = anchorPoint();
    return {{position().x - size.width * anchor.x, position().y - size.height * anchor.y}, size};
}

}

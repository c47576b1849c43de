#include <engine/AtlasSpriteFrame.hpp>
#include <engine/Describe.hpp>

#include <cstdio>

namespace engine {

base::Ref<AtlasSpriteFrame> AtlasSpriteFrame::frameWithRect(Rect rect) {
    return base::make<AtlasSpriteFrame>(rect);
}

std::string AtlasSpriteFrame::description() const {
    char text[128];
    std::snprintf(text, sizeof text, " | Rect = (%.2f,%.2f,%.2f,%.2f)>", double(rect_.origin.x),
        double(rect_.origin.y), double(rect_.size.width), double(rect_.size.height));
    return "<" + className(*this) + " = " + objectAddress(this) + text;
}

}

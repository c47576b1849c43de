#pragma once

#include <ui/Label.hpp>

#include <base/Ref.hpp>

namespace ads::kestrel {

// A label whose text sits at the top (0), middle (1, the default) or bottom (2) of its
// frame; any other value places it as the middle does. Main thread only.
class VerticalUILabel final : public ui::Label {
public:
    static constexpr int alignTop = 0;
    static constexpr int alignMiddle = 1;
    static constexpr int alignBottom = 2;

    static base::Ref<VerticalUILabel> create(graphics::Rect frame = {});

    int verticalAlignment() const { return verticalAlignment_; }
    // Stores the alignment and asks for a redraw.
    void setVerticalAlignment(int alignment);

    graphics::Rect textRectForBounds(graphics::Rect bounds, int numberOfLines) const override;
    void drawTextInRect(ui::GraphicsContext& context, graphics::Rect rect) override;

private:
    friend base::Factory;
    explicit VerticalUILabel(graphics::Rect frame);

    int verticalAlignment_ {alignMiddle};
};

}

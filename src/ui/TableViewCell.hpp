#pragma once

#include <base/Ref.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>

#include <string>

namespace ui {

// The platform's cell layouts, accessories and selection looks, numbered as it
// numbers them.
enum class TableViewCellStyle {
    Default = 0,
    Value1 = 1,
    Value2 = 2,
    Subtitle = 3,
};

enum class TableViewCellAccessoryType {
    None = 0,
    DisclosureIndicator = 1,
    DetailDisclosureButton = 2,
    Checkmark = 3,
};

enum class TableViewCellSelectionStyle {
    None = 0,
    Blue = 1,
    Gray = 2,
};

// One row of a table: a content view that holds the row's views (a text label, a
// detail label in the styles that have one, an image view, made on first use) and
// an accessory at the right. Tables keep cells that scroll out of sight for reuse
// under their reuse identifier; prepareForReuse readies a cell to show another row.
// Main thread only.
class TableViewCell : public View {
public:
    static constexpr float AccessoryWidth = 20;

    // initWithStyle:reuseIdentifier:. An empty identifier makes a cell that is
    // never reused.
    static base::Ref<TableViewCell> create(
        TableViewCellStyle style, std::string reuseIdentifier = {});

    TableViewCellStyle style() const { return style_; }
    std::string const& reuseIdentifier() const { return reuseIdentifier_; }

    View* contentView() const { return contentView_.get(); }
    Label* textLabel();
    // Null in the default style, which has no detail.
    Label* detailTextLabel();
    ImageView* imageView();

    TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(TableViewCellAccessoryType type);
    // A view of the caller's in place of the standard accessory.
    View* accessoryView() const { return accessoryView_.get(); }
    void setAccessoryView(base::Ref<View> view);

    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { selectionStyle_ = style; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted, bool animated = false);

    View* backgroundView() const { return backgroundView_.get(); }
    void setBackgroundView(base::Ref<View> view);
    View* selectedBackgroundView() const { return selectedBackgroundView_.get(); }
    void setSelectedBackgroundView(base::Ref<View> view) {
        selectedBackgroundView_ = std::move(view);
    }
    int indentationLevel() const { return indentationLevel_; }
    void setIndentationLevel(int level) { indentationLevel_ = level; }

    // Called by the table when it hands the cell out again: clears the selection
    // and the highlight. Subclasses that override it call this one.
    virtual void prepareForReuse();

    void layoutSubviews() override;

private:
    TableViewCellStyle style_;
    std::string reuseIdentifier_;
    base::Ref<View> contentView_;
    base::Ref<Label> textLabel_;
    base::Ref<Label> detailTextLabel_;
    base::Ref<ImageView> imageView_;
    base::Ref<View> accessoryView_;
    base::Ref<View> backgroundView_;
    base::Ref<View> selectedBackgroundView_;
    TableViewCellAccessoryType accessoryType_ {TableViewCellAccessoryType::None};
    TableViewCellSelectionStyle selectionStyle_ {TableViewCellSelectionStyle::Blue};
    int indentationLevel_ {0};
    bool selected_ {false};
    bool highlighted_ {false};

protected:
    friend base::Factory;
    // For cells of the caller's own kind.
    TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);
};

}

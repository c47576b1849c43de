#include <ui/TableViewCell.hpp>

#include <algorithm>

namespace ui {

namespace {

float const margin = 10;

}

base::Ref<TableViewCell> TableViewCell::create(
    TableViewCellStyle style, std::string reuseIdentifier) {
    return base::make<TableViewCell>(style, std::move(reuseIdentifier));
}

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(graphics::makeRect(0, 0, 320, 44))
    , style_(style)
    , reuseIdentifier_(std::move(reuseIdentifier))
    , contentView_(View::create(graphics::makeRect(0, 0, 320, 44))) {
    addSubview(contentView_);
}

Label* TableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = Label::create();
        contentView_->addSubview(textLabel_);
        setNeedsLayout();
    }
    return textLabel_.get();
}

Label* TableViewCell::detailTextLabel() {
    if (style_ == TableViewCellStyle::Default)
        return nullptr;
    if (!detailTextLabel_) {
        detailTextLabel_ = Label::create();
        contentView_->addSubview(detailTextLabel_);
        setNeedsLayout();
    }
    return detailTextLabel_.get();
}

ImageView* TableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = ImageView::create();
        contentView_->insertSubviewAtIndex(imageView_, 0);
        setNeedsLayout();
    }
    return imageView_.get();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
    accessoryType_ = type;
    setNeedsLayout();
}

void TableViewCell::setAccessoryView(base::Ref<View> view) {
    if (accessoryView_ && accessoryView_->superview() == this)
        accessoryView_->removeFromSuperview();
    accessoryView_ = std::move(view);
    if (accessoryView_)
        addSubview(accessoryView_);
    setNeedsLayout();
}

void TableViewCell::setBackgroundView(base::Ref<View> view) {
    if (backgroundView_ && backgroundView_->superview() == this)
        backgroundView_->removeFromSuperview();
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
        insertSubviewAtIndex(backgroundView_, 0);
    }
}

void TableViewCell::setSelected(bool selected, bool) {
    selected_ = selected;
}

void TableViewCell::setHighlighted(bool highlighted, bool) {
    highlighted_ = highlighted;
}

void TableViewCell::prepareForReuse() {
    setSelected(false);
    setHighlighted(false);
}

void TableViewCell::layoutSubviews() {
    auto size = bounds().size;
    if (backgroundView_)
        backgroundView_->setFrame(bounds());
    float accessory = 0;
    if (accessoryView_) {
        auto own = accessoryView_->frame().size;
        accessory = own.width + margin;
        accessoryView_->setFrame({{size.width - accessory, (size.height - own.height) / 2}, own});
    } else if (accessoryType_ != TableViewCellAccessoryType::None) {
        accessory = AccessoryWidth + margin;
    }
    contentView_->setFrame({{0, 0}, {std::max(0.0f, size.width - accessory), size.height}});

    auto content = contentView_->bounds().size;
    float left = margin + float(indentationLevel_) * 10;
    if (imageView_) {
        float side = imageView_->frame().size.width > 0 ? imageView_->frame().size.width : 0;
        imageView_->setFrame({{left, (content.height - side) / 2}, {side, side}});
        if (side > 0)
            left += side + margin;
    }
    float width = std::max(0.0f, content.width - left - margin);
    graphics::Rect text {{left, 0}, {width, content.height}};
    graphics::Rect detail;
    switch (style_) {
    case TableViewCellStyle::Default:
        break;
    case TableViewCellStyle::Value1:
        text.size.width = width / 2;
        detail = {{left + width / 2, 0}, {width / 2, content.height}};
        break;
    case TableViewCellStyle::Value2:
        detail = {{left + width / 3, 0}, {width * 2 / 3, content.height}};
        text.size.width = width / 3;
        break;
    case TableViewCellStyle::Subtitle:
        text.size.height = content.height * 0.55f;
        detail = {{left, text.size.height}, {width, content.height - text.size.height}};
        break;
    }
    if (textLabel_)
        textLabel_->setFrame(text);
    if (detailTextLabel_)
        detailTextLabel_->setFrame(detail);
}

}

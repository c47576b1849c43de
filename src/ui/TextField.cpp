#include <foundation/NotificationCenter.hpp>
#include <ui/TextField.hpp>
#include <ui/Touch.hpp>

namespace ui {

base::Ref<TextField> TextField::create(graphics::Rect frame) {
    return base::make<TextField>(frame);
}

TextField::TextField(graphics::Rect frame)
    : View(frame) {
}

TextField::~TextField() = default;

void TextField::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled && editing_)
        endEditing();
}

bool TextField::canBecomeFirstResponder() const {
    return enabled_ && window() != nullptr;
}

void TextField::post(char const* name) {
    foundation::NotificationCenter::defaultCenter().postNotification(name, this);
}

bool TextField::becomeFirstResponder() {
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    base::Ref<TextField> keep(this);
    if (delegate_ && !delegate_->textFieldShouldBeginEditing(*this))
        return false;
    if (!Responder::becomeFirstResponder())
        return false;
    editing_ = true;
    if (clearsOnBeginEditing_)
        text_.clear();
    if (delegate_)
        delegate_->textFieldDidBeginEditing(*this);
    post(TextDidBeginEditingNotification);
    return true;
}

bool TextField::resignFirstResponder() {
    if (!isFirstResponder())
        return true;
    base::Ref<TextField> keep(this);
    if (delegate_ && !delegate_->textFieldShouldEndEditing(*this))
        return false;
    endEditing();
    return true;
}

void TextField::endEditing() {
    base::Ref<TextField> keep(this);
    if (isFirstResponder())
        setFirstResponder(nullptr);
    if (!editing_)
        return;
    editing_ = false;
    if (delegate_)
        delegate_->textFieldDidEndEditing(*this);
    post(TextDidEndEditingNotification);
}

void TextField::didMoveToWindow() {
    if (!window() && editing_)
        endEditing();
}

void TextField::touchesEnded(TouchSet const& touches, Event*) {
    auto touch = touches.anyObject();
    if (touch && bounds().contains(touch->locationInView(this)))
        becomeFirstResponder();
}

void TextField::replace(TextRange range, std::string const& replacement) {
    base::Ref<TextField> keep(this);
    if (delegate_ && !delegate_->shouldChangeCharactersInRange(*this, range, replacement))
        return;
    // The delegate may have changed the text meanwhile: keep the range inside it.
    auto location = std::min(range.location, text_.size());
    text_.replace(location, std::min(range.length, text_.size() - location), replacement);
    post(TextDidChangeNotification);
}

void TextField::insertText(std::string const& text) {
    if (!editing_)
        return;
    if (text == "\n") {
        base::Ref<TextField> keep(this);
        if (delegate_)
            delegate_->textFieldShouldReturn(*this);
        return;
    }
    std::string typed;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
            typed += c;
    }
    if (!typed.empty())
        replace({text_.size(), 0}, typed);
}

void TextField::deleteBackward() {
    if (!editing_ || text_.empty())
        return;
    // Back over UTF-8 continuation bytes to the start of the last character.
    auto start = text_.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text_[start]) & 0xC0) == 0x80)
        --start;
    replace({start, text_.size() - start}, "");
}

void TextField::clear() {
    base::Ref<TextField> keep(this);
    if (delegate_ && !delegate_->textFieldShouldClear(*this))
        return;
    if (text_.empty())
        return;
    text_.clear();
    post(TextDidChangeNotification);
}

}

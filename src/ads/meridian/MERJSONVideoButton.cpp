#include <ads/meridian/MERJSONVideoButton.hpp>

#include <ads/meridian/MERColor.hpp>
#include <ads/meridian/MERValues.hpp>
#include <foundation/Format.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/URLRequest.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <mutex>

namespace ads::meridian {

namespace {

constexpr float defaultFontSize = 10;

base::Value archivedColor(ui::Color color) {
    auto channels = base::Array::create();
    for (float channel : {color.red(), color.green(), color.blue(), color.alpha()})
        channels->add(double(channel));
    return channels;
}

std::optional<ui::Color> colorFromArchive(base::Value const& value) {
    auto const* channels = value.array();
    if (!channels || channels->size() != 4)
        return std::nullopt;
    auto const& c = channels->values();
    return ui::Color::colorWithRed(
        c[0].floatValue(), c[1].floatValue(), c[2].floatValue(), c[3].floatValue());
}

}

MERJSONVideoButton::MERJSONVideoButton()
    : buttonFont_(graphics::Font::systemFontOfSize(defaultFontSize)) {
}

MERJSONVideoButton::~MERJSONVideoButton() {
    if (imageConnection_)
        imageConnection_->cancel();
}

void MERJSONVideoButton::registerCoding() {
    static std::once_flag registered;
    std::call_once(registered,
        [] { foundation::Coding::registerClass<MERJSONVideoButton>("MERJSONVideoButton"); });
}

base::Ref<MERJSONVideoButton> MERJSONVideoButton::initWithJSONButton(base::Value const& json) {
    registerCoding();
    auto button = base::make<MERJSONVideoButton>();
    auto const* fields = json.dictionary();
    if (!fields)
        return button;
    auto field
        = [&](std::string_view key) -> base::Value const& { return fields->objectForKey(key); };
    button->imageURL_ = textOf(field("image"));
    button->tapURL_ = textOf(field("url"));
    if (field("activity").isArray())
        button->activity_ = field("activity");
    button->xLocation_ = floatOf(field("x-location"), 0);
    button->yLocation_ = floatOf(field("y-location"), 0);
    if (auto const* opacity = field("opacity").dictionary()) {
        button->startOpacity_ = floatOf(opacity->objectForKey("start"), 0);
        button->endOpacity_ = floatOf(opacity->objectForKey("end"), 0);
        button->fadeDuration_ = floatOf(opacity->objectForKey("fadeDuration"), 0);
    }
    button->appearanceDelay_ = floatOf(field("appearanceDelay"), 0);
    button->inactivityTimeout_ = floatOf(field("inactivityTimeout"), 0);
    button->title_ = textOf(field("title"));
    button->component_ = textOf(field("component")).value_or("");
    if (auto text = textOf(field("buttonColor")))
        button->buttonColor_ = colorFromString(*text).value_or(ui::Color::blackColor());
    if (auto text = textOf(field("textColor")))
        button->textColor_ = colorFromString(*text).value_or(ui::Color::whiteColor());
    button->buttonWidth_ = floatOf(field("width"), 0);
    button->buttonHeight_ = floatOf(field("height"), 0);
    float size = floatOf(field("fontSize"), 0);
    button->buttonFont_ = graphics::Font::systemFontOfSize(size > 0 ? size : defaultFontSize);
    return button;
}

std::optional<ui::Color> MERJSONVideoButton::colorFromString(std::string_view text) {
    return meridian::colorFromString(text);
}

float MERJSONVideoButton::fontSize() const {
    return buttonFont_->pointSize();
}

ui::Button& MERJSONVideoButton::button() {
    if (generatedButton_)
        return *generatedButton_;
    generatedButton_ = ui::Button::create();
    auto& button = *generatedButton_;
    if (title_) {
        graphics::Size size {buttonWidth_, buttonHeight_};
        if (size.width == 0 || size.height == 0)
            size = graphics::sizeWithFont(*title_, *buttonFont_);
        button.setFrame({{xLocation_, yLocation_}, size});
        for (unsigned state :
            {ui::ControlState::Normal, ui::ControlState::Highlighted, ui::ControlState::Selected}) {
            button.setTitle(*title_, state);
            button.setTitleColor(textColor_, state);
        }
        button.titleLabel()->setFont(buttonFont_);
        button.setBackgroundColor(buttonColor_);
    } else {
        if (!image_ && !imageData_.empty())
            image_ = ui::Image::imageWithData(imageData_);
        if (image_) {
            button.setFrame({{xLocation_, yLocation_}, image_->size()});
            applyImage();
        } else if (imageURL_) {
            imageData_.clear();
            imageConnection_
                = foundation::URLConnection::create(foundation::URLRequest(*imageURL_), this);
        }
        button.setExclusiveTouch(true);
        button.imageView()->setExclusiveTouch(true);
    }
    if (tapURL_ && !tapURL_->empty()) {
        button.addTarget(
            this, [this](ui::Control&, ui::Event*) { buttonWasTapped(); },
            ui::ControlEvents::TouchUpInside);
    }
    return button;
}

void MERJSONVideoButton::applyImage() {
    generatedButton_->setBackgroundImage(image_, ui::ControlState::Normal);
    generatedButton_->setBackgroundImage(image_, ui::ControlState::Highlighted);
}

void MERJSONVideoButton::buttonWasTapped() {
    foundation::NotificationCenter::defaultCenter().postNotification(tappedNotification, this);
    if (delegate_)
        delegate_->jsonVideoButtonWasTapped(*this);
}

bool MERJSONVideoButton::isEqualToVideoButton(MERJSONVideoButton const& other) const {
    if (imageURL_.value_or("") != other.imageURL_.value_or(""))
        return false;
    if (!tapURL_ || !other.tapURL_)
        return true;
    return *tapURL_ == *other.tapURL_;
}

std::string MERJSONVideoButton::animationId() const {
    return foundation::format("<MERJSONVideoButton : %x>", static_cast<void const*>(this));
}

std::string MERJSONVideoButton::description() const {
    auto text = [](std::optional<std::string> const& value) {
        return value ? base::Value(*value) : base::Value();
    };
    return foundation::format("<MERJSONVideoButton: url = %@, tap = %@, component = %@>",
        text(imageURL_), text(tapURL_), component_);
}

// The image arrives whole: the button shows it when the download ends (a button
// built before that shows none until then, as the ad server expects).
void MERJSONVideoButton::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const&) {
    imageData_.clear();
}

void MERJSONVideoButton::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    imageData_.insert(imageData_.end(), data.begin(), data.end());
}

void MERJSONVideoButton::connectionDidFinishLoading(foundation::URLConnection&) {
    imageConnection_ = nullptr;
    image_ = ui::Image::imageWithData(imageData_);
    if (!image_) {
        foundation::log(
            "MERSDK: the image of a video button is not an image: %@", imageURL_.value_or(""));
        return;
    }
    if (generatedButton_ && !title_) {
        generatedButton_->setFrame({{xLocation_, yLocation_}, image_->size()});
        applyImage();
    }
}

void MERJSONVideoButton::didFailWithError(foundation::URLConnection&, foundation::URLError const&) {
    imageConnection_ = nullptr;
    imageData_.clear();
}

void MERJSONVideoButton::encodeWithCoder(foundation::KeyedArchiver& coder) {
    auto text = [](std::optional<std::string> const& value) {
        return value ? base::Value(*value) : base::Value();
    };
    coder.encodeObject(activity_, "activity");
    coder.encodeObject(text(imageURL_), "imageURL");
    if (!imageData_.empty())
        coder.encodeObject(base::Value(imageData_), "imageData");
    coder.encodeObject(text(tapURL_), "tapURL");
    coder.encodeFloat(xLocation_, "xLocation");
    coder.encodeFloat(yLocation_, "yLocation");
    coder.encodeObject(text(title_), "title");
    coder.encodeObject(archivedColor(buttonColor_), "buttonColor");
    coder.encodeObject(archivedColor(textColor_), "textColor");
    coder.encodeObject(base::Value(double(buttonFont_->pointSize())), "buttonFont");
    coder.encodeFloat(buttonHeight_, "buttonHeight");
    coder.encodeFloat(buttonWidth_, "buttonWidth");
    coder.encodeFloat(startOpacity_, "startOpacity");
    coder.encodeFloat(endOpacity_, "endOpacity");
    coder.encodeFloat(fadeDuration_, "fadeDuration");
    coder.encodeFloat(appearanceDelay_, "appearanceDelay");
    coder.encodeFloat(inactivityTimeout_, "inactivityTimeout");
    coder.encodeObject(base::Value(component_), "component");
}

base::Ref<MERJSONVideoButton> MERJSONVideoButton::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    auto button = base::make<MERJSONVideoButton>();
    auto text = [&](std::string_view key) { return textOf(coder.decodeObjectForKey(key)); };
    button->activity_ = coder.decodeObjectForKey("activity");
    button->imageURL_ = text("imageURL");
    if (auto const dataValue = coder.decodeObjectForKey("imageData");
        auto const* data = dataValue.data()) {
        button->imageData_ = *data;
        button->image_ = ui::Image::imageWithData(button->imageData_);
    }
    button->tapURL_ = text("tapURL");
    button->xLocation_ = coder.decodeFloatForKey("xLocation");
    button->yLocation_ = coder.decodeFloatForKey("yLocation");
    button->title_ = text("title");
    button->buttonColor_ = colorFromArchive(coder.decodeObjectForKey("buttonColor"))
                               .value_or(ui::Color::blackColor());
    button->textColor_
        = colorFromArchive(coder.decodeObjectForKey("textColor")).value_or(ui::Color::whiteColor());
    float size = coder.decodeObjectForKey("buttonFont").floatValue();
    button->buttonFont_ = graphics::Font::systemFontOfSize(size > 0 ? size : defaultFontSize);
    button->buttonHeight_ = coder.decodeFloatForKey("buttonHeight");
    button->buttonWidth_ = coder.decodeFloatForKey("buttonWidth");
    button->startOpacity_ = coder.decodeFloatForKey("startOpacity");
    button->endOpacity_ = coder.decodeFloatForKey("endOpacity");
    button->fadeDuration_ = coder.decodeFloatForKey("fadeDuration");
    button->appearanceDelay_ = coder.decodeFloatForKey("appearanceDelay");
    button->inactivityTimeout_ = coder.decodeFloatForKey("inactivityTimeout");
    button->component_ = text("component").value_or("");
    return button;
}

}

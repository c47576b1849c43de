#pragma once

#include <base/Ref.hpp>
#include <ui/View.hpp>

#include <cstddef>
#include <string>

namespace ui {

// The platform's keyboard and border settings, numbered as it numbers them; kept
// for callers, as there is no on-screen keyboard here.
enum class TextBorderStyle {
    None = 0,
    Line = 1,
    Bezel = 2,
    RoundedRect = 3,
};

enum class TextFieldViewMode {
    Never = 0,
    WhileEditing = 1,
    UnlessEditing = 2,
    Always = 3,
};

enum class KeyboardType {
    Default = 0,
    ASCIICapable = 1,
    NumbersAndPunctuation = 2,
    URL = 3,
    NumberPad = 4,
    PhonePad = 5,
    NamePhonePad = 6,
    EmailAddress = 7,
};

enum class ReturnKeyType {
    Default = 0,
    Go = 1,
    WebSearch = 2,
    Join = 3,
    Next = 4,
    Route = 5,
    Search = 6,
    Send = 7,
    Yahoo = 8,
    Done = 9,
    EmergencyCall = 10,
};

enum class TextAutocapitalizationType {
    None = 0,
    Words = 1,
    Sentences = 2,
    AllCharacters = 3,
};

enum class TextAutocorrectionType {
    Default = 0,
    No = 1,
    Yes = 2,
};

// A part of a text, in bytes of its UTF-8 form.
struct TextRange {
    std::size_t location {0};
    std::size_t length {0};

    bool operator==(TextRange const&) const = default;
};

// What a text field asks and tells its delegate while the user edits it. Every
// operation is optional; the questions answer yes by default.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;

    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) { }
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) { }
    // Before typed text replaces range (a deletion replaces it with nothing).
    virtual bool shouldChangeCharactersInRange(TextField&, TextRange, std::string const&) {
        return true;
    }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    // The return key; nothing else happens unless the delegate acts.
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

// One line of editable text. A tap on it (or becomeFirstResponder) starts editing
// when it is enabled, in a window and its delegate agrees; it is then the first
// responder and keyboard input arrives at it (Application::sendTextEvent and
// sendKeyEvent): typed text is added at the end, backspace removes the last
// character (a whole UTF-8 sequence), return asks textFieldShouldReturn. Control
// characters in typed text are dropped. Editing ends when the field resigns (its
// delegate agreeing) or leaves its window (without asking). Begin, end and every
// change made by the user are also posted on the default notification centre with
// the field as sender. The delegate is not retained. Main thread only.
class TextField : public View {
public:
    static constexpr char const* TextDidBeginEditingNotification
        = "UITextFieldTextDidBeginEditingNotification";
    static constexpr char const* TextDidEndEditingNotification
        = "UITextFieldTextDidEndEditingNotification";
    static constexpr char const* TextDidChangeNotification = "UITextFieldTextDidChangeNotification";

    static base::Ref<TextField> create(graphics::Rect frame = {});

    ~TextField() override;

    std::string const& text() const { return text_; }
    // Sets the text without asking the delegate or posting a change.
    void setText(std::string text) { text_ = std::move(text); }
    bool hasText() const { return !text_.empty(); }
    std::string const& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder) { placeholder_ = std::move(placeholder); }
    TextFieldDelegate* delegate() const { return delegate_; }
    void setDelegate(TextFieldDelegate* delegate) { delegate_ = delegate; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isEditing() const { return editing_; }
    bool clearsOnBeginEditing() const { return clearsOnBeginEditing_; }
    void setClearsOnBeginEditing(bool clears) { clearsOnBeginEditing_ = clears; }
    // The clear button: empties the text when the delegate agrees.
    void clear();

    TextBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TextBorderStyle style) { borderStyle_ = style; }
    TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(TextFieldViewMode mode) { clearButtonMode_ = mode; }
    KeyboardType keyboardType() const { return keyboardType_; }
    void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
    ReturnKeyType returnKeyType() const { return returnKeyType_; }
    void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
    TextAutocapitalizationType autocapitalizationType() const { return autocapitalization_; }
    void setAutocapitalizationType(TextAutocapitalizationType type) { autocapitalization_ = type; }
    TextAutocorrectionType autocorrectionType() const { return autocorrection_; }
    void setAutocorrectionType(TextAutocorrectionType type) { autocorrection_ = type; }
    bool isSecureTextEntry() const { return secure_; }
    void setSecureTextEntry(bool secure) { secure_ = secure; }

    bool canBecomeFirstResponder() const override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void insertText(std::string const& text) override;
    void deleteBackward() override;

    void touchesBegan(TouchSet const&, Event*) override { }
    void touchesMoved(TouchSet const&, Event*) override { }
    void touchesEnded(TouchSet const& touches, Event* event) override;
    void touchesCancelled(TouchSet const&, Event*) override { }

protected:
    void didMoveToWindow() override;

private:
    void endEditing();
    void replace(TextRange range, std::string const& replacement);
    void post(char const* name);

    std::string text_;
    std::string placeholder_;
    TextFieldDelegate* delegate_ {nullptr};
    TextBorderStyle borderStyle_ {TextBorderStyle::None};
    TextFieldViewMode clearButtonMode_ {TextFieldViewMode::Never};
    KeyboardType keyboardType_ {KeyboardType::Default};
    ReturnKeyType returnKeyType_ {ReturnKeyType::Default};
    TextAutocapitalizationType autocapitalization_ {TextAutocapitalizationType::None};
    TextAutocorrectionType autocorrection_ {TextAutocorrectionType::Default};
    bool secure_ {false};
    bool enabled_ {true};
    bool editing_ {false};
    bool clearsOnBeginEditing_ {false};

    friend base::Factory;

    explicit TextField(graphics::Rect frame = {});
};

}

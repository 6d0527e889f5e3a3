// The window model: named controls with a kind, a container, a rectangle in
// twips, a caption or text, a look and the Visible/Enabled flags.  A runtime
// (headless or Win32) renders it and turns input and timer ticks into the
// events bound here.  The model itself is toolkit-free.
//
// Runtime rules that live here, because every runtime must agree on them:
// - a control is seen only while it and every container above it are visible,
//   and reacts only while it and every container above it are enabled;
// - assigning a text box's text raises its Change handler at once, nested
//   inside whatever code made the assignment;
// - setting a list's selected index raises its Click handler at once;
// - every property change is reported to the form's observer (the runtime),
//   which is how timers learn they were enabled and the screen is repainted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ortavia {

class Form;

enum class ControlKind { Label, Panel, TextBox, TextArea, CheckBox, ComboBox, DriveList, PictureBox, Timer };

struct Twips {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Font {
    std::string face;
    float points = 0.0f;
    bool bold = false;
};

struct Look {
    Font font;
    std::optional<Rgb> foreColor;     // empty: the system's window text colour
    std::optional<Rgb> backColor;     // empty: the system's default for the kind
    bool transparent = false;         // a label drawing only its text
    bool centred = false;
    bool border = false;              // one-pixel border (panels)
    bool autoSizeOneLine = false;     // Label17: sizes itself to its text on one line
    bool growDownward = false;        // Label9: keeps its width, grows to fit its wrapped text
};

class ModelObserver {
public:
    virtual ~ModelObserver() = default;
    virtual void controlChanged(class Control& control) = 0;
};

class Control {
public:
    Control(Form& form, std::string name, ControlKind kind, Control* container, Twips rect, Look look,
            bool visible, bool enabled);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    Control* container() const { return container_; }
    const Twips& rect() const { return rect_; }
    const Look& look() const { return look_; }
    Form& form() const { return form_; }

    bool Visible() const { return visible_; }
    void setVisible(bool v);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool e);

    // Seen on screen: it and every container are visible.
    bool isSeen() const;
    // Takes input: it and every container are enabled (and it is seen).
    bool reacts() const;

protected:
    void changed();

private:
    Form& form_;
    std::string name_;
    ControlKind kind_;
    Control* container_;
    Twips rect_;
    Look look_;
    bool visible_;
    bool enabled_;
};

// A label; some labels serve as buttons (Click) and one carries the DDE link.
class Label : public Control {
public:
    Label(Form& form, std::string name, Control* container, Twips rect, Look look, std::string caption,
          bool visible, bool enabled = true);
    const std::string& Caption() const { return caption_; }
    void setCaption(std::string caption);

    std::function<void()> onClick;
    // A primary click from the user: raises Click only while the label is
    // seen and reacts.  Returns whether the click was delivered.
    bool userClick();

    // DDE link properties (only Label8 uses them).
    std::string LinkTopic;
    int LinkMode = 0;
    int LinkTimeout = 50;

private:
    std::string caption_;
};

class Panel : public Control {
public:
    using Control::Control;
};

// Single-line text box or multi-line text area.
class TextBox : public Control {
public:
    TextBox(Form& form, std::string name, ControlKind kind, Control* container, Twips rect, Look look,
            bool visible, int maxLength = 0);
    const std::string& Text() const { return text_; }
    // Program assignment: raises Change at once (nested) when the text differs.
    void setText(std::string text);
    int MaxLength() const { return maxLength_; }  // 0 = no limit; counted in characters

    std::function<void()> onChange;
    std::function<void()> onLostFocus;

    // User input, with the caret at the end: one Change per character typed,
    // characters past the maximum length are dropped.  Returns false when the
    // box does not take input (hidden or disabled).
    bool userType(const std::string& utf8Chars);
    // A paste replacing the whole text: one Change (the paste is cut at the
    // maximum length as the edit control would).
    bool userPaste(const std::string& utf8Text);
    bool userLoseFocus();

private:
    std::string text_;
    int maxLength_;
};

class CheckBox : public Control {
public:
    CheckBox(Form& form, std::string name, Control* container, Twips rect, Look look, std::string caption,
             bool visible);
    const std::string& Caption() const { return caption_; }
    int Value() const { return value_; }
    std::function<void()> onClick;
    // The user changes the value (0 <-> 1); raises Click.  False when the box
    // does not take input.
    bool userToggle();

private:
    std::string caption_;
    int value_ = 0;
};

class ComboBox : public Control {
public:
    using Control::Control;
    void Clear();
    void AddItem(std::string item);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    const std::vector<std::string>& items() const { return items_; }
    int ListIndex() const { return listIndex_; }
    // Raises Click at once.
    void setListIndex(int index);
    std::function<void()> onClick;
    bool userSelect(int index);

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

class DriveList : public Control {
public:
    using Control::Control;
    std::vector<std::string> entries;  // "c:", "d:", ... as the system lists them
    int ListCount() const { return static_cast<int>(entries.size()); }
    const std::string& List(int i) const { return entries.at(static_cast<std::size_t>(i)); }
};

// The colours of a bitmap, read where it lies.  Implemented by the payload's
// BMP reader; the model only asks for Point and the size.
class PixelSource {
public:
    virtual ~PixelSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // red + 256 * green + 65536 * blue, -1 outside the picture.
    virtual std::int32_t point(int x, int y) const = 0;
};

// A picture box or panel with a scale of its own.  `ScaleWidth` is the inner
// width in the box's own scale; `Width` is the box's width in its container's
// scale (single precision, as the runtime keeps it).
class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name, Control* container, Twips rect, Look look, bool visible,
               float scaleWidth, float width);
    float ScaleWidth() const { return scaleWidth_; }
    float Width() const { return width_; }
    void setWidth(float w);
    void setPicture(std::shared_ptr<const PixelSource> picture);
    const PixelSource* picture() const { return picture_.get(); }
    // The picture's colour at (x, y) in pixels; -1 outside or without a picture.
    std::int32_t Point(int x, int y) const;

private:
    float scaleWidth_;
    float width_;
    std::shared_ptr<const PixelSource> picture_;
};

class Timer : public Control {
public:
    Timer(Form& form, std::string name, int intervalMs);
    int Interval() const { return interval_; }
    std::function<void()> onTimer;
    // Counts enable transitions, so a runtime restarts the interval each time
    // the timer is switched on again.
    std::uint64_t enableGeneration() const { return generation_; }
    void setEnabled(bool e);

private:
    int interval_;
    std::uint64_t generation_ = 0;
};

// The form: owns the list of its controls (by pointer; the controls are
// members of the concrete window) and the form-level events.
class Form {
public:
    explicit Form(std::string caption, Twips clientArea) : caption_(std::move(caption)), client_(clientArea) {}
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Caption() const { return caption_; }
    const Twips& clientArea() const { return client_; }
    const std::vector<Control*>& controls() const { return controls_; }
    Control* find(const std::string& name) const;  // case-insensitive, as the form designer names them
    std::vector<Timer*> timers() const;

    void setObserver(ModelObserver* observer) { observer_ = observer; }
    void notify(Control& c) {
        if (observer_ != nullptr) observer_->controlChanged(c);
    }
    void registerControl(Control* c) { controls_.push_back(c); }

    // Form events, run by the runtime.
    virtual void Form_Load() = 0;
    virtual void Form_Activate() = 0;

private:
    std::string caption_;
    Twips client_;
    std::vector<Control*> controls_;
    ModelObserver* observer_ = nullptr;
};

// UTF-8 character helpers, for the runtime's character-counted text rules.
namespace text {
std::size_t charCount(const std::string& s);
std::string leftChars(const std::string& s, std::size_t n);
std::string rightChars(const std::string& s, std::size_t n);
std::string midChars(const std::string& s, std::size_t start0, std::size_t n);
// Upper case as the runtime's UCase does for the ANSI code page: ASCII and
// the Latin-1 letters.
std::string upper(const std::string& s);
// Trim blanks (the space character only) at both ends, as Trim does.
std::string trimBlanks(const std::string& s);
}  // namespace text

}  // namespace ortavia

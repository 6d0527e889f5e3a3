#include "setup/window_model.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace ortavia {

// --- Control -------------------------------------------------------------------

Control::Control(Form& form, std::string name, ControlKind kind, Control* container, Twips rect, Look look,
                 bool visible, bool enabled)
    : form_(form),
      name_(std::move(name)),
      kind_(kind),
      container_(container),
      rect_(rect),
      look_(std::move(look)),
      visible_(visible),
      enabled_(enabled) {
    form_.registerControl(this);
}

void Control::changed() { form_.notify(*this); }

void Control::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    changed();
}

void Control::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    changed();
}

bool Control::isSeen() const {
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->visible_) return false;
    }
    return true;
}

bool Control::reacts() const {
    if (!isSeen()) return false;
    for (const Control* c = this; c != nullptr; c = c->container_) {
        if (!c->enabled_) return false;
    }
    return true;
}

// --- Label ---------------------------------------------------------------------

Label::Label(Form& form, std::string name, Control* container, Twips rect, Look look, std::string caption,
             bool visible, bool enabled)
    : Control(form, std::move(name), ControlKind::Label, container, rect, std::move(look), visible, enabled),
      caption_(std::move(caption)) {}

void Label::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    changed();
}

bool Label::userClick() {
    if (!reacts()) return false;
    if (onClick) onClick();
    return true;
}

// --- TextBox -------------------------------------------------------------------

TextBox::TextBox(Form& form, std::string name, ControlKind kind, Control* container, Twips rect, Look look,
                 bool visible, int maxLength)
    : Control(form, std::move(name), kind, container, rect, std::move(look), visible, true), maxLength_(maxLength) {}

void TextBox::setText(std::string text) {
    // An assignment of the same text raises no Change, as the edit control
    // sends no change notification then.
    if (text_ == text) return;
    text_ = std::move(text);
    changed();
    if (onChange) onChange();
}

bool TextBox::userType(const std::string& utf8Chars) {
    if (!reacts()) return false;
    std::size_t i = 0;
    while (i < utf8Chars.size()) {
        std::size_t len = 1;
        const auto lead = static_cast<unsigned char>(utf8Chars[i]);
        if (lead >= 0xF0) len = 4;
        else if (lead >= 0xE0) len = 3;
        else if (lead >= 0xC0) len = 2;
        const std::string ch = utf8Chars.substr(i, len);
        i += len;
        if (maxLength_ > 0 && text::charCount(text_) >= static_cast<std::size_t>(maxLength_)) continue;
        setText(text_ + ch);
    }
    return true;
}

bool TextBox::userPaste(const std::string& utf8Text) {
    if (!reacts()) return false;
    std::string t = utf8Text;
    if (maxLength_ > 0) t = text::leftChars(t, static_cast<std::size_t>(maxLength_));
    setText(std::move(t));
    return true;
}

bool TextBox::userLoseFocus() {
    if (!isSeen()) return false;
    if (onLostFocus) onLostFocus();
    return true;
}

// --- CheckBox ------------------------------------------------------------------

CheckBox::CheckBox(Form& form, std::string name, Control* container, Twips rect, Look look, std::string caption,
                   bool visible)
    : Control(form, std::move(name), ControlKind::CheckBox, container, rect, std::move(look), visible, true),
      caption_(std::move(caption)) {}

bool CheckBox::userToggle() {
    if (!reacts()) return false;
    value_ = value_ == 0 ? 1 : 0;
    changed();
    if (onClick) onClick();
    return true;
}

// --- ComboBox ------------------------------------------------------------------

void ComboBox::Clear() {
    items_.clear();
    listIndex_ = -1;
    changed();
}

void ComboBox::AddItem(std::string item) {
    items_.push_back(std::move(item));
    changed();
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("ListIndex");
    listIndex_ = index;
    changed();
    // The list raises Click on every assignment of the index, even of the same
    // value, as the drop-down list does.
    if (onClick) onClick();
}

bool ComboBox::userSelect(int index) {
    if (!reacts()) return false;
    if (index < 0 || index >= ListCount()) return false;
    setListIndex(index);
    return true;
}

// --- PictureBox ----------------------------------------------------------------

PictureBox::PictureBox(Form& form, std::string name, Control* container, Twips rect, Look look, bool visible,
                       float scaleWidth, float width)
    : Control(form, std::move(name), ControlKind::PictureBox, container, rect, std::move(look), visible, true),
      scaleWidth_(scaleWidth),
      width_(width) {}

void PictureBox::setWidth(float w) {
    width_ = w;
    changed();
}

void PictureBox::setPicture(std::shared_ptr<const PixelSource> picture) {
    picture_ = std::move(picture);
    if (picture_) scaleWidth_ = static_cast<float>(picture_->width());
    changed();
}

std::int32_t PictureBox::Point(int x, int y) const {
    if (!picture_) return -1;
    return picture_->point(x, y);
}

// --- Timer ---------------------------------------------------------------------

Timer::Timer(Form& form, std::string name, int intervalMs)
    : Control(form, std::move(name), ControlKind::Timer, nullptr, Twips{}, Look{}, false, false),
      interval_(intervalMs) {}

void Timer::setEnabled(bool e) {
    if (e && !Enabled()) ++generation_;
    Control::setEnabled(e);
}

// --- Form ----------------------------------------------------------------------

Control* Form::find(const std::string& name) const {
    auto lower = [](std::string s) {
        for (auto& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return s;
    };
    const std::string wanted = lower(name);
    for (Control* c : controls_) {
        if (lower(c->name()) == wanted) return c;
    }
    return nullptr;
}

std::vector<Timer*> Form::timers() const {
    std::vector<Timer*> out;
    for (Control* c : controls_) {
        if (c->kind() == ControlKind::Timer) out.push_back(static_cast<Timer*>(c));
    }
    return out;
}

// --- text helpers --------------------------------------------------------------

namespace text {
namespace {
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offset of the n-th character (or s.size()).
std::size_t offsetOf(const std::string& s, std::size_t n) {
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < s.size() && count < n) {
        ++i;
        while (i < s.size() && isContinuation(s[i])) ++i;
        ++count;
    }
    return i;
}
}  // namespace

std::size_t charCount(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) { return !isContinuation(c); }));
}

std::string leftChars(const std::string& s, std::size_t n) { return s.substr(0, offsetOf(s, n)); }

std::string rightChars(const std::string& s, std::size_t n) {
    const std::size_t count = charCount(s);
    if (n >= count) return s;
    return s.substr(offsetOf(s, count - n));
}

std::string midChars(const std::string& s, std::size_t start0, std::size_t n) {
    const std::size_t from = offsetOf(s, start0);
    const std::size_t to = offsetOf(s, start0 + n);
    return s.substr(from, to - from);
}

std::string upper(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 'a' && c <= 'z') {
            out.push_back(static_cast<char>(c - 'a' + 'A'));
        } else if (c == 0xC3 && i + 1 < s.size()) {
            // Latin-1 small letters U+00E0..U+00FE (except U+00F7) are C3 A0..C3 BE.
            const auto d = static_cast<unsigned char>(s[i + 1]);
            out.push_back(static_cast<char>(c));
            out.push_back(static_cast<char>((d >= 0xA0 && d <= 0xBE && d != 0xB7) ? d - 0x20 : d));
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string trimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}
}  // namespace text

}  // namespace ortavia

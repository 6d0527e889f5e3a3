// Win32 platform — the window runtime.
// What may live here: the borderless window that renders the window model,
// the native controls that mirror it, the translation of mouse, keyboard and
// timer messages into the model's events, message boxes, yielding and the
// end of the process.  No setup logic lives here.
#include "platform/win32/win32_runtime.h"

#include <ole2.h>
#include <olectl.h>

#include <cmath>
#include <cwctype>
#include <map>
#include <new>
#include <set>
#include <stdexcept>
#include <vector>

#include "content/win32/resource_ids.h"
#include "platform/win32/win32_text.h"

namespace ortavia::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"OrtaviaSetup1";
// App.PrevInstance answers per logon session, as the named mutex does.
constexpr const wchar_t* kInstanceMutex = L"Local\\Ortavia-on-line SETUP_Ortavia_on_line.exe";
constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignDpi = 96.0;  // 15 twips to a pixel
constexpr int kFirstNativeId = 1000;
constexpr UINT kLostFocusMessage = WM_APP + 1;
constexpr int kPanelBorder = 1;
// The subclassed text box finds its runtime through this window property.
constexpr const wchar_t* kRuntimeProperty = L"OrtaviaRuntime";
// Stand-ins, in order, for a face the system does not have.
constexpr const wchar_t* kStandInFaces[] = {L"Tahoma", L"Arial", L"Liberation Sans", L"DejaVu Sans"};

COLORREF colorOf(const Rgb& c) { return RGB(c.r, c.g, c.b); }

int toPixels(int twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

bool isNativeKind(ControlKind k) {
    return k == ControlKind::TextBox || k == ControlKind::TextArea || k == ControlKind::CheckBox ||
           k == ControlKind::ComboBox;
}

// Enabled flags of the control and of every container above it.
bool enabledChain(const Control& c) {
    for (const Control* p = &c; p != nullptr; p = p->container()) {
        if (!p->Enabled()) return false;
    }
    return true;
}

bool isSelfOrAncestor(const Control& maybeAncestor, const Control& c) {
    for (const Control* p = &c; p != nullptr; p = p->container()) {
        if (p == &maybeAncestor) return true;
    }
    return false;
}

std::wstring windowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(got));
    return s;
}

bool sameFace(const wchar_t* a, const wchar_t* b) { return lstrcmpiW(a, b) == 0; }

}  // namespace

struct Win32Runtime::Impl {
    Impl(Win32Runtime& owner, HINSTANCE inst, Win32Services& services, std::string title)
        : self(owner), instance(inst), os(services), errorTitle(std::move(title)) {}

    Win32Runtime& self;
    HINSTANCE instance;
    Win32Services& os;
    std::string errorTitle;

    HANDLE mutex = nullptr;
    bool anotherCopy = false;

    Form* form = nullptr;
    HWND hwnd = nullptr;
    HBITMAP background = nullptr;
    SIZE backgroundSize{0, 0};

    std::map<Control*, HWND> natives;
    std::map<HWND, Control*> controlOf;
    WNDPROC editProc = nullptr;
    std::map<std::wstring, HFONT> fonts;
    std::map<COLORREF, HBRUSH> brushes;

    std::map<Timer*, std::uint64_t> timerGeneration;
    std::map<UINT_PTR, Timer*> timerById;
    std::map<Timer*, UINT_PTR> idOfTimer;
    std::set<Timer*> timersRunning;

    int formPointer = kPointerDefault;
    int screenPointer = kPointerDefault;
    int mirroring = 0;
    Label* pressed = nullptr;
    std::uint32_t rndState = 0x50000;
    DdeConversation link = 0;

    // --- events -----------------------------------------------------------------
    // Every event of the model runs through here: a SetupError that escapes
    // its handler is the runtime's unhandled error.  Nothing thrown may cross
    // the system's frames of the window procedure.
    template <typename F>
    void deliver(F&& f) {
        try {
            f();
        } catch (const SetupError& e) {
            self.reportUnhandledError(e);
        } catch (const std::bad_alloc&) {
            self.reportUnhandledError(SetupError(err::kOutOfMemory));
        } catch (const std::exception&) {
            self.reportUnhandledError(SetupError(err::kIllegalCall));
        }
    }

    // --- fonts and brushes -------------------------------------------------------
    HFONT fontFor(const Font& f) {
        const std::wstring face = widen(f.face.empty() ? std::string("MS Sans Serif") : f.face);
        const std::wstring key = face + L"|" + std::to_wstring(f.points) + (f.bold ? L"|b" : L"|n");
        if (auto it = fonts.find(key); it != fonts.end()) return it->second;
        const int height = -static_cast<int>(std::lround(f.points * kDesignDpi / 72.0));
        const int weight = f.bold ? FW_BOLD : FW_NORMAL;
        auto make = [&](const wchar_t* name) {
            return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, name);
        };
        auto realFace = [](HFONT font) {
            wchar_t got[LF_FACESIZE] = {};
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, font);
            GetTextFaceW(dc, LF_FACESIZE, got);
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            return std::wstring(got);
        };
        HFONT chosen = make(face.c_str());
        if (!sameFace(realFace(chosen).c_str(), face.c_str())) {
            for (const wchar_t* standIn : kStandInFaces) {
                HFONT candidate = make(standIn);
                if (sameFace(realFace(candidate).c_str(), standIn)) {
                    DeleteObject(chosen);
                    chosen = candidate;
                    break;
                }
                DeleteObject(candidate);
            }
        }
        fonts[key] = chosen;
        return chosen;
    }

    HBRUSH brushFor(COLORREF c) {
        if (auto it = brushes.find(c); it != brushes.end()) return it->second;
        HBRUSH b = CreateSolidBrush(c);
        brushes[c] = b;
        return b;
    }

    // --- geometry --------------------------------------------------------------------
    // The inner area of a container, where its children's coordinates start.
    RECT innerRect(const Control& c) {
        RECT r = pixelRect(c);
        if (c.look().border) InflateRect(&r, -kPanelBorder, -kPanelBorder);
        return r;
    }

    RECT pixelRect(const Control& c) {
        const Twips& t = c.rect();
        int x = toPixels(t.left);
        int y = toPixels(t.top);
        int w = toPixels(t.width);
        const int h = toPixels(t.height);
        if (const Control* parent = c.container()) {
            const RECT inner = innerRect(*parent);
            x += inner.left;
            y += inner.top;
            // A box inside a box with a scale of its own (the progress fill)
            // has its width in that scale.
            if (c.kind() == ControlKind::PictureBox && parent->kind() == ControlKind::PictureBox) {
                const auto& box = static_cast<const PictureBox&>(c);
                const auto& scaled = static_cast<const PictureBox&>(*parent);
                if (scaled.ScaleWidth() > 0.0f) {
                    const double units = std::max(0.0f, box.Width());
                    w = static_cast<int>(std::lround(units / scaled.ScaleWidth() * (inner.right - inner.left)));
                }
            }
        }
        return RECT{x, y, x + w, y + h};
    }

    // The area a label covers on screen: Label17 sizes itself to its text on
    // one line, Label9 grows downward to fit its wrapped text.
    RECT labelRect(HDC dc, const Label& l) {
        RECT r = pixelRect(l);
        const std::wstring text = widen(l.Caption());
        HGDIOBJ old = SelectObject(dc, fontFor(l.look().font));
        if (l.look().autoSizeOneLine) {
            RECT calc{0, 0, 0, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc,
                      DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            r.right = r.left + (calc.right - calc.left);
            r.bottom = r.top + (calc.bottom - calc.top);
        } else if (l.look().growDownward) {
            RECT calc{0, 0, r.right - r.left, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            r.bottom = std::max<LONG>(r.bottom, r.top + (calc.bottom - calc.top));
        }
        SelectObject(dc, old);
        return r;
    }

    // --- painting ----------------------------------------------------------------------
    void drawLabel(HDC dc, const Label& l) {
        if (!l.isSeen() || l.Caption().empty()) return;
        const RECT r = labelRect(dc, l);
        const std::wstring text = widen(l.Caption());
        HGDIOBJ old = SelectObject(dc, fontFor(l.look().font));
        SetBkMode(dc, TRANSPARENT);
        UINT flags = DT_NOPREFIX | (l.look().centred ? DT_CENTER : DT_LEFT);
        flags |= l.look().autoSizeOneLine ? DT_SINGLELINE : DT_WORDBREAK;
        RECT box = r;
        // Only a label that is disabled itself looks disabled; one on a
        // disabled panel keeps its look and merely stops reacting.
        if (l.Enabled()) {
            SetTextColor(dc, l.look().foreColor ? colorOf(*l.look().foreColor) : GetSysColor(COLOR_WINDOWTEXT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
        } else {
            // The system's disabled look: etched grey text.
            OffsetRect(&box, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
            box = r;
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
        }
        SelectObject(dc, old);
    }

    void drawBox(HDC dc, const Control& c, const RECT* clip) {
        if (!c.isSeen() || !c.look().backColor) return;
        RECT r = pixelRect(c);
        if (clip != nullptr) IntersectRect(&r, &r, clip);
        if (IsRectEmpty(&r)) return;
        FillRect(dc, &r, brushFor(colorOf(*c.look().backColor)));
        if (c.look().border) FrameRect(dc, &r, brushFor(RGB(0, 0, 0)));
    }

    void paint(HDC dc) {
        RECT client;
        GetClientRect(hwnd, &client);
        if (background != nullptr) {
            FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
            HDC src = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(src, background);
            BitBlt(dc, 0, 0, backgroundSize.cx, backgroundSize.cy, src, 0, 0, SRCCOPY);
            SelectObject(src, old);
            DeleteDC(src);
        } else {
            FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        }
        // Labels of the window lie beneath the panels, as lightweight
        // controls lie beneath windowed ones.
        for (Control* c : form->controls()) {
            if (c->container() == nullptr && c->kind() == ControlKind::Label) drawLabel(dc, *static_cast<Label*>(c));
        }
        for (Control* c : form->controls()) {
            if (c->container() != nullptr) continue;
            if (c->kind() != ControlKind::Panel && c->kind() != ControlKind::PictureBox) continue;
            if (c->kind() == ControlKind::PictureBox && static_cast<PictureBox*>(c)->picture() != nullptr) continue;
            if (!c->isSeen()) continue;
            drawBox(dc, *c, nullptr);
            const RECT inner = innerRect(*c);
            for (Control* child : form->controls()) {
                if (child->container() != c) continue;
                if (child->kind() == ControlKind::Panel || child->kind() == ControlKind::PictureBox)
                    drawBox(dc, *child, &inner);
            }
            HRGN region = CreateRectRgnIndirect(&inner);
            SelectClipRgn(dc, region);
            for (Control* child : form->controls()) {
                if (child->container() == c && child->kind() == ControlKind::Label)
                    drawLabel(dc, *static_cast<Label*>(child));
            }
            SelectClipRgn(dc, nullptr);
            DeleteObject(region);
        }
    }

    void onPaint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        paint(mem);
        BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        EndPaint(hwnd, &ps);
    }

    // --- the background picture ----------------------------------------------------------
    void loadBackground() {
        HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(ORTAVIA_IDR_BACKGROUND), MAKEINTRESOURCEW(10));
        if (res == nullptr) return;
        const DWORD size = SizeofResource(instance, res);
        const void* bytes = LockResource(LoadResource(instance, res));
        if (bytes == nullptr || size == 0) return;
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        if (copy == nullptr) return;
        CopyMemory(GlobalLock(copy), bytes, size);
        GlobalUnlock(copy);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
            GlobalFree(copy);
            return;
        }
        IPicture* picture = nullptr;
        const HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
        stream->Release();
        if (FAILED(hr) || picture == nullptr) return;
        OLE_XSIZE_HIMETRIC hmWidth = 0;
        OLE_YSIZE_HIMETRIC hmHeight = 0;
        picture->get_Width(&hmWidth);
        picture->get_Height(&hmHeight);
        // HIMETRIC is 1/100 mm; the picture is laid out at 96 pixels an inch.
        const int w = static_cast<int>(std::lround(hmWidth * kDesignDpi / 2540.0));
        const int h = static_cast<int>(std::lround(hmHeight * kDesignDpi / 2540.0));
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        picture->Render(mem, 0, 0, w, h, 0, hmHeight, hmWidth, -hmHeight, nullptr);
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        picture->Release();
        background = bmp;
        backgroundSize = SIZE{w, h};
    }

    // --- native controls ----------------------------------------------------------------
    void createNatives() {
        int id = kFirstNativeId;
        for (Control* c : form->controls()) {
            if (!isNativeKind(c->kind())) continue;
            const RECT r = pixelRect(*c);
            const int w = r.right - r.left;
            int h = r.bottom - r.top;
            const wchar_t* cls = L"EDIT";
            DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
            DWORD exStyle = 0;
            std::wstring caption;
            switch (c->kind()) {
                case ControlKind::TextArea:
                    style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
                    exStyle = WS_EX_CLIENTEDGE;
                    break;
                case ControlKind::TextBox:
                    style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
                    exStyle = WS_EX_CLIENTEDGE;
                    break;
                case ControlKind::CheckBox:
                    cls = L"BUTTON";
                    style |= BS_CHECKBOX | WS_TABSTOP;
                    caption = widen(static_cast<CheckBox*>(c)->Caption());
                    break;
                case ControlKind::ComboBox:
                    cls = L"COMBOBOX";
                    style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
                    h = 200;  // the height of the dropped list
                    break;
                default:
                    break;
            }
            HWND child = CreateWindowExW(exStyle, cls, caption.c_str(), style, r.left, r.top, w, h, hwnd,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
            if (child == nullptr) continue;
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c->look().font)), FALSE);
            if (c->kind() == ControlKind::TextBox) {
                const int maxLength = static_cast<TextBox*>(c)->MaxLength();
                if (maxLength > 0) SendMessageW(child, EM_LIMITTEXT, static_cast<WPARAM>(maxLength), 0);
                // The drive box is only 25 pixels wide: keep the margins thin
                // so that "C:" is seen whole.
                SendMessageW(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
                SetPropW(child, kRuntimeProperty, this);
                editProc = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&textBoxProc)));
            }
            natives[c] = child;
            controlOf[child] = c;
        }
        for (auto& [c, h] : natives) syncNative(*c);
    }

    // The native control shows what the model holds; nothing it reports while
    // it is being told so is taken as the user's input.
    void syncNative(Control& c) {
        HWND h = natives.at(&c);
        ++mirroring;
        const bool seen = c.isSeen();
        if ((IsWindowVisible(h) != FALSE) != seen) ShowWindow(h, seen ? SW_SHOWNOACTIVATE : SW_HIDE);
        const bool enabled = enabledChain(c);
        if ((IsWindowEnabled(h) != FALSE) != enabled) EnableWindow(h, enabled ? TRUE : FALSE);
        switch (c.kind()) {
            case ControlKind::TextBox:
            case ControlKind::TextArea: {
                const std::wstring want = widen(static_cast<TextBox&>(c).Text());
                if (windowText(h) != want) {
                    SetWindowTextW(h, want.c_str());
                    if (c.kind() == ControlKind::TextArea) {
                        // The agreement is read from its first line.
                        SendMessageW(h, EM_SETSEL, 0, 0);
                        SendMessageW(h, EM_SCROLLCARET, 0, 0);
                    } else {
                        SendMessageW(h, EM_SETSEL, want.size(), want.size());
                    }
                }
                break;
            }
            case ControlKind::CheckBox:
                SendMessageW(h, BM_SETCHECK, static_cast<CheckBox&>(c).Value() == 1 ? BST_CHECKED : BST_UNCHECKED,
                             0);
                break;
            case ControlKind::ComboBox: {
                auto& combo = static_cast<ComboBox&>(c);
                bool same = SendMessageW(h, CB_GETCOUNT, 0, 0) == combo.ListCount();
                for (int i = 0; same && i < combo.ListCount(); ++i) {
                    const LRESULT len = SendMessageW(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
                    std::wstring item(static_cast<std::size_t>(len) + 1, L'\0');
                    SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
                    item.resize(static_cast<std::size_t>(len));
                    same = item == widen(combo.List(i));
                }
                if (!same) {
                    SendMessageW(h, CB_RESETCONTENT, 0, 0);
                    for (const std::string& item : combo.items())
                        SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
                }
                SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(combo.ListIndex()), 0);
                break;
            }
            default:
                break;
        }
        --mirroring;
    }

    static LRESULT CALLBACK textBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    void onCommand(WPARAM wp, LPARAM lp) {
        HWND child = reinterpret_cast<HWND>(lp);
        const auto it = controlOf.find(child);
        if (it == controlOf.end() || mirroring > 0) return;
        Control& c = *it->second;
        const WORD code = HIWORD(wp);
        switch (c.kind()) {
            case ControlKind::TextBox:
                if (code == EN_CHANGE) {
                    // One change of the edit control is one Change of the box,
                    // whatever the keystroke or paste was.
                    const std::string typed = narrow(windowText(child));
                    deliver([&] { static_cast<TextBox&>(c).userPaste(typed); });
                    if (natives.count(&c) != 0) syncNative(c);
                }
                break;
            case ControlKind::CheckBox:
                if (code == BN_CLICKED) {
                    deliver([&] { static_cast<CheckBox&>(c).userToggle(); });
                    syncNative(c);
                }
                break;
            case ControlKind::ComboBox:
                if (code == CBN_SELCHANGE) {
                    const int index = static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0));
                    deliver([&] { static_cast<ComboBox&>(c).userSelect(index); });
                    syncNative(c);
                }
                break;
            default:
                break;
        }
    }

    LRESULT onControlColor(UINT msg, HDC dc, HWND child) {
        Control* c = nullptr;
        if (auto it = controlOf.find(child); it != controlOf.end()) c = it->second;
        if (c == nullptr && msg == WM_CTLCOLORLISTBOX) {
            // The dropped list of the combo box is a window of its own.
            for (auto& [ctl, h] : natives) {
                if (ctl->kind() == ControlKind::ComboBox) c = ctl;
            }
        }
        if (c == nullptr) return DefWindowProcW(hwnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
        const COLORREF fore = c->look().foreColor ? colorOf(*c->look().foreColor) : GetSysColor(COLOR_WINDOWTEXT);
        const COLORREF back = c->look().backColor ? colorOf(*c->look().backColor) : GetSysColor(COLOR_WINDOW);
        SetTextColor(dc, fore);
        SetBkColor(dc, back);
        return reinterpret_cast<LRESULT>(brushFor(back));
    }

    // --- labels as buttons -----------------------------------------------------------------
    Label* labelAt(POINT p) {
        HDC dc = GetDC(hwnd);
        Label* hit = nullptr;
        // A visible panel covers what lies beneath it.
        const Control* coveringPanel = nullptr;
        for (Control* c : form->controls()) {
            if (c->container() == nullptr && c->kind() == ControlKind::Panel && c->isSeen()) {
                const RECT r = pixelRect(*c);
                if (PtInRect(&r, p)) coveringPanel = c;
            }
        }
        for (Control* c : form->controls()) {
            if (c->kind() != ControlKind::Label || !c->isSeen()) continue;
            if (c->container() != coveringPanel) continue;
            const RECT r = labelRect(dc, *static_cast<Label*>(c));
            if (PtInRect(&r, p)) hit = static_cast<Label*>(c);
        }
        ReleaseDC(hwnd, dc);
        return hit;
    }

    // --- timers -------------------------------------------------------------------------------
    void syncTimer(Timer& t) {
        if (hwnd == nullptr) return;
        UINT_PTR id = 0;
        if (auto it = idOfTimer.find(&t); it != idOfTimer.end()) {
            id = it->second;
        } else {
            id = idOfTimer.size() + 1;
            idOfTimer[&t] = id;
            timerById[id] = &t;
        }
        if (!t.Enabled()) {
            KillTimer(hwnd, id);
            return;
        }
        // Switching a timer on again restarts its interval; a change that
        // leaves it on does not.
        if (timerGeneration[&t] != t.enableGeneration()) {
            timerGeneration[&t] = t.enableGeneration();
            SetTimer(hwnd, id, static_cast<UINT>(std::max(1, t.Interval())), nullptr);
        }
    }

    void onTimer(UINT_PTR id) {
        const auto it = timerById.find(id);
        if (it == timerById.end()) return;
        Timer* t = it->second;
        if (!t->Enabled()) {
            KillTimer(hwnd, id);
            return;
        }
        // A tick never nests inside the same timer's own handler.
        if (timersRunning.count(t) != 0 || !t->onTimer) return;
        timersRunning.insert(t);
        deliver([&] { t->onTimer(); });
        timersRunning.erase(t);
    }

    // --- pointer -----------------------------------------------------------------------------
    HCURSOR currentCursor(bool overClient) const {
        if (screenPointer == kPointerHourglass || (overClient && formPointer == kPointerHourglass))
            return LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // IDC_WAIT
        return nullptr;
    }

    void refreshCursor() {
        if (hwnd == nullptr) return;
        POINT p;
        if (!GetCursorPos(&p)) return;
        HWND under = WindowFromPoint(p);
        if (under != hwnd && IsChild(hwnd, under) == FALSE) return;
        HCURSOR c = currentCursor(true);
        SetCursor(c != nullptr ? c : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
    }

    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
            case WM_PAINT:
                onPaint();
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_LBUTTONDOWN: {
                pressed = labelAt(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
                SetCapture(hwnd);
                return 0;
            }
            case WM_LBUTTONDBLCLK:
                // The second click of a double click is a DblClick, not a Click.
                pressed = nullptr;
                SetCapture(hwnd);
                return 0;
            case WM_LBUTTONUP: {
                ReleaseCapture();
                Label* hit = labelAt(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
                Label* was = pressed;
                pressed = nullptr;
                if (hit != nullptr && hit == was) deliver([&] { hit->userClick(); });
                return 0;
            }
            case WM_TIMER:
                onTimer(wp);
                return 0;
            case WM_COMMAND:
                onCommand(wp, lp);
                return 0;
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
                return onControlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
            case WM_SETCURSOR:
                if (HCURSOR c = currentCursor(LOWORD(lp) == HTCLIENT)) {
                    SetCursor(c);
                    return TRUE;
                }
                break;
            case kLostFocusMessage:
                if (auto it = controlOf.find(reinterpret_cast<HWND>(lp)); it != controlOf.end()) {
                    auto* box = static_cast<TextBox*>(it->second);
                    deliver([&] { box->userLoseFocus(); });
                }
                return 0;
            case WM_CLOSE:
                // The window has no title bar and no close box; the wizard's
                // own Abort is the way out, so a close request is ignored.
                return 0;
            case WM_QUERYENDSESSION:
                return TRUE;
            case WM_ENDSESSION:
                if (wp != 0) ExitProcess(0);
                return 0;
            default:
                break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    static LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            impl = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
            impl->hwnd = h;
        }
        if (impl == nullptr || impl->form == nullptr) return DefWindowProcW(h, msg, wp, lp);
        return impl->handle(msg, wp, lp);
    }

    void createWindow() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &windowProc;
        wc.hInstance = instance;
        wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(ORTAVIA_IDI_SETUP), IMAGE_ICON, 0, 0,
                                                 LR_DEFAULTSIZE));
        wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(ORTAVIA_IDI_SETUP), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
        const Twips& area = form->clientArea();
        // No border and no title bar: the outer size is the client area.
        hwnd = CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, widen(form->Caption()).c_str(),
                               WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                               toPixels(area.width), toPixels(area.height), nullptr, nullptr, instance, this);
        if (hwnd == nullptr) ExitProcess(1);
    }

    void showCentred() {
        RECT r;
        GetWindowRect(hwnd, &r);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        SetWindowPos(hwnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
    }

    HWND messageOwner() const { return (hwnd != nullptr && IsWindowVisible(hwnd)) ? hwnd : nullptr; }
};

LRESULT CALLBACK Win32Runtime::Impl::textBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* impl = static_cast<Impl*>(GetPropW(h, kRuntimeProperty));
    const LRESULT result = CallWindowProcW(impl->editProc, h, msg, wp, lp);
    if (msg == WM_KILLFOCUS && impl->mirroring == 0) {
        // LostFocus belongs to focus moving to another control of the same
        // window, not to a message box or another program taking it; it runs
        // after the move, from the queue.
        HWND to = reinterpret_cast<HWND>(wp);
        if (to != nullptr && (to == impl->hwnd || IsChild(impl->hwnd, to) != FALSE))
            PostMessageW(impl->hwnd, kLostFocusMessage, 0, reinterpret_cast<LPARAM>(h));
    }
    return result;
}

// --- Win32Runtime ------------------------------------------------------------------

Win32Runtime::Win32Runtime(HINSTANCE instance, Win32Services& services, std::string errorTitle)
    : impl_(std::make_unique<Impl>(*this, instance, services, std::move(errorTitle))) {
    impl_->mutex = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    impl_->anotherCopy = impl_->mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    randomize();
}

Win32Runtime::~Win32Runtime() {
    if (impl_->mutex != nullptr) CloseHandle(impl_->mutex);
}

void Win32Runtime::run(Form& form) {
    Impl& im = *impl_;
    im.form = &form;
    form.setObserver(this);
    im.loadBackground();
    im.createWindow();
    im.createNatives();
    for (Timer* t : form.timers()) im.syncTimer(*t);
    im.deliver([&] { form.Form_Load(); });
    im.showCentred();
    im.deliver([&] { form.Form_Activate(); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitProcess(0);
}

int Win32Runtime::messageBox(const std::string& text, int style, const std::string& title) {
    return MessageBoxW(impl_->messageOwner(), widen(text).c_str(), widen(title).c_str(), static_cast<UINT>(style));
}

void Win32Runtime::doEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) ExitProcess(static_cast<UINT>(msg.wParam));
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Runtime::endProgram() { ExitProcess(0); }

void Win32Runtime::reportUnhandledError(const SetupError& error) {
    const std::string text =
        "Errore di run-time '" + std::to_string(error.number) + "':\r\n\r\n" + error.description;
    MessageBoxW(impl_->messageOwner(), widen(text).c_str(), widen(impl_->errorTitle).c_str(), MB_OK | MB_ICONERROR);
    ExitProcess(1);
}

void Win32Runtime::beep() { MessageBeep(MB_OK); }

bool Win32Runtime::anotherCopyRunning() { return impl_->anotherCopy; }

std::string Win32Runtime::appPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return narrow(folder);
}

void Win32Runtime::randomize() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const auto c = static_cast<std::uint64_t>(counter.QuadPart) ^ GetTickCount64();
    impl_->rndState = static_cast<std::uint32_t>((c ^ (c >> 24) ^ (c >> 48)) & 0xFFFFFFu);
}

float Win32Runtime::rnd() {
    // A 24-bit linear congruential generator: every value r/2^24 is exact in
    // single precision and below 1.
    impl_->rndState = (impl_->rndState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(impl_->rndState) / 16777216.0f;
}

void Win32Runtime::setFormMousePointer(int pointer) {
    impl_->formPointer = pointer;
    impl_->refreshCursor();
}

void Win32Runtime::setScreenMousePointer(int pointer) {
    impl_->screenPointer = pointer;
    impl_->refreshCursor();
}

void Win32Runtime::bringToFront() {
    if (impl_->hwnd == nullptr) return;
    SetWindowPos(impl_->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(impl_->hwnd);
}

void Win32Runtime::linkOpen(const std::string& topic) {
    linkClose();
    const auto bar = topic.find('|');
    const std::string service = topic.substr(0, bar);
    const std::string name = bar == std::string::npos ? std::string() : topic.substr(bar + 1);
    const DdeConversation conv = impl_->os.ddeConnect(service, name);
    if (conv == 0) throw SetupError(err::kDdeNoAnswer);
    impl_->link = conv;
}

void Win32Runtime::linkExecute(const std::string& command, int timeoutTenths) {
    if (impl_->link == 0) throw SetupError(err::kDdeNoLink);
    const auto timeoutMs = static_cast<std::uint32_t>(std::max(1, timeoutTenths) * 100);
    if (!impl_->os.ddeExecute(impl_->link, command, timeoutMs))
        throw SetupError(impl_->os.lastDdeFailureWasTimeout() ? err::kDdeTimeout : err::kDdeRefused);
}

void Win32Runtime::linkClose() {
    if (impl_->link == 0) return;
    impl_->os.ddeDisconnect(impl_->link);
    impl_->link = 0;
}

void Win32Runtime::controlChanged(Control& control) {
    Impl& im = *impl_;
    if (control.kind() == ControlKind::Timer) {
        im.syncTimer(static_cast<Timer&>(control));
        return;
    }
    if (im.hwnd == nullptr) return;
    for (auto& [c, h] : im.natives) {
        if (isSelfOrAncestor(control, *c)) im.syncNative(*c);
    }
    InvalidateRect(im.hwnd, nullptr, FALSE);
}

}  // namespace ortavia::win32

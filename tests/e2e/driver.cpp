// The end-to-end driver: a small console program that runs inside Wine next
// to the setup and works it as a user does, with real mouse and keyboard
// input (SetCursorPos + SendInput), and reads what is on screen.
//
//   driver window TIMEOUT_MS          wait for the setup window; print "x y w h"
//   driver click X Y                  primary click at client pixel (X, Y) of the setup window
//   driver box TIMEOUT_MS             wait for a message box; print its title, a TAB and its text
//   driver answer ID TIMEOUT_MS       click the box's button ID (1 OK, 2 Cancel, 6 Yes, 7 No)
//                                     and wait until the box is gone
//   driver nobox MS                   fail if a message box shows up within MS
//   driver type TEXT                  type characters (Unicode keystrokes)
//   driver key NAME [COUNT]           press BACK, END, HOME, DOWN, UP, RETURN, TAB COUNT times
//   driver edit                       print the text of the visible one-line edit box
//   driver gone TIMEOUT_MS            wait until the setup window has disappeared
//   driver front                      raise the setup window above other windows
//   driver progman TIMEOUT_MS         wait until Program Manager answers DDE (the shell desktop is up)
//
// Exit status 0 when the step was done, 1 otherwise (with a line on stderr).
#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* kSetupClass = L"OrtaviaSetup1";
constexpr int kMessageTextId = 0xFFFF;  // the static text of a message box

void print(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

int fail(const char* why) {
    std::fprintf(stderr, "driver: %s\n", why);
    return 1;
}

// WM_GETTEXT, not GetWindowText: the windows belong to another process, and
// an edit control's text is not its caption.
std::wstring textOf(HWND h) {
    wchar_t buf[4096] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &got);
    return buf;
}

HWND setupWindow() {
    HWND h = FindWindowW(kSetupClass, nullptr);
    return (h != nullptr && IsWindowVisible(h)) ? h : nullptr;
}

BOOL CALLBACK findBox(HWND h, LPARAM out) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (std::wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h) && GetDlgItem(h, kMessageTextId) != nullptr) {
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
    }
    return TRUE;
}

HWND messageBox() {
    HWND found = nullptr;
    EnumWindows(findBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

template <typename F>
bool waitFor(DWORD timeoutMs, F ready) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

void clickScreen(int x, int y) {
    SetCursorPos(x, y);
    Sleep(80);
    INPUT in[2] = {};
    in[0].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(60);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(150);
}

void keyStroke(WORD vk, wchar_t ch) {
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[1].type = INPUT_KEYBOARD;
    if (ch != 0) {
        in[0].ki.wScan = ch;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.wScan = ch;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    } else {
        in[0].ki.wVk = vk;
        in[1].ki.wVk = vk;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(2, in, sizeof(INPUT));
    Sleep(120);
}

BOOL CALLBACK findEdit(HWND h, LPARAM out) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(cls, L"Edit") == 0 && IsWindowVisible(h) && (style & ES_MULTILINE) == 0) {
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
    }
    return TRUE;
}

HDDEDATA CALLBACK ddeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return fail("no command");
    const std::wstring cmd = argv[1];
    auto arg = [&](int i) { return i < argc ? std::wcstol(argv[i], nullptr, 10) : 0L; };

    if (cmd == L"window") {
        HWND h = nullptr;
        if (!waitFor(static_cast<DWORD>(arg(2)), [&] { return (h = setupWindow()) != nullptr; }))
            return fail("the setup window did not appear");
        RECT r;
        GetWindowRect(h, &r);
        print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) +
              L" " + std::to_wstring(r.bottom - r.top) + L"\n");
        return 0;
    }
    if (cmd == L"click") {
        HWND h = setupWindow();
        if (h == nullptr) return fail("no setup window to click");
        POINT p{static_cast<LONG>(arg(2)), static_cast<LONG>(arg(3))};
        ClientToScreen(h, &p);
        clickScreen(p.x, p.y);
        return 0;
    }
    if (cmd == L"box") {
        HWND box = nullptr;
        if (!waitFor(static_cast<DWORD>(arg(2)), [&] { return (box = messageBox()) != nullptr; }))
            return fail("no message box appeared");
        Sleep(200);
        print(textOf(box) + L"\t" + textOf(GetDlgItem(box, kMessageTextId)) + L"\n");
        return 0;
    }
    if (cmd == L"answer") {
        HWND box = nullptr;
        if (!waitFor(static_cast<DWORD>(arg(3)), [&] { return (box = messageBox()) != nullptr; }))
            return fail("no message box to answer");
        HWND button = GetDlgItem(box, static_cast<int>(arg(2)));
        if (button == nullptr) return fail("the message box has no such button");
        RECT r;
        GetWindowRect(button, &r);
        clickScreen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // A box closed by a click takes a moment to return to its caller.
        if (!waitFor(15000, [&] { return IsWindow(box) == FALSE || IsWindowVisible(box) == FALSE; }))
            return fail("the message box did not close");
        Sleep(300);
        return 0;
    }
    if (cmd == L"nobox") {
        if (waitFor(static_cast<DWORD>(arg(2)), [&] { return messageBox() != nullptr; })) {
            HWND box = messageBox();
            print(textOf(box) + L"\t" + textOf(GetDlgItem(box, kMessageTextId)) + L"\n");
            return fail("an unexpected message box appeared");
        }
        return 0;
    }
    if (cmd == L"type") {
        if (argc < 3) return fail("nothing to type");
        for (const wchar_t* c = argv[2]; *c != 0; ++c) keyStroke(0, *c);
        return 0;
    }
    if (cmd == L"key") {
        if (argc < 3) return fail("no key");
        const std::wstring name = argv[2];
        WORD vk = 0;
        if (name == L"BACK") vk = VK_BACK;
        else if (name == L"END") vk = VK_END;
        else if (name == L"HOME") vk = VK_HOME;
        else if (name == L"DOWN") vk = VK_DOWN;
        else if (name == L"UP") vk = VK_UP;
        else if (name == L"RETURN") vk = VK_RETURN;
        else if (name == L"TAB") vk = VK_TAB;
        else return fail("unknown key");
        const long count = argc > 3 ? arg(3) : 1;
        for (long i = 0; i < count; ++i) keyStroke(vk, 0);
        return 0;
    }
    if (cmd == L"edit") {
        HWND h = setupWindow();
        HWND edit = nullptr;
        if (h != nullptr) EnumChildWindows(h, findEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit == nullptr) return fail("no visible edit box");
        print(textOf(edit) + L"\n");
        return 0;
    }
    if (cmd == L"gone") {
        if (!waitFor(static_cast<DWORD>(arg(2)), [] { return FindWindowW(kSetupClass, nullptr) == nullptr; }))
            return fail("the setup window is still there");
        return 0;
    }
    if (cmd == L"front") {
        HWND h = setupWindow();
        if (h == nullptr) return fail("no setup window");
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(h);
        Sleep(300);
        return 0;
    }
    if (cmd == L"progman") {
        DWORD inst = 0;
        if (DdeInitializeW(&inst, ddeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return fail("no DDEML");
        HSZ name = DdeCreateStringHandleW(inst, L"Progman", CP_WINUNICODE);
        const bool up = waitFor(static_cast<DWORD>(arg(2)), [&] {
            HCONV conv = DdeConnect(inst, name, name, nullptr);
            if (conv == nullptr) return false;
            DdeDisconnect(conv);
            return true;
        });
        DdeFreeStringHandle(inst, name);
        DdeUninitialize(inst);
        return up ? 0 : fail("Program Manager does not answer");
    }
    return fail("unknown command");
}

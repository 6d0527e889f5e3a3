/* Ortavia_on_line.exe as the setup installs it: a small windowed program
   that says which application it is.  The setup carries it packed into
   Picture4; build_payload.sh pads it to the size the installation expects. */
#include <windows.h>

static const wchar_t kClass[] = L"OrtaviaOnLine";
static const wchar_t kTitle[] = L"Ortavia-on-line";
static const wchar_t kText[] = L"Ortavia-on-line 3.00\n\nL'applicazione \u00e8 installata.";

static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            RECT r;
            HDC dc = BeginPaint(hwnd, &ps);
            GetClientRect(hwnd, &r);
            InflateRect(&r, -16, -16);
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            DrawTextW(dc, kText, -1, &r, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    WNDCLASSW wc;
    HWND hwnd;
    MSG msg;
    (void)previous;
    (void)commandLine;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    hwnd = CreateWindowW(kClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 360, 180, NULL, NULL,
                         instance, NULL);
    if (hwnd == NULL) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

// The window runtime table: everything the setup logic needs from the layer
// that shows the window and runs its events.  Two implementations plug in:
// the headless runtime on a virtual clock (platform/sim) and Win32
// (platform/win32).
//
// All events run on one thread.  Handlers nest inside doEvents() and inside
// messageBox(), never run in parallel.
#pragma once

#include <cstdint>
#include <string>

#include "setup/errors.h"

namespace ortavia {

class Form;

// Message box styles and answers used by the setup, with their Windows values.
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconError = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconInformation = 64;
inline constexpr int kMbDefButton2 = 256;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Mouse pointers.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

class WindowRuntime {
public:
    virtual ~WindowRuntime() = default;

    // Modal message box; returns the button (1 OK, 2 Cancel, 6 Yes, 7 No).
    // Pending events (timer ticks, clicks) run nested while it is open.
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;
    // DoEvents: every pending event runs to its end before this returns.
    virtual void doEvents() = 0;
    // End: stops at once; nothing further runs, nothing is undone.
    [[noreturn]] virtual void endProgram() = 0;
    // The runtime's own report of an unhandled error, then the end.
    [[noreturn]] virtual void reportUnhandledError(const SetupError& error) = 0;
    virtual void beep() = 0;
    // App.PrevInstance.
    virtual bool anotherCopyRunning() = 0;
    // App.Path: no trailing "\" unless a drive root.
    virtual std::string appPath() = 0;
    // Randomize (reseed from the clock) and Rnd (0 <= r < 1).
    virtual void randomize() = 0;
    virtual float rnd() = 0;
    // The window's pointer (Setup1.MousePointer) and the application-wide one
    // (Screen.MousePointer).
    virtual void setFormMousePointer(int pointer) = 0;
    virtual void setScreenMousePointer(int pointer) = 0;
    // ZOrder 0.
    virtual void bringToFront() = 0;

    // The label DDE client (a label's LinkTopic / LinkMode / LinkTimeout /
    // LinkExecute).  Each throws SetupError as the runtime raises it.
    virtual void linkOpen(const std::string& topic) = 0;                       // LinkMode = 2 (manual)
    virtual void linkExecute(const std::string& command, int timeoutTenths) = 0;
    virtual void linkClose() = 0;                                              // LinkMode = 0
};

}  // namespace ortavia

// Win32 platform — the window runtime.
// What may live here: the WindowRuntime of the real Windows program: the
// borderless window that renders the window model (background picture,
// transparent labels, panels, the progress bar, native edit, check box and
// list controls), the mouse and timer events turned into the model's events,
// message boxes, yielding by pumping the thread's message queue, and the end
// of the process.  The setup logic is not here; the window model says what
// to show.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/win32_services.h"
#include "platform/window_runtime.h"
#include "setup/window_model.h"

namespace ortavia::win32 {

class Win32Runtime : public WindowRuntime, public ModelObserver {
public:
    // `errorTitle` is the title of the runtime's own report of an unhandled
    // error.  The instance mutex that answers anotherCopyRunning() is taken
    // here, once, when the program starts.
    Win32Runtime(HINSTANCE instance, Win32Services& services, std::string errorTitle);
    ~Win32Runtime() override;
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;

    // Creates the (hidden) window, runs Load, shows the window centred, runs
    // Activate and then the message loop.  Ends the process; never returns.
    [[noreturn]] void run(Form& form);

    int messageBox(const std::string& text, int style, const std::string& title) override;
    void doEvents() override;
    [[noreturn]] void endProgram() override;
    [[noreturn]] void reportUnhandledError(const SetupError& error) override;
    void beep() override;
    bool anotherCopyRunning() override;
    std::string appPath() override;
    void randomize() override;
    float rnd() override;
    void setFormMousePointer(int pointer) override;
    void setScreenMousePointer(int pointer) override;
    void bringToFront() override;
    void linkOpen(const std::string& topic) override;
    void linkExecute(const std::string& command, int timeoutTenths) override;
    void linkClose() override;

    void controlChanged(Control& control) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace ortavia::win32

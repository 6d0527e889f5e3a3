// Win32 platform — the program's entry point.
// What may live here: WinMain of SETUP_Ortavia_on_line.exe, which puts the
// setup window together with the Win32 tables and hands it to the runtime.
// Creating the window is the program's start; everything after it is an
// event of that window.
#include <windows.h>
#include <ole2.h>

#include "content/content.h"
#include "platform/win32/win32_runtime.h"
#include "platform/win32/win32_services.h"
#include "setup/setup1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // OLE decodes the background picture; the shell folder calls want COM.
    OleInitialize(nullptr);
    ortavia::win32::Win32Services services;
    ortavia::win32::Win32Runtime runtime(instance, services, ortavia::kAppTitle);
    try {
        ortavia::Setup1 window(services, runtime, ortavia::embeddedContent());
        runtime.run(window);
    } catch (const ortavia::SetupError& e) {
        runtime.reportUnhandledError(e);
    }
}

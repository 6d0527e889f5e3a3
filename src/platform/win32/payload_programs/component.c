/* The shared components the setup installs (MsWinsck.ocx, DAO360.dll,
   msinet.ocx), each built from this source with its own name.  Registering
   one (regsvr32 runs DllRegisterServer) records it under
   HKEY_CURRENT_USER\Software\Ortavia-on-line\Components: the value named
   after the component holds the full path it was registered from, so a test
   can see that the registration really ran. */
#include <windows.h>

#ifndef ORTAVIA_COMPONENT_NAME
#error "build with -DORTAVIA_COMPONENT_NAME=L\"name\""
#endif

static const wchar_t kComponentsKey[] = L"Software\\Ortavia-on-line\\Components";
static HMODULE g_module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
    wchar_t path[MAX_PATH * 2];
    HKEY key;
    LONG rc;
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return E_FAIL;
    rc = RegCreateKeyExW(HKEY_CURRENT_USER, kComponentsKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    rc = RegSetValueExW(key, ORTAVIA_COMPONENT_NAME, 0, REG_SZ, (const BYTE*)path, (n + 1) * sizeof(wchar_t));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc);
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
    HKEY key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, kComponentsKey, 0, KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) return S_OK;
    RegDeleteValueW(key, ORTAVIA_COMPONENT_NAME);
    RegCloseKey(key);
    return S_OK;
}

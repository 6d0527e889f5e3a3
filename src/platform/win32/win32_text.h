// Win32 platform — text at the API edge.
// What may live here: the one conversion between the core's UTF-8 texts and
// the UTF-16 the wide Win32 functions take.  Every Win32 call of this folder
// uses the wide API, so a text the ANSI code page cannot hold still reaches
// Windows intact, and a text it can hold gives what the ANSI call would.
#pragma once

#include <windows.h>

#include <string>

namespace ortavia::win32 {

inline std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

inline std::string narrow(const wchar_t* wide, std::size_t length) {
    if (length == 0) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string narrow(const std::wstring& wide) { return narrow(wide.data(), wide.size()); }

}  // namespace ortavia::win32

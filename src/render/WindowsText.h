#pragma once

#include <string>

// Windows only, for the _windows.cpp files: file names as the C library and
// the command line spell them (the system's narrow code page) and as the
// wide file calls take them.
struct WindowsText final
{
    // Any thread.
    static std::wstring widen (const std::string& text);
    // Any thread.
    static std::string narrow (const std::wstring& text);

    WindowsText() = delete;
};

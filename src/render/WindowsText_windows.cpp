#include "WindowsText.h"

#include <windows.h>

#include <algorithm>

std::wstring WindowsText::widen (const std::string& text)
{
    if (text.empty())
        return {};

    const auto length = ::MultiByteToWideChar (CP_ACP, 0, text.data(), static_cast<int> (text.size()), nullptr, 0);
    std::wstring wide (static_cast<size_t> (std::max (length, 0)), L'\0');

    if (length > 0)
        ::MultiByteToWideChar (CP_ACP, 0, text.data(), static_cast<int> (text.size()), wide.data(), length);

    return wide;
}

std::string WindowsText::narrow (const std::wstring& text)
{
    if (text.empty())
        return {};

    const auto length = ::WideCharToMultiByte (CP_ACP, 0, text.data(), static_cast<int> (text.size()), nullptr, 0,
                                               nullptr, nullptr);
    std::string narrowed (static_cast<size_t> (std::max (length, 0)), '\0');

    if (length > 0)
        ::WideCharToMultiByte (CP_ACP, 0, text.data(), static_cast<int> (text.size()), narrowed.data(), length,
                               nullptr, nullptr);

    return narrowed;
}

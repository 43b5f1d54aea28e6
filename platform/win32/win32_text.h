#pragma once
// The program holds text as UTF-8; Windows' wide functions take UTF-16. Both conversions are
// strict, so that no name ever turns into a look-alike on the way. Private to platform/win32.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Empty when `utf8` is not valid UTF-8 (a path then names nothing, a caption shows nothing).
inline std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              length);
    }
    return wide;
}

// Nothing when `wide` holds an unpaired surrogate, which UTF-8 cannot carry.
inline std::optional<std::string> Utf8(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::nullopt;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                          length, nullptr, nullptr);
    return utf8;
}

}  // namespace win32

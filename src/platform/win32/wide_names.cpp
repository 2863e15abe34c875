#include "platform/win32/wide_names.h"

#include <windows.h>

namespace quorlix::platform {

std::wstring to_wide(std::string_view text) {
    if (text.empty()) return {};
    int size = static_cast<int>(text.size());
    UINT code_page = CP_UTF8;
    int length = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    DWORD flags = MB_ERR_INVALID_CHARS;
    if (length <= 0) {
        code_page = CP_ACP;
        flags = 0;
        length = ::MultiByteToWideChar(code_page, flags, text.data(), size, nullptr, 0);
        if (length <= 0) return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(code_page, flags, text.data(), size, wide.data(), length);
    return wide;
}

std::string to_utf8(std::wstring_view text) {
    if (text.empty()) return {};
    int size = static_cast<int>(text.size());
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace quorlix::platform

#include "system/win32/windows_headers.h"

#include "system/win32/code_page.h"

namespace vostrel::win32 {

namespace {

std::wstring ToWide(unsigned codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string FromWide(unsigned codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8 ? nullptr : "?";
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, fallback,
                          nullptr);
    return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::string ToAnsi(std::string_view utf8) {
    if (::GetACP() == CP_UTF8) return std::string(utf8);
    return FromWide(CP_ACP, Widen(utf8));
}

std::string FromAnsi(std::string_view ansi) {
    if (::GetACP() == CP_UTF8) return std::string(ansi);
    return Narrow(ToWide(CP_ACP, ansi));
}

}  // namespace vostrel::win32

#include "system/win32/windows_headers.h"

#include "system/terminal.h"

namespace vostrel {

// A console whose virtual-terminal processing can be switched on (Windows 10
// and later) takes the progress line's control sequences; an older console,
// a file or a pipe gets no progress line at all.
bool ErrorOutputIsTerminal() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    ::DWORD mode = 0;
    if (error == INVALID_HANDLE_VALUE || !::GetConsoleMode(error, &mode)) return false;
    constexpr ::DWORD kVirtualTerminal = 0x0004;  // ENABLE_VIRTUAL_TERMINAL_PROCESSING
    if (mode & kVirtualTerminal) return true;
    return ::SetConsoleMode(error, mode | kVirtualTerminal) != FALSE;
}

bool InputIsTerminal() {
    ::DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
}

std::size_t TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 80;
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 0 ? static_cast<std::size_t>(width) : 80;
}

}  // namespace vostrel

#include "system/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vostrel {

bool ErrorOutputIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

std::size_t TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace vostrel

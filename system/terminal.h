// The terminal the command-line program writes its progress line to.
#pragma once

#include <cstddef>

namespace vostrel {

// True when the error output is a terminal that understands the control
// sequences of a progress line ("\r", ESC [ K); prepares it for them.
bool ErrorOutputIsTerminal();

// True when the standard input is a terminal someone can answer at.
bool InputIsTerminal();

// The width of that terminal in characters; 80 when it cannot be told.
std::size_t TerminalColumns();

}  // namespace vostrel

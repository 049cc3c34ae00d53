// The programs that keep a prefix's registry from being written: a Wine
// prefix's wineserver, which holds its own copy of the registry and writes
// it back when it ends, and every program it serves.
//
// Closing them runs the wineserver of that very server ("wineserver -k"):
// the one the running server was started from, so that a Proton or Lutris
// prefix is closed by its own Wine, never by the system's. Their unsaved work
// is lost; the front ends ask first.
#pragma once

#include <string>

namespace vostrel {

// Whether a wineserver runs on the prefix now (or whether one does cannot be
// told, which counts as running).
bool PrefixProgramsRunning(const std::string& prefixPath);

struct ProgramsClosed {
    bool closed = false;
    std::string why;  // when not closed
};

// Closes every program of the prefix and waits (up to `waitSeconds`) until
// its wineserver has ended and saved the registry. On a machine that is no
// Wine prefix nothing is done.
ProgramsClosed ClosePrefixPrograms(const std::string& prefixPath, int waitSeconds = 20);

}  // namespace vostrel

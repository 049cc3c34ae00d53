// Replacing a file so that a crash leaves either the old or the new file,
// never a half-written one: write a temporary file beside it, flush it to
// disk, rename it over the original, flush the folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vostrel {

// True on success; on failure the original is untouched and `error` (when
// given) says what failed. A `path` that is a symbolic link (a dotfiles
// setup) stays one: the file it finally leads to is replaced, with the
// temporary file in that file's folder.
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         std::string* error = nullptr);

#ifndef _WIN32
// Removes the temporary files that saves of `path` left beside it when their
// process was killed: only files of ours whose creator has gone (no process
// of that pid, and no lock held on the file). The number removed.
int RemoveStaleTempFiles(const std::string& path);
#endif

// The whole file, or nothing when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// The most a settings file, an ignore list or another program's list of its
// folders may hold: anything larger is not one of those.
inline constexpr std::size_t kSmallTextFileCap = std::size_t{16} << 20;

// Reads a small text file that someone else may have put in our way (a
// FIFO, a device, a link to /dev/zero): it is opened without waiting for a
// writer, and anything but a regular file of at most `cap` bytes is refused
// without reading it. On failure `error` names the file and why, and
// `missing` (when given) is set when there is no file at all.
bool ReadSmallTextFile(const std::string& path, std::size_t cap, std::string* text,
                       std::string* error, bool* missing = nullptr);

}  // namespace vostrel

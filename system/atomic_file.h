// Replacing a file so that a crash leaves either the old or the new file,
// never a half-written one: write a temporary file beside it, flush it to
// disk, rename it over the original, flush the folder.
#pragma once

#include <string>
#include <string_view>

namespace vostrel {

// True on success; on failure the original is untouched and `error` (when
// given) says what failed.
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

}  // namespace vostrel

// What a shell link (.lnk) file says about its target, read with liblnk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shortcuts/lnk_layout.h"

namespace vostrel {

struct LnkFile {
    // The link information's local path, written in the ANSI code page of
    // the machine that made the link: '?' stands where it lacked a character.
    std::string localPath;
    std::string networkPath;   // the link information's network (UNC) path
    std::string relativePath;  // relative to the link's own folder
    std::string workingDirectory;
    std::string environmentPath;         // the target written with %variables%
    std::vector<std::uint8_t> itemList;  // the shell item list of the target
};

// Reads the file at a host path; nothing when it is not a shell link.
// `contents` are the file's bytes, read beforehand: a file whose sizes do
// not fit in it (a size field that would make the parser ask for gigabytes)
// is refused before the parser sees it (LnkSizesFit).
std::optional<LnkFile> ReadLnkFile(const std::string& hostPath,
                                   const std::vector<std::uint8_t>& contents);

// The same for a file not read yet: only a regular file of at most 1 MiB,
// opened without blocking, is read.
std::optional<LnkFile> ReadLnkFile(const std::string& hostPath);

}  // namespace vostrel

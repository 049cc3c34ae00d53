// What a shell link (.lnk) file says about its target, read with liblnk and
// our own reading of the parts liblnk leaves out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shortcuts/ansi_text.h"
#include "shortcuts/lnk_layout.h"

namespace vostrel {

struct LnkFile {
    // The link information's local path: its UTF-16 form when the link has
    // one, else the ANSI form read in the machine's code page.
    std::string localPath;
    // The local path names no file for sure: its ANSI form holds '?' where
    // the maker's code page lacked a character, or is no text in this
    // machine's code page.
    bool localPathUnsure = false;
    // The target lies on a network share: the link information names one
    // (\\server\share, maybe reached through a mapped drive letter), or the
    // target's volume was a network drive.
    bool onNetwork = false;
    std::string networkPath;   // \\server\share\rest, when the link names the share
    std::string relativePath;  // relative to the link's own folder
    std::string workingDirectory;
    std::string environmentPath;         // the target written with %variables%
    std::vector<std::uint8_t> itemList;  // the shell item list of the target
    // An advertised (Windows Installer) shortcut: it names a product's
    // feature instead of a file. The descriptor is empty when the link has
    // the flag but no readable descriptor block.
    bool advertised = false;
    std::string darwinDescriptor;
};

// Reads the file at a host path; nothing when it is not a shell link.
// `contents` are the file's bytes, read beforehand: a file whose sizes do
// not fit in it (a size field that would make the parser ask for gigabytes)
// is refused before the parser sees it (LnkSizesFit). ANSI texts are read in
// `codePage`, the machine's ANSI code page. Never throws: a file that cannot
// be read through gives nothing.
std::optional<LnkFile> ReadLnkFile(const std::string& hostPath,
                                   const std::vector<std::uint8_t>& contents,
                                   unsigned codePage = kWesternCodePage);

// The same for a file not read yet: only a regular file of at most 1 MiB,
// opened without blocking, is read.
std::optional<LnkFile> ReadLnkFile(const std::string& hostPath,
                                   unsigned codePage = kWesternCodePage);

}  // namespace vostrel

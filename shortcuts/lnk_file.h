// What a shell link (.lnk) file says about its target, read with liblnk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel {

struct LnkFile {
    std::string localPath;        // the link information's local path
    std::string networkPath;      // the link information's network (UNC) path
    std::string relativePath;     // relative to the link's own folder
    std::string workingDirectory;
    std::string environmentPath;  // the target written with %variables%
    std::vector<std::uint8_t> itemList;  // the shell item list of the target
};

// Reads the file at a host path; nothing when it is not a shell link.
// `contents` are the file's bytes, read beforehand: a file whose sizes do
// not fit in it (a size field that would make the parser ask for gigabytes)
// is refused before the parser sees it.
std::optional<LnkFile> ReadLnkFile(const std::string& hostPath, const std::vector<std::uint8_t>& contents);

// True when every size field of the shell link's sections (the header, the
// item list, the link information, the strings and the extra blocks) stays
// within the bytes given.
bool LnkSizesFit(const std::vector<std::uint8_t>& contents);

}  // namespace vostrel

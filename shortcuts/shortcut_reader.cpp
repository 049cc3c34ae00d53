#include "shortcuts/shortcut_reader.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "shortcuts/item_list.h"
#include "shortcuts/lnk_file.h"
#include "shortcuts/url_file.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

// The smallest program-information file: the basic section of a .pif.
constexpr std::uintmax_t kPifBasicSize = 0x171;
// Internet shortcuts are small; anything far bigger is not one.
constexpr std::uintmax_t kMaxUrlFileSize = 1 << 20;

bool IsAbsoluteDrivePath(std::string_view path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
           path[2] == '\\';
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (extra == 9 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) return extra == 0;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += extra + 1;
    }
    return true;
}

std::string TestableTarget(std::string path) {
    return IsAbsoluteDrivePath(path) && path.find('%') == std::string::npos ? path : std::string();
}

// The local path of the link information is written in the ANSI code page
// of the machine that made the link (Wine's shell writes no Unicode copy of
// it), so a character that code page cannot carry is stored as '?', which no
// file name holds. That path names another file or none: the forms kept in
// UTF-16, the relative path and the shell item list, name the target then.
// When neither does, the target is not tested at all, rather than judged by
// a name it does not have.
std::string LnkTarget(const LnkFile& lnk, std::string_view linkPath) {
    const bool localPathLossy = lnk.localPath.find('?') != std::string::npos;
    if (!lnk.localPath.empty() && !localPathLossy) return TestableTarget(lnk.localPath);
    std::string target;
    if (!lnk.relativePath.empty())
        target = TestableTarget(ResolveRelativeTarget(FolderOf(linkPath), lnk.relativePath));
    if (target.empty() && !lnk.itemList.empty()) target = TestableTarget(ItemListPath(lnk.itemList));
    return target;
}

void ReadLnk(const std::string& hostPath, std::string_view path, ShortcutInfo& info) {
    const auto lnk = ReadLnkFile(hostPath);
    if (!lnk) return;
    info.isLink = true;
    info.targetPath = LnkTarget(*lnk, path);
    info.workingDirectory = lnk->workingDirectory;
}

void ReadUrl(const std::string& hostPath, ShortcutInfo& info) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(hostPath, ec);
    if (ec || size > kMaxUrlFileSize) return;
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (!in) return;
    std::string contents = buffer.str();
    if (!IsValidUtf8(contents)) contents = AnsiToUtf8(contents);
    const auto url = ParseUrlFile(contents);
    if (!url) return;
    info.isLink = true;
    info.targetPath = TestableTarget(LocalPathOfUrl(*url));
}

void ReadPif(const std::string& hostPath, ShortcutInfo& info) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(hostPath, ec);
    info.isLink = !ec && size >= kPifBasicSize;
}

}  // namespace

ShortcutInfo ReadShortcut(FileSystemApi& files, std::string_view path) {
    ShortcutInfo info;
    const std::string extension = GetFileExtension(path);
    const auto hostPath = files.HostPath(path);
    if (!hostPath) return info;
    if (extension == "lnk") {
        info.typeName = kTypeShortcut;
        ReadLnk(*hostPath, path, info);
    } else if (extension == "url") {
        info.typeName = kTypeInternetShortcut;
        ReadUrl(*hostPath, info);
    } else if (extension == "pif") {
        info.typeName = kTypeDosShortcut;
        ReadPif(*hostPath, info);
    }
    return info;
}

}  // namespace vostrel

#include "system/shortcut_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <optional>
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

bool IsAbsoluteDrivePath(std::string_view path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = c < 0x80           ? 0
                            : (c >> 5) == 0x6  ? 1
                            : (c >> 4) == 0xE  ? 2
                            : (c >> 3) == 0x1E ? 3
                                               : 9;
        if (extra == 9 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) return extra == 0;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += extra + 1;
    }
    return true;
}

std::string TestableTarget(const std::string& path) {
    return IsAbsoluteDrivePath(path) && path.find('%') == std::string::npos ? path : std::string();
}

// The local path of the link information is written in the ANSI code page
// of the machine that made the link unless the link also keeps it in UTF-16
// (Wine's shell writes no UTF-16 copy of it), so a character that code page
// cannot carry is stored as '?', which no file name holds. That path names
// another file or none: the forms kept in UTF-16, the relative path and the
// shell item list, name the target then. When neither does, the target is
// not tested at all, rather than judged by a name it does not have.
std::string LnkTarget(const LnkFile& lnk, std::string_view linkPath, unsigned codePage) {
    if (!lnk.localPath.empty() && !lnk.localPathUnsure) return TestableTarget(lnk.localPath);
    std::string target;
    if (!lnk.relativePath.empty())
        target = TestableTarget(ResolveRelativeTarget(FolderOf(linkPath), lnk.relativePath));
    if (target.empty() && !lnk.itemList.empty())
        target = TestableTarget(ItemListPath(lnk.itemList, codePage));
    return target;
}

// A link file opened for reading: only a regular file is read, opened
// without blocking (a FIFO or a device named like a link never stalls the
// scan) and checked after opening, so that what is read is what was checked.
class OpenedFile {
public:
    explicit OpenedFile(const std::string& hostPath)
        : fd_(::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
        struct stat st {};
        if (fd_ < 0) {
            // There, but the host does not let us read it (a vanished file is
            // simply not there).
            refused_ = errno != ENOENT && errno != ENOTDIR;
            return;
        }
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            Close();
            return;
        }
        size_ = static_cast<std::uint64_t>(st.st_size);
        regular_ = true;
    }
    ~OpenedFile() { Close(); }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool Regular() const { return regular_; }
    bool Refused() const { return refused_; }
    std::uint64_t Size() const { return size_; }
    // A path that names this very file for a reader that wants a path.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

    // The whole file; nothing when reading fails.
    std::optional<std::vector<std::uint8_t>> ReadAll() const {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(size_));
        std::size_t got = 0;
        while (got < data.size()) {
            const ssize_t n =
                ::pread(fd_, data.data() + got, data.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::nullopt;
            got += static_cast<std::size_t>(n);
        }
        return data;
    }

private:
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
    bool regular_ = false;
    bool refused_ = false;
    std::uint64_t size_ = 0;
};

void ReadLnk(const OpenedFile& file, std::string_view path, unsigned codePage, ShortcutInfo& info) {
    const auto contents = file.ReadAll();
    const auto lnk = contents ? ReadLnkFile(file.Path(), *contents, codePage) : std::nullopt;
    if (!lnk) {
        info.unreadable = true;
        return;
    }
    info.isLink = true;
    info.workingDirectory = lnk->workingDirectory;
    info.advertised = lnk->advertised;
    info.darwinDescriptor = lnk->darwinDescriptor;
    // A share is never reached through this machine's drives (under Wine z:
    // is the host's root, not the share that was mapped to it).
    info.onNetwork = lnk->onNetwork || (lnk->localPath.empty() && !lnk->networkPath.empty()) ||
                     ItemListOnNetwork(lnk->itemList);
    if (info.onNetwork || info.advertised) return;
    info.targetPath = LnkTarget(*lnk, path, codePage);
}

void ReadUrl(const OpenedFile& file, ShortcutInfo& info) {
    const auto contents = file.ReadAll();
    if (!contents) {
        info.unreadable = true;
        return;
    }
    std::string text(contents->begin(), contents->end());
    if (!IsValidUtf8(text)) text = AnsiToUtf8(text);
    const auto url = ParseUrlFile(text);
    if (!url) return;
    info.isLink = true;
    info.targetPath = TestableTarget(LocalPathOfUrl(*url));
}

}  // namespace

ShortcutInfo ReadShortcut(FileSystemApi& files, std::string_view path, unsigned ansiCodePage) {
    const auto hostPath = files.HostPath(path);
    if (!hostPath) return {};
    return ReadShortcutFile(files, path, *hostPath, ansiCodePage);
}

namespace {

ShortcutInfo ReadShortcutThrough(std::string_view path, const std::string& readablePath,
                                 unsigned ansiCodePage) {
    ShortcutInfo info;
    const std::string extension = GetFileExtension(path);
    if (extension == "lnk")
        info.typeName = kTypeShortcut;
    else if (extension == "url")
        info.typeName = kTypeInternetShortcut;
    else if (extension == "pif")
        info.typeName = kTypeDosShortcut;
    else
        return info;
    const OpenedFile file(readablePath);
    if (file.Refused()) {
        info.unreadable = extension != "pif";
        return info;
    }
    if (!file.Regular()) return info;
    if (extension == "pif") {
        info.isLink = file.Size() >= kPifBasicSize;
        return info;
    }
    if (file.Size() > kMaxShortcutFileSize) {
        info.unreadable = true;
        return info;
    }
    if (extension == "lnk")
        ReadLnk(file, path, ansiCodePage, info);
    else
        ReadUrl(file, info);
    return info;
}

}  // namespace

ShortcutInfo ReadShortcutFile(FileSystemApi&, std::string_view path,
                              const std::string& readablePath, unsigned ansiCodePage) {
    try {
        return ReadShortcutThrough(path, readablePath, ansiCodePage);
    } catch (...) {
        // Nothing one file holds stops the walk: the file is left unread.
        ShortcutInfo info;
        info.unreadable = true;
        return info;
    }
}

}  // namespace vostrel

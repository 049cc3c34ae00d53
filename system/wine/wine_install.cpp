#include "system/wine/wine_install.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>

#include "system/text.h"
#include "system/wine/mapped_text_guard.h"

namespace vostrel {

namespace {

namespace fs = std::filesystem;

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entries of a folder (files and folders alike); empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    return names;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// An installation is one when a library folder holds Wine's ntdll.
bool HoldsNtdll(const WineInstallFolders& folders) {
    for (const auto& folder : folders.libraryFolders)
        for (const char* name : {"/ntdll.dll", "/ntdll.dll.so"})
            if (IsFile(folder + name)) return true;
    return false;
}

// Reads `size` bytes at `offset`; false when the file is shorter.
bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size) {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = pread(fd, out, size, static_cast<off_t>(offset));
        if (got <= 0) return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The resources of one PE file, read piece by piece: a library's resources
// may be megabytes of pictures, of which only the registry scripts matter.
class PeResources {
public:
    explicit PeResources(const std::string& path) : PeResources(AT_FDCWD, path.c_str()) {}
    // A file of an open folder: opened without looking up the folder's path again.
    PeResources(int folder, const char* name) : fd_(openat(folder, name, O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0) ok_ = ReadHeaders();
    }
    ~PeResources() {
        if (fd_ >= 0) close(fd_);
    }
    PeResources(const PeResources&) = delete;
    PeResources& operator=(const PeResources&) = delete;

    // The data of every resource of a type given by name.
    std::vector<std::string> OfNamedType(std::u16string_view type) {
        std::vector<std::string> out;
        if (!ok_) return out;
        for (const auto& [name, entry] : Entries(0)) {
            if (name != type || !(entry & 0x80000000u)) continue;
            for (const auto& [ignored, second] : Entries(entry & 0x7fffffffu)) {
                if (!(second & 0x80000000u)) continue;
                for (const auto& [language, data] : Entries(second & 0x7fffffffu)) {
                    if (data & 0x80000000u) continue;
                    if (auto bytes = Data(data)) out.push_back(std::move(*bytes));
                }
            }
        }
        return out;
    }

private:
    static constexpr std::uint32_t kMaxEntries = 4096;
    static constexpr std::uint32_t kMaxData = 4u << 20;

    bool ReadHeaders() {
        unsigned char dos[64];
        if (!ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
        const std::uint32_t pe = U32(dos + 0x3c);
        unsigned char head[24];
        if (!ReadAt(pe, head, sizeof head) || head[0] != 'P' || head[1] != 'E' || head[2] ||
            head[3])
            return false;
        const std::uint16_t sections = U16(head + 6), optionalSize = U16(head + 20);
        std::vector<unsigned char> optional(optionalSize);
        if (optionalSize < 2 || !ReadAt(pe + 24, optional.data(), optional.size())) return false;
        const std::uint16_t magic = U16(optional.data());
        const std::size_t countAt = magic == 0x20b ? 108 : magic == 0x10b ? 92 : 0;
        if (countAt == 0 || optional.size() < countAt + 4) return false;
        const std::uint32_t directories = U32(optional.data() + countAt);
        const std::size_t resourceAt = countAt + 4 + std::size_t{2} * 8;  // the third directory
        if (directories < 3 || optional.size() < resourceAt + 8) return false;
        const std::uint32_t resourceRva = U32(optional.data() + resourceAt);
        if (resourceRva == 0) return false;
        std::vector<unsigned char> table(static_cast<std::size_t>(sections) * 40);
        if (!ReadAt(pe + 24 + optionalSize, table.data(), table.size())) return false;
        for (std::uint16_t i = 0; i < sections; ++i) {
            const unsigned char* s = table.data() + std::size_t{i} * 40;
            sections_.push_back({U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)});
        }
        const auto base = FileOffset(resourceRva);
        if (!base) return false;
        base_ = *base;
        return true;
    }

    std::optional<std::uint64_t> FileOffset(std::uint32_t rva) const {
        for (const auto& s : sections_) {
            const std::uint32_t size = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && rva - s.virtualAddress < size)
                return std::uint64_t(s.rawOffset) + (rva - s.virtualAddress);
        }
        return std::nullopt;
    }

    // The entries of the directory at `offset` (from the start of the
    // resources): name (empty for a numbered one) and the entry's target.
    std::vector<std::pair<std::u16string, std::uint32_t>> Entries(std::uint32_t offset) {
        std::vector<std::pair<std::u16string, std::uint32_t>> out;
        unsigned char head[16];
        if (!ReadAt(base_ + offset, head, sizeof head)) return out;
        const std::uint32_t count = std::uint32_t(U16(head + 12)) + U16(head + 14);
        if (count > kMaxEntries) return out;
        std::vector<unsigned char> entries(std::size_t{count} * 8);
        if (!ReadAt(base_ + offset + 16, entries.data(), entries.size())) return out;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t name = U32(entries.data() + std::size_t{i} * 8),
                                target = U32(entries.data() + std::size_t{i} * 8 + 4);
            std::u16string text;
            if (name & 0x80000000u) {
                unsigned char length[2];
                const std::uint64_t at = base_ + (name & 0x7fffffffu);
                if (ReadAt(at, length, 2)) {
                    std::vector<unsigned char> chars(std::size_t(U16(length)) * 2);
                    if (ReadAt(at + 2, chars.data(), chars.size()))
                        for (std::size_t k = 0; k + 1 < chars.size(); k += 2)
                            text.push_back(static_cast<char16_t>(U16(chars.data() + k)));
                }
            }
            out.emplace_back(std::move(text), target);
        }
        return out;
    }

    std::optional<std::string> Data(std::uint32_t entryOffset) {
        unsigned char entry[16];
        if (!ReadAt(base_ + entryOffset, entry, sizeof entry)) return std::nullopt;
        const std::uint32_t rva = U32(entry), size = U32(entry + 4);
        if (size > kMaxData) return std::nullopt;
        const auto at = FileOffset(rva);
        if (!at) return std::nullopt;
        std::string bytes(size, '\0');
        if (!ReadAt(*at, bytes.data(), bytes.size())) return std::nullopt;
        return bytes;
    }

    // Reads `size` bytes at `offset`; false when the file is shorter. The
    // headers, and a directory with its entries and names, lie close
    // together: one read of a window around them serves the next reads.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
        auto* out = static_cast<char*>(buffer);
        if (offset < windowAt_ || offset - windowAt_ > windowSize_ ||
            size > windowSize_ - (offset - windowAt_)) {
            if (size > kWindow) return vostrel::ReadAt(fd_, offset, out, size);
            const ssize_t got = pread(fd_, window_, kWindow, static_cast<off_t>(offset));
            windowAt_ = offset;
            windowSize_ = got > 0 ? static_cast<std::size_t>(got) : 0;
            if (size > windowSize_) return vostrel::ReadAt(fd_, offset, out, size);
        }
        if (size > 0) std::memcpy(out, window_ + (offset - windowAt_), size);
        return true;
    }

    static constexpr std::size_t kWindow = 4096;
    int fd_;
    char window_[kWindow];
    std::size_t windowSize_ = 0;
    std::uint64_t windowAt_ = 0;
    bool ok_ = false;
    std::uint64_t base_ = 0;
    std::vector<Section> sections_;
};

bool IsServerKey(std::string_view key) {
    static constexpr std::array<std::string_view, 6> kKeys{"inprocserver",  "inprocserver32",
                                                           "localserver",   "localserver32",
                                                           "inprochandler", "inprochandler32"};
    const std::string lower = LowerAscii(key);
    for (auto known : kKeys)
        if (lower == known) return true;
    return false;
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// The executable `wine` in a folder of $PATH.
std::optional<std::string> WineOnPath() {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    std::string_view rest(path);
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        if (!folder.empty()) {
            const std::string candidate = folder + "/wine";
            if (IsFile(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        if (colon == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

// The installation a program of it belongs to: it lies in bin/, lib/wine/
// or the like, a few folders below the root. Links are tried as given first
// (/usr/bin/wine), then resolved (/opt/wine-stable/bin/wine).
std::optional<WineInstallFolders> InstallOfProgram(const std::string& program) {
    std::vector<fs::path> starts{fs::path(program).parent_path()};
    std::error_code error;
    const fs::path resolved = fs::canonical(program, error);
    if (!error) starts.push_back(resolved.parent_path());
    for (fs::path folder : starts) {
        for (int up = 0; up < 4 && !folder.empty(); ++up) {
            if (auto found = WineInstallAt(folder.string())) return found;
            if (folder == folder.parent_path()) break;
            folder = folder.parent_path();
        }
    }
    return std::nullopt;
}

}  // namespace

std::set<std::string> ServerNamesOfScript(std::string_view script) {
    std::set<std::string> names;
    for (std::size_t equals = script.find('='); equals != std::string_view::npos;
         equals = script.find('=', equals + 1)) {
        // The key before: "InprocServer = s 'ole2disp.dll'".
        std::size_t end = equals;
        while (end > 0 && (script[end - 1] == ' ' || script[end - 1] == '\t')) --end;
        std::size_t start = end;
        while (start > 0 && IsNameCharacter(script[start - 1])) --start;
        if (!IsServerKey(script.substr(start, end - start))) continue;
        std::size_t at = equals + 1;
        while (at < script.size() && (script[at] == ' ' || script[at] == '\t')) ++at;
        if (at >= script.size() || (script[at] != 's' && script[at] != 'S')) continue;
        ++at;
        while (at < script.size() && (script[at] == ' ' || script[at] == '\t')) ++at;
        if (at >= script.size() || script[at] != '\'') continue;
        const std::size_t close = script.find('\'', at + 1);
        if (close == std::string_view::npos) continue;
        const std::string_view value = script.substr(at + 1, close - at - 1);
        if (value.find_first_of("\\/%: \t\r\n") != std::string_view::npos) continue;
        if (value.find('.') == std::string_view::npos || value.front() == '.') continue;
        names.insert(LowerAscii(value));
    }
    return names;
}

namespace {

// The names of AddFontFileNames whose ".fon" lies at [from, to) of the
// bytes; the bytes around that stretch are looked at as far as a name needs.
void AddFontFileNamesIn(std::string_view bytes, std::size_t from, std::size_t to,
                        std::set<std::string>& names) {
    auto lower = [](char c) { return static_cast<char>(c | 0x20); };
    for (std::size_t dot = bytes.find('.', from); dot != std::string_view::npos && dot < to;
         dot = bytes.find('.', dot + 1)) {
        if (dot + 4 > bytes.size()) continue;
        if (lower(bytes[dot + 1]) != 'f' || lower(bytes[dot + 2]) != 'o' ||
            lower(bytes[dot + 3]) != 'n')
            continue;
        if (dot + 4 < bytes.size() && bytes[dot + 4] != '\0') continue;
        std::size_t start = dot;
        while (start > 0 && dot - start < 64 && IsNameCharacter(bytes[start - 1])) --start;
        if (start == dot) continue;
        // A linker stores a string that is the tail of another only once
        // ("serife.fon" as the end of "sserife.fon"): every tail counts.
        const std::string name = LowerAscii(bytes.substr(start, dot + 4 - start));
        for (std::size_t tail = 0; tail < dot - start; ++tail) names.insert(name.substr(tail));
    }
}

// The ".fon" names of a file, read through a mapping a megabyte at a time:
// a library of many megabytes is neither copied nor resident at once. Each
// piece is mapped with a page of the bytes before and after it, more than
// a name and its ".fon" take, so every name is judged as in the whole file.
void AddFontFileNamesOf(const std::string& path, std::set<std::string>& names) {
    constexpr std::uint64_t kPiece = std::uint64_t{1} << 20;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    const long pageSize = sysconf(_SC_PAGESIZE);
    const std::uint64_t page = pageSize > 0 ? static_cast<std::uint64_t>(pageSize) : 4096;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uint64_t>(st.st_size) <= (256u << 20) && kPiece % page == 0) {
        const auto size = static_cast<std::uint64_t>(st.st_size);
        for (std::uint64_t at = 0; at < size; at += kPiece) {
            const std::uint64_t mapFrom = at >= page ? at - page : 0;
            const std::uint64_t mapTo = std::min(size, at + kPiece + page);
            const auto length = static_cast<std::size_t>(mapTo - mapFrom);
            void* base =
                mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(mapFrom));
            if (base == MAP_FAILED) break;
            // A library cut short meanwhile reads as zeros past its end.
            const bool guarded = GuardMappedText(static_cast<const char*>(base), length);
            AddFontFileNamesIn(std::string_view(static_cast<const char*>(base), length),
                               static_cast<std::size_t>(at - mapFrom),
                               static_cast<std::size_t>(std::min(size, at + kPiece) - mapFrom),
                               names);
            if (guarded) UnguardMappedText(static_cast<const char*>(base));
            munmap(base, length);
        }
    }
    close(fd);
}

// What a library's bytes name is the same for every scan while the file
// stays the same: read once per process.
void AddKnownFontFileNamesOf(const std::string& path, std::set<std::string>& names) {
    struct Known {
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool read = false;
        std::set<std::string> names;
    };
    static std::mutex guard;
    static std::map<std::string, Known> known;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const std::int64_t mtimeNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const std::lock_guard<std::mutex> lock(guard);
    Known& entry = known[path];
    if (entry.dev != st.st_dev || entry.ino != st.st_ino ||
        entry.size != static_cast<std::uint64_t>(st.st_size) || entry.mtimeNs != mtimeNs ||
        !entry.read) {
        entry.dev = st.st_dev;
        entry.ino = st.st_ino;
        entry.size = static_cast<std::uint64_t>(st.st_size);
        entry.mtimeNs = mtimeNs;
        entry.read = true;
        entry.names.clear();
        AddFontFileNamesOf(path, entry.names);
    }
    names.insert(entry.names.begin(), entry.names.end());
}

}  // namespace

void AddFontFileNames(std::string_view bytes, std::set<std::string>& names) {
    AddFontFileNamesIn(bytes, 0, bytes.size(), names);
}

std::vector<std::string> WineRegistryScripts(const std::string& path) {
    PeResources resources(path);
    return resources.OfNamedType(u"WINE_REGISTRY");
}

WineInstall::WineInstall(WineInstallFolders folders) : folders_(std::move(folders)) {}

const std::set<std::string>& WineInstall::LibraryNames() {
    if (!libraries_) {
        libraries_.emplace();
        for (const auto& folder : folders_.libraryFolders)
            for (const auto& name : FolderEntries(folder)) {
                std::string lower = LowerAscii(name);
                if (EndsWith(lower, ".so")) lower.resize(lower.size() - 3);  // "avifile.dll16.so"
                libraries_->insert(std::move(lower));
            }
    }
    return *libraries_;
}

const std::set<std::string>& WineInstall::RegisteredServers() {
    if (!servers_) {
        servers_.emplace();
        for (const auto& folder : folders_.libraryFolders) {
            const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folderFd < 0) continue;
            for (const auto& name : FolderEntries(folder)) {
                const std::string lower = LowerAscii(name);
                if (!EndsWith(lower, ".dll") && !EndsWith(lower, ".exe") &&
                    !EndsWith(lower, ".ocx") && !EndsWith(lower, ".ax"))
                    continue;
                PeResources resources(folderFd, name.c_str());
                for (const auto& script : resources.OfNamedType(u"WINE_REGISTRY"))
                    servers_->merge(ServerNamesOfScript(script));
            }
            close(folderFd);
        }
    }
    return *servers_;
}

const std::set<std::string>& WineInstall::FontNames() {
    if (!fonts_) {
        fonts_.emplace();
        for (const auto& folder : folders_.fontFolders)
            for (const auto& name : FolderEntries(folder)) fonts_->insert(LowerAscii(name));
    }
    return *fonts_;
}

const std::set<std::string>& WineInstall::FontTableNames() {
    if (!fontTable_) {
        fontTable_.emplace();
        std::vector<std::string> folders = folders_.unixFolders;
        folders.insert(folders.end(), folders_.libraryFolders.begin(),
                       folders_.libraryFolders.end());
        for (const auto& folder : folders)
            for (const char* name :
                 {"win32u.so", "gdi32.so", "win32u.dll.so", "gdi32.dll.so", "gdi32.dll"}) {
                AddKnownFontFileNamesOf(folder + "/" + name, *fontTable_);
            }
    }
    return *fontTable_;
}

bool WineInstall::ProvidesLibrary(std::string_view fileName) {
    const std::string name = LowerAscii(Trim(fileName));
    if (name.empty()) return false;
    const auto& libraries = LibraryNames();
    if (libraries.count(name) || libraries.count(name + "16")) return true;
    return RegisteredServers().count(name) > 0;
}

bool WineInstall::ProvidesFont(std::string_view fileName) {
    const std::string name = LowerAscii(Trim(fileName));
    if (name.empty()) return false;
    return FontNames().count(name) > 0 || FontTableNames().count(name) > 0;
}

std::optional<WineInstallFolders> WineInstallAt(const std::string& root) {
    if (root.empty() || !IsFolder(root)) return std::nullopt;
    WineInstallFolders folders;
    folders.root = root;
    std::vector<std::string> bases{root + "/lib", root + "/lib64", root + "/lib32"};
    for (const auto& name : FolderEntries(root + "/lib"))
        if (name.find("-linux-") != std::string::npos) bases.push_back(root + "/lib/" + name);
    for (const auto& base : bases) {
        const std::string wine = base + "/wine";
        if (!IsFolder(wine)) continue;
        folders.libraryFolders.push_back(wine);
        for (const auto& name : FolderEntries(wine)) {
            const std::string path = wine + "/" + name;
            if (!IsFolder(path)) continue;
            if (EndsWith(name, "-windows") || name == "fakedlls")
                folders.libraryFolders.push_back(path);
            else if (EndsWith(name, "-unix"))
                folders.unixFolders.push_back(path);
        }
    }
    if (const std::string fonts = root + "/share/wine/fonts"; IsFolder(fonts))
        folders.fontFolders.push_back(fonts);
    if (!HoldsNtdll(folders)) return std::nullopt;
    return folders;
}

std::optional<WineInstallFolders> WineInstallNamed(const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    if (IsFile(folder)) return InstallOfProgram(folder);
    if (auto found = WineInstallAt(folder)) return found;
    // A Proton folder keeps its Wine in dist/ or files/; a bin folder sits below the root.
    for (const char* inside : {"/dist", "/files"})
        if (auto found = WineInstallAt(folder + inside)) return found;
    fs::path bin = fs::path(folder).lexically_normal();
    if (!bin.has_filename()) bin = bin.parent_path();
    if (bin.filename() == "bin")
        if (auto found = WineInstallAt(bin.parent_path().string())) return found;
    return std::nullopt;
}

std::optional<WineInstallFolders> FindSystemWineInstall() {
    if (const char* loader = std::getenv("WINELOADER"); loader && *loader && IsFile(loader))
        if (auto found = InstallOfProgram(loader)) return found;
    if (const auto wine = WineOnPath())
        if (auto found = InstallOfProgram(*wine)) return found;
    for (const char* root :
         {"/usr", "/usr/local", "/opt/wine-stable", "/opt/wine-devel", "/opt/wine-staging"})
        if (auto found = WineInstallAt(root)) return found;
    return std::nullopt;
}

std::unique_ptr<WineInstall> ChooseWineInstall(const std::string& named, const std::string& setting,
                                               std::string* note) {
    const std::string chosen = TrimCopy(named.empty() ? setting : named);
    std::string said;
    if (!chosen.empty()) {
        if (auto found = WineInstallNamed(chosen))
            return std::make_unique<WineInstall>(std::move(*found));
        said = "no Wine installation in " + chosen + "; ";
    }
    if (auto found = FindSystemWineInstall()) {
        if (note && !said.empty()) *note = said + "using the one in " + found->root;
        return std::make_unique<WineInstall>(std::move(*found));
    }
    if (note)
        *note =
            said +
            "no Wine installation found: files that Wine supplies itself may be reported missing "
            "(name one with --wine DIR or the setting \"" +
            std::string(kWineFolderKey) + "\")";
    return nullptr;
}

WineChoice ChooseWine(const std::string& named, const std::string& setting) {
    WineChoice choice;
    if (!TrimCopy(named).empty() && !WineInstallNamed(TrimCopy(named))) choice.namedFound = false;
    choice.wine = ChooseWineInstall(named, setting, &choice.note);
    return choice;
}

}  // namespace vostrel

#include "system/wine/wine_drives.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

#include "system/text.h"

namespace vostrel {

namespace {

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string DosDevices(const std::string& prefixPath) { return prefixPath + "/dosdevices"; }

// "c:" (either letter case) names a drive; "c::" and "com1" do not.
std::optional<char> DriveLetterOfEntry(std::string_view name) {
    if (name.size() != 2 || name[1] != ':' || !IsLetter(name[0])) return std::nullopt;
    return UpperLetter(name[0]);
}

// The dosdevices entry of a letter: Wine writes "c:", a hand-made prefix
// may have "C:".
std::optional<std::string> DriveEntry(const std::string& prefixPath, char letter) {
    const char lower = static_cast<char>(UpperLetter(letter) + 32);
    for (const char c : {lower, UpperLetter(letter)}) {
        const std::string entry = DosDevices(prefixPath) + "/" + c + ":";
        struct stat st {};
        if (lstat(entry.c_str(), &st) == 0) return entry;
    }
    return std::nullopt;
}

}  // namespace

DriveType WineDriveTypeFromText(std::string_view text) {
    const std::string word = LowerAscii(Trim(text));
    if (word == "cdrom") return DriveType::CdRom;
    if (word == "network") return DriveType::Remote;
    if (word == "floppy") return DriveType::Removable;
    if (word == "ramdisk") return DriveType::RamDisk;
    return DriveType::Fixed;
}

DriveType DefaultWineDriveType(char letter) {
    const char upper = UpperLetter(letter);
    return (upper == 'A' || upper == 'B') ? DriveType::Removable : DriveType::Fixed;
}

DriveType WineDriveType(const std::map<char, DriveType>& types, char letter) {
    const auto it = types.find(UpperLetter(letter));
    return it != types.end() ? it->second : DefaultWineDriveType(letter);
}

std::vector<char> WineDriveLetters(const std::string& prefixPath) {
    std::vector<char> letters;
    DIR* dir = opendir(DosDevices(prefixPath).c_str());
    if (!dir) return letters;
    while (const dirent* entry = readdir(dir)) {
        const auto letter = DriveLetterOfEntry(entry->d_name);
        if (letter && std::find(letters.begin(), letters.end(), *letter) == letters.end())
            letters.push_back(*letter);
    }
    closedir(dir);
    std::sort(letters.begin(), letters.end());
    return letters;
}

std::optional<std::string> WineDriveRoot(const std::string& prefixPath, char letter) {
    namespace fs = std::filesystem;
    if (!IsLetter(letter)) return std::nullopt;
    const auto entry = DriveEntry(prefixPath, letter);
    if (!entry) return std::nullopt;
    std::error_code error;
    if (!fs::is_symlink(*entry, error)) return *entry;
    fs::path target = fs::read_symlink(*entry, error);
    if (error) return *entry;
    if (target.is_relative()) target = fs::path(DosDevices(prefixPath)) / target;
    std::string root = target.lexically_normal().string();
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root;
}

bool IsWinePrefixFolder(const std::string& hostPath) {
    struct stat st {};
    if (stat((hostPath + "/system.reg").c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return stat(DosDevices(hostPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> RealHostPath(const std::string& hostPath) {
    char* resolved = ::realpath(hostPath.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string path = resolved;
    std::free(resolved);
    return path;
}

bool IsInsideHostFolder(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path[0] == '/';
    if (path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

}  // namespace vostrel

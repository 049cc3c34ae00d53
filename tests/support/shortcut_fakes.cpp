#include "support/shortcut_fakes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/text.h"

namespace fs = std::filesystem;

namespace vostrel::testing {

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
    return LowerAscii(a) < LowerAscii(b);
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    return pattern == "*" || EqualsNoCase(name, pattern);
}

std::string HostName(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (EqualsNoCase(entry.path().filename().string(), name))
            return entry.path().filename().string();
    return name;
}

}  // namespace

void HostFolderFileSystem::MapDrive(char letter, const std::string& hostFolder) {
    drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

std::optional<std::string> HostFolderFileSystem::HostPath(std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
    const auto drive =
        drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(windowsPath[0]))));
    if (drive == drives_.end()) return std::nullopt;
    fs::path host = drive->second;
    std::string rest(windowsPath.substr(2));
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find('\\', start), rest.size());
        const std::string part = rest.substr(start, end - start);
        if (!part.empty()) host /= HostName(host, part);
        start = end + 1;
    }
    std::string result = host.string();
    if (!rest.empty() && rest.back() == '\\' && result.back() != '/') result.push_back('/');
    return result;
}

std::string HostFolderFileSystem::GetShortPathName(std::string_view path) {
    const auto host = HostPath(path);
    std::error_code ec;
    return host && fs::exists(*host, ec) ? std::string(path) : std::string();
}

LONG HostFolderFileSystem::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    searched.emplace_back(pattern);
    found->clear();
    const std::size_t slash = pattern.rfind('\\');
    if (slash == std::string_view::npos) return ERROR_INVALID_NAME;
    const auto folder = HostPath(pattern.substr(0, slash + 1));
    const std::string last(pattern.substr(slash + 1));
    std::error_code ec;
    if (!folder || !fs::is_directory(*folder, ec)) return ERROR_PATH_NOT_FOUND;
    fs::directory_iterator it(*folder, ec);
    if (ec) return ERROR_ACCESS_DENIED;
    std::vector<std::string> names{".", ".."};
    for (const auto& entry : it) names.push_back(entry.path().filename().string());
    std::sort(names.begin() + 2, names.end(), LessNoCase);
    for (const std::string& name : names) {
        if (!MatchesPattern(name, last)) continue;
        FindData data;
        data.name = name;
        data.attributes = HostAttributes(std::string(pattern.substr(0, slash + 1)) + name);
        found->push_back(data);
    }
    return found->empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD HostFolderFileSystem::GetFileAttributes(std::string_view path) {
    if (onAttributes) onAttributes(path);
    return HostAttributes(path);
}

DWORD HostFolderFileSystem::HostAttributes(std::string_view path) {
    const auto host = HostPath(path);
    struct stat st {};
    if (!host || ::stat(host->c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

std::vector<Drive> HostFolderFileSystem::GetDrives() {
    std::vector<Drive> drives;
    for (const auto& [letter, folder] : drives_) drives.push_back({letter, DriveType::Fixed});
    return drives;
}

DriveState HostFolderFileSystem::StateOfDrive(char letter) {
    if (drives_.count(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) != 0)
        return {};
    return {DriveReach::Unavailable, "no such drive"};
}

bool HostFolderFileSystem::GetVolumeInformation(std::string_view root, std::string* label) {
    if (volumeUnreadable) return false;
    const auto host = HostPath(root);
    std::error_code ec;
    if (!host || !fs::is_directory(*host, ec)) return false;
    if (label) label->clear();
    return true;
}

bool HostFolderFileSystem::DeleteFile(std::string_view path) {
    const auto host = HostPath(path);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec) && fs::remove(*host, ec);
}

bool HostFolderFileSystem::CopyFile(std::string_view from, std::string_view to) {
    const auto a = HostPath(from), b = HostPath(to);
    std::error_code ec;
    return a && b && fs::copy_file(*a, *b, fs::copy_options::overwrite_existing, ec);
}

bool HaveWine() { return WineAvailable(); }

const std::string& ShortcutTestPrefix() {
    static const std::string none;
    if (!WineAvailable()) return none;
    return SharedWinePrefix();
}

bool RunWineScript(const std::string& vbscript) {
    const std::string& prefix = ShortcutTestPrefix();
    if (prefix.empty()) return false;
    const std::string script = prefix + "/drive_c/vostrel-test.vbs";
    {
        std::ofstream out(script, std::ios::binary);
        out << vbscript;
    }
    const int status = RunWine(prefix, {"wscript", "C:\\vostrel-test.vbs"});
    WaitForWineserver(prefix);
    fs::remove(script);
    return status == 0;
}

std::string ShortcutScript(const std::string& linkPath, const std::string& target,
                           const std::string& workingDirectory, const std::string& arguments) {
    std::string s = "Set sh = CreateObject(\"WScript.Shell\")\r\n";
    s += "Set l = sh.CreateShortcut(\"" + linkPath + "\")\r\n";
    s += "l.TargetPath = \"" + target + "\"\r\n";
    if (!workingDirectory.empty()) s += "l.WorkingDirectory = \"" + workingDirectory + "\"\r\n";
    if (!arguments.empty()) s += "l.Arguments = \"" + arguments + "\"\r\n";
    s += "l.Save\r\n";
    return s;
}

std::string BrokenLinkBytes(const std::string& name) {
    std::string lnk(0x4C, '\0');
    const unsigned char head[] = {0x4C, 0, 0,    0, 0x01, 0x14, 0x02, 0, 0, 0,
                                  0,    0, 0xC0, 0, 0,    0,    0,    0, 0, 0x46};
    lnk.replace(0, sizeof head, reinterpret_cast<const char*>(head), sizeof head);
    lnk[0x14] = 0x0C;  // a name and a relative path, in ANSI
    for (const std::string& text : {name, std::string("gone.exe")}) {
        lnk += static_cast<char>(text.size());
        lnk += '\0';
        lnk += text;
    }
    return lnk + std::string(4, '\0');
}

}  // namespace vostrel::testing

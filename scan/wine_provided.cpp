#include "scan/wine_provided.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "system/path_presence.h"
#include "system/paths.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kExternalFonts = "Software\\Wine\\Fonts\\External Fonts";

// The folder part of a path (before its last backslash) and its file name.
bool SplitPath(std::string_view path, std::string_view& folder, std::string_view& name) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos || slash + 1 >= path.size()) return false;
    folder = path.substr(0, slash);
    name = path.substr(slash + 1);
    return true;
}

bool IsSystemFolder(ScanSession& session, std::string_view folder) {
    const std::string windows = GetWindowsDir(session.files);
    if (windows.empty()) return false;
    const std::string system = GetSystemDir(session.files);
    for (const std::string& known :
         {windows, windows + "\\system32", windows + "\\syswow64", windows + "\\system", system})
        if (!known.empty() && EqualsNoCase(folder, known)) return true;
    return false;
}

const std::map<std::string, std::string>& ExternalFonts(ScanSession& session) {
    auto& cached = session.facts.externalFonts;
    if (cached) return *cached;
    cached.emplace();
    ScopedKey key(session.registry);
    if (session.registry.OpenKeyEx(HKEY_CURRENT_USER, kExternalFonts, KEY_READ, key.out()) !=
        ERROR_SUCCESS)
        return *cached;
    std::vector<char> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        if (session.registry.EnumValue(key.get(), index, name.data(), &nameSize, nullptr, nullptr,
                                       nullptr) != ERROR_SUCCESS)
            break;
        const std::string valueName(name.data(), nameSize);
        RegValue value = std::string();
        if (ReadValueFromKey(session.registry, key.get(), valueName, value) != ERROR_SUCCESS)
            continue;
        cached->emplace(UpperAscii(valueName), RegValueText(value));
    }
    return *cached;
}

// The host folder of a drive root with links resolved and without a
// trailing separator; empty when unknown.
std::filesystem::path DriveFolder(ScanSession& session, char letter) {
    const auto host = session.files.HostPath(std::string(1, letter) + ":\\");
    if (!host || host->empty()) return {};
    std::error_code error;
    auto folder = std::filesystem::weakly_canonical(*host, error);
    if (error) folder = *host;
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
    return folder;
}

bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto rel = path.lexically_relative(folder);
    return !rel.empty() && *rel.begin() != "..";
}

// A drive other than the Windows folder's whose folder does not lie in the
// folder holding the Windows drive's folder (the prefix).
bool IsHostDrive(ScanSession& session, char letter) {
    const std::string windows = GetWindowsDir(session.files);
    if (windows.size() < 2 || windows[1] != ':') return false;
    const char own = static_cast<char>(std::toupper(static_cast<unsigned char>(windows[0])));
    if (letter == own) return false;
    const auto folder = DriveFolder(session, letter);
    if (folder.empty()) return true;
    const auto ownFolder = DriveFolder(session, own);
    if (ownFolder.empty()) return true;
    const auto prefix = ownFolder.parent_path();
    if (prefix == ownFolder) return true;  // the own drive is a root
    return !Inside(folder, prefix);
}

}  // namespace

bool ProvidedByWine(ScanSession& session, std::string_view path) {
    if (!session.wine) return false;
    std::string_view folder, name;
    if (!SplitPath(path, folder, name)) return false;
    if (name.find_first_of("*?") != std::string_view::npos) return false;
    if (IsSystemFolder(session, folder)) return session.wine->ProvidesLibrary(name);
    const std::string windows = GetWindowsDir(session.files);
    if (!windows.empty() && EqualsNoCase(folder, windows + "\\Fonts"))
        return session.wine->ProvidesFont(name);
    return false;
}

bool InWineAddOnFolder(ScanSession& session, std::string_view path) {
    if (!session.wine) return false;
    const std::string windows = GetWindowsDir(session.files);
    if (windows.empty()) return false;
    for (const std::string_view folder :
         {"\\Microsoft.NET\\", "\\mono\\", "\\system32\\gecko\\", "\\syswow64\\gecko\\"}) {
        const std::string start = windows + std::string(folder);
        if (path.size() > start.size() && EqualsNoCase(path.substr(0, start.size()), start))
            return true;
    }
    return false;
}

bool IsWineHostFontLink(ScanSession& session, std::string_view valueName, std::string_view data) {
    // A prefix without a drive for "/" gets the host's fonts as host paths
    // ("\??\unix\usr\share\fonts\..."); one with such a drive gets them
    // on that drive ("Z:\usr\share\fonts\...").
    const bool hostPath = SpellOutPath(data, {}).form == PathForm::Host;
    if (!hostPath && (data.size() < 3 || data[1] != ':' || data[2] != '\\')) return false;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(data[0])));
    if (!hostPath && (letter < 'A' || letter > 'Z')) return false;
    const auto& external = ExternalFonts(session);
    const auto it = external.find(UpperAscii(valueName));
    if (it == external.end() || !EqualsNoCase(it->second, data)) return false;
    return hostPath || IsHostDrive(session, letter);
}

bool IsProgramIdKey(std::string_view keyPath) {
    const std::size_t slash = keyPath.rfind('\\');
    const std::string_view last =
        slash == std::string_view::npos ? keyPath : keyPath.substr(slash + 1);
    return EqualsNoCase(last, "ProgID") || EqualsNoCase(last, "VersionIndependentProgID");
}

}  // namespace vostrel

#include "scan/folder_variables.h"

#include <cstring>
#include <initializer_list>
#include <vector>

#include "system/paths.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kProfileList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// Registry value that names a folder, by the value it is stored under.
struct FolderValue {
    std::string_view variable;  // upper case
    std::string_view keyPath;
    std::string_view valueName;
};

constexpr FolderValue kFolderValues[] = {
    {"PROGRAMFILES", kCurrentVersion, "ProgramFilesDir"},
    {"PROGRAMFILES(X86)", kCurrentVersion, "ProgramFilesDir (x86)"},
    {"COMMONPROGRAMFILES", kCurrentVersion, "CommonFilesDir"},
    {"COMMONPROGRAMFILES(X86)", kCurrentVersion, "CommonFilesDir (x86)"},
    {"PROGRAMDATA", kProfileList, "ProgramData"},
};

bool IsNameCharacter(char c) {
    return c != '%' && c != ' ' && c != '"' && c != '\\' && c != '/' && c != ':' && c != ',' &&
           c != '\t' && c != '\r' && c != '\n';
}

bool IsVariableName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!IsNameCharacter(c)) return false;
    return true;
}

std::optional<std::string> MachineText(RegistryApi& registry, std::string_view keyPath,
                                       std::string_view valueName) {
    return RootText(registry, HKEY_LOCAL_MACHINE, keyPath, valueName);
}

// Expands with a given table; nothing when an unknown variable remains.
std::optional<std::string> Expand(const std::map<std::string, std::string>& table,
                                  std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (!IsVariableName(name)) {
            out.append(text.substr(pos, close - pos));
            pos = close;
            continue;
        }
        const auto it = table.find(UpperAscii(name));
        if (it == table.end()) return std::nullopt;
        out.append(text.substr(pos, open - pos));
        out.append(it->second);
        pos = close + 1;
    }
    out.append(text.substr(std::min(pos, text.size())));
    return out;
}

std::map<std::string, std::string> ReadFolderVariables(ScanSession& session) {
    std::map<std::string, std::string> table;
    const std::string windows = GetWindowsDir(session.files);
    if (!windows.empty()) {
        table["SYSTEMROOT"] = windows;
        table["WINDIR"] = windows;
        if (windows.size() >= 2 && windows[1] == ':') table["SYSTEMDRIVE"] = windows.substr(0, 2);
    }
    for (const auto& folder : kFolderValues) {
        const auto text = MachineText(session.registry, folder.keyPath, folder.valueName);
        if (!text) continue;
        // Stored values may themselves be written with %SystemDrive% or %SystemRoot%.
        if (const auto expanded = Expand(table, *text))
            table[std::string(folder.variable)] = *expanded;
    }
    if (const auto it = table.find("PROGRAMDATA"); it != table.end()) {
        table["ALLUSERSPROFILE"] = it->second;
    } else {
        const auto profiles = MachineText(session.registry, kProfileList, "ProfilesDirectory");
        const auto allUsers = MachineText(session.registry, kProfileList, "AllUsersProfile");
        if (profiles && allUsers) {
            if (const auto expanded = Expand(table, AddBackslash(*profiles) + *allUsers))
                table["ALLUSERSPROFILE"] = *expanded;
        }
    }
    return table;
}

// Where the prefix keeps the rest of its user's environment.
constexpr std::string_view kSystemEnvironment =
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr std::string_view kUserEnvironment = "Environment";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
// The one user of every Wine prefix.
constexpr std::string_view kWineUserProfile =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1000";

// Sets `variable` to the first of the texts that is there and expands with
// what the table already holds; leaves it unset otherwise.
void SetFirstExpanded(std::map<std::string, std::string>& table, std::string_view variable,
                      std::initializer_list<std::optional<std::string>> texts) {
    for (const auto& text : texts) {
        if (!text) continue;
        if (const auto expanded = Expand(table, *text)) {
            table[std::string(variable)] = *expanded;
            return;
        }
    }
}

std::map<std::string, std::string> ReadEnvironment(ScanSession& session) {
    std::map<std::string, std::string> table = FolderVariables(session);
    RegistryApi& registry = session.registry;
    SetFirstExpanded(table, "USERPROFILE",
                     {MachineText(registry, kWineUserProfile, "ProfileImagePath")});
    SetFirstExpanded(table, "PUBLIC", {MachineText(registry, kProfileList, "Public")});
    // The folders Wine wrote out for its user first, then the same folders
    // as written with variables.
    SetFirstExpanded(table, "APPDATA",
                     {RootText(registry, HKEY_CURRENT_USER, kShellFolders, "AppData"),
                      RootText(registry, HKEY_CURRENT_USER, kUserShellFolders, "AppData")});
    SetFirstExpanded(table, "LOCALAPPDATA",
                     {RootText(registry, HKEY_CURRENT_USER, kShellFolders, "Local AppData"),
                      RootText(registry, HKEY_CURRENT_USER, kUserShellFolders, "Local AppData")});
    // The user's own TEMP and TMP come before the machine's.
    for (const std::string_view variable : {"TEMP", "TMP"}) {
        SetFirstExpanded(table, variable,
                         {RootText(registry, HKEY_CURRENT_USER, kUserEnvironment, variable),
                          MachineText(registry, kSystemEnvironment, variable)});
    }
    return table;
}

}  // namespace

std::optional<std::string> RootText(RegistryApi& registry, HKEY root, std::string_view keyPath,
                                    std::string_view valueName) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, keyPath, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (registry.QueryValueEx(key.get(), valueName, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<std::uint8_t> data(size + 1, 0);
    if (registry.QueryValueEx(key.get(), valueName, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()),
                     strnlen(reinterpret_cast<const char*>(data.data()), size));
    text = TrimCopy(text);
    if (text.empty()) return std::nullopt;
    return text;
}

const std::map<std::string, std::string>& EnvironmentVariables(ScanSession& session) {
    auto& cached = session.facts.environmentVariables;
    if (!cached) cached = ReadEnvironment(session);
    return *cached;
}

std::optional<std::string> ExpandEnvironmentText(ScanSession& session, std::string_view text) {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    return Expand(EnvironmentVariables(session), text);
}

const std::map<std::string, std::string>& FolderVariables(ScanSession& session) {
    auto& cached = session.facts.folderVariables;
    if (!cached) cached = ReadFolderVariables(session);
    return *cached;
}

std::optional<std::string> ExpandFolderVariables(ScanSession& session, std::string_view text) {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    return Expand(FolderVariables(session), text);
}

bool HoldsFolderVariable(std::string_view text) {
    if (text.find('%') == std::string_view::npos) return false;
    static const std::map<std::string, std::string> kNone;
    return !Expand(kNone, text).has_value();
}

}  // namespace vostrel

// File associations: what a class (a file type's ProgID, or a shell class
// such as Directory or *) starts for each of its verbs,
// <class>\shell\<verb>\command, and the icon it shows, <class>\DefaultIcon;
// likewise for a program's own entry (Applications\<program>\shell\<verb>
// and its command). The machine's classes and the user's (Software\Classes) are
// walked alike. A program named without a folder is found along a search
// path the scan cannot follow, and is never reported.
#include <string>
#include <vector>

#include "scan/checks.h"
#include "scan/folder_variables.h"
#include "scan/problem_rows.h"
#include "scan/text_rules.h"
#include "system/paths.h"
#include "system/text.h"

namespace vostrel {

namespace {

// The names of the keys below Software\Classes down to keyPath; nothing
// when keyPath lies elsewhere.
std::vector<std::string_view> ClassKeys(std::string_view keyPath) {
    return KeysBelow(keyPath, "Software\\Classes").value_or(std::vector<std::string_view>{});
}

// Classes whose subkeys are registrations of another kind, each checked by
// its own section or not at all.
bool IsOtherRegistration(std::string_view name) {
    for (std::string_view other :
         {"CLSID", "Interface", "TypeLib", "AppID", "Wow6432Node", "Installer", "Local Settings",
          "Record", "SystemFileAssociations"})
        if (EqualsNoCase(name, other)) return true;
    return false;
}

// True for <class>\shell\<verb>\command and
// Applications\<program>\shell\<verb>\command.
bool IsVerbCommand(const std::vector<std::string_view>& keys) {
    if (keys.size() == 4)
        return !IsOtherRegistration(keys[0]) && !EqualsNoCase(keys[0], "Applications") &&
               EqualsNoCase(keys[1], "shell") && EqualsNoCase(keys[3], "command");
    if (keys.size() == 5)
        return EqualsNoCase(keys[0], "Applications") && EqualsNoCase(keys[2], "shell") &&
               EqualsNoCase(keys[4], "command");
    return false;
}

bool IsClassIcon(const std::vector<std::string_view>& keys) {
    return keys.size() == 2 && !IsOtherRegistration(keys[0]) &&
           EqualsNoCase(keys[1], "DefaultIcon");
}

// A name a class's key can have: not empty, no backslash, no longer than
// a key's name may be.
bool IsClassName(std::string_view name) {
    return !name.empty() && name.size() <= 255 && name.find('\\') == std::string_view::npos &&
           Trim(name).size() == name.size();
}

// The file a command or an icon names, on a drive; empty when it names
// none (a bare name, "%1", a variable this machine does not set).
std::string FileOnDrive(ScanSession& session, std::string_view text) {
    const auto expanded = ExpandFolderVariables(session, text);
    if (!expanded) return {};
    std::string path = TrimQuotes(Trim(*expanded));
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return {};
    return path;
}

}  // namespace

void CheckFileAssociationValue(ScanSession& session, HKEY rootKey, std::string_view rootName,
                               std::string_view valueName, std::string& valueData,
                               std::string_view sectionKey, std::string_view keyPath) {
    const std::vector<std::string_view> keys = ClassKeys(keyPath);
    const bool defaultValue = valueName.empty() || valueName == kDefaultValueLabel;
    // A file type names its class in its default value, and the classes
    // that may open it in the names of its OpenWithProgids values.
    if (!keys.empty() && keys[0].starts_with(".")) {
        std::string_view className;
        if (keys.size() == 1 && defaultValue)
            className = Trim(valueData);
        else if (keys.size() == 2 && EqualsNoCase(keys[1], "OpenWithProgids") && !defaultValue)
            className = valueName;
        if (!IsClassName(className) || ClassRegistered(session.registry, className)) return;
        AddClassProblem(session, rootKey, rootName, valueName, className, sectionKey, keyPath);
        return;
    }
    if (!defaultValue) return;
    std::string path;
    if (IsVerbCommand(keys)) {
        // Expanded first: %ProgramFiles%\App\app.exe /open may hold blanks.
        const auto expanded = ExpandFolderVariables(session, valueData);
        if (!expanded) return;
        // Windows tries each program an unquoted line may name: one that is
        // there (or cannot be judged) is the one it starts.
        for (const std::string_view program : rules::ProgramsOfCommandLine(*expanded)) {
            const std::string candidate = FileOnDrive(session, program);
            if (candidate.empty() || PathExists(session, candidate)) return;
            if (path.empty()) path = candidate;
        }
        if (path.empty()) return;
        AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
        return;
    } else if (IsClassIcon(keys)) {
        path = FileOnDrive(session, rules::WithoutIconIndex(Trim(valueData)));
    } else {
        return;
    }
    if (path.empty()) return;
    if (PathExists(session, path)) return;
    AddRegistryProblem(session, rootKey, rootName, valueName, path, sectionKey, keyPath, false);
}

}  // namespace vostrel

#include "shortcuts/shortcut_check.h"

#include <algorithm>
#include <array>

#include "scan/problem_rows.h"
#include "shortcuts/shortcut_reader.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::array<std::string_view, 2> kExcludedFragments{"NetHood", "System Volume Information"};
constexpr std::array<std::string_view, 3> kExcludedTypes{
    "Shortcut to MS-DOS Program", "SpeedDial", "Microsoft Access Report Shortcut"};
constexpr std::string_view kHomePlaceholder = "%HOMEDRIVE%%HOMEPATH%";

bool InExcludedFolder(std::string_view path) {
    const std::string_view trimmed = Trim(path);
    for (auto fragment : kExcludedFragments)
        if (ContainsNoCase(trimmed, fragment)) return true;
    return false;
}

bool IsExcludedType(std::string_view typeName) {
    const std::string upper = UpperAscii(Trim(typeName));
    for (auto type : kExcludedTypes)
        if (upper == UpperAscii(type)) return true;
    return false;
}

bool HasLinkEnding(std::string_view name) {
    const std::string_view last = name.size() >= 3 ? name.substr(name.size() - 3) : name;
    const std::string ending = UpperAscii(Trim(last));
    return ending == "LNK" || ending == "URL";
}

}  // namespace

std::string GetFolderPart(std::string_view path) {
    const std::string_view trimmed = Trim(path);
    const std::size_t slash = trimmed.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(trimmed.substr(0, slash + 1));
}

std::string GetNamePart(std::string_view path) {
    const std::string folder = GetFolderPart(path);
    if (folder.empty()) return std::string(path);
    return std::string(path.substr(std::min(folder.size(), path.size())));
}

bool TargetExists(FileSystemApi& files, std::string_view path) {
    if (path.empty()) return false;
    return files.GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

void CheckShortcut(MainForm& form, std::string_view path) {
    if (Trim(path).empty() || InExcludedFolder(path)) return;
    const std::string name = GetNamePart(path);
    const std::string_view trimmedName = Trim(name);
    if (trimmedName == "." || trimmedName == "..") return;
    const ShortcutInfo info = ReadShortcut(form.files, path);
    if (!info.isLink || IsExcludedType(info.typeName)) return;
    if (!HasLinkEnding(name)) return;
    if (TargetExists(form.files, info.targetPath)) return;
    if (UpperAscii(Trim(info.workingDirectory)) == kHomePlaceholder) return;
    if (Trim(info.targetPath).empty()) return;
    const std::size_t row = form.lvwShortcut.Add(path);
    form.lvwShortcut.SetSubItem(row, 1, kShortcutSection);
    PlayDetectionSound(form);
}

}  // namespace vostrel

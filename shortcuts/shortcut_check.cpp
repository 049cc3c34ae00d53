#include "shortcuts/shortcut_check.h"

#include <algorithm>
#include <array>

#include "session/scan_session.h"
#include "system/path_presence.h"
#include "system/shortcut_reader.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::array<std::string_view, 2> kExcludedFragments{"NetHood",
                                                             "System Volume Information"};
constexpr std::array<std::string_view, 3> kExcludedTypes{"Shortcut to MS-DOS Program", "SpeedDial",
                                                         "Microsoft Access Report Shortcut"};
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
    return slash == std::string_view::npos ? std::string()
                                           : std::string(trimmed.substr(0, slash + 1));
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

namespace {

// The judgement of a file read as a link (steps after the read): true when
// it is a broken shortcut.
bool JudgedBroken(FileSystemApi& files, std::string_view name, const ShortcutInfo& info) {
    if (!info.isLink || IsExcludedType(info.typeName)) return false;
    if (!HasLinkEnding(name)) return false;
    if (TargetExists(files, info.targetPath)) return false;
    if (UpperAscii(Trim(info.workingDirectory)) == kHomePlaceholder) return false;
    return !Trim(info.targetPath).empty();
}

}  // namespace

void CheckShortcut(ScanSession& session, std::string_view path) {
    if (Trim(path).empty() || InExcludedFolder(path)) return;
    const std::string name = GetNamePart(path);
    const std::string_view trimmedName = Trim(name);
    if (trimmedName == "." || trimmedName == "..") return;
    const ShortcutInfo info = ReadShortcut(session.files, path);
    if (info.unreadable) {
        // Not judged at all: an unreadable link is never called broken.
        if (HasLinkEnding(name)) session.unreadable.shortcuts.emplace_back(path);
        return;
    }
    if (!JudgedBroken(session.files, name, info)) return;
    // A target on a drive whose disk is not there (or on a network share)
    // is out of reach, not gone.
    if (const auto away = DriveOutOfReach(session.files, info.targetPath)) {
        CountNotChecked(session,
                        away->kind == PathPresence::Network ? NotCheckedReason::Network
                                                            : NotCheckedReason::DriveUnavailable,
                        away->drive);
        if (away->kind == PathPresence::DriveUnavailable)
            session.notChecked.driveWhy.emplace(away->drive, away->why);
        return;
    }
    if (RecordProblem(session,
                      ShortcutProblem{std::string(path), info.targetPath, "its target is missing"}))
        ProblemRecorded(session);
}

ShortcutRecheck RecheckBrokenShortcut(FileSystemApi& files, std::string_view path) {
    ShortcutRecheck check;
    bool gone = false;
    check.held = files.HoldWalkedFile(path, &check.why, &gone);
    if (!check.held) {
        check.verdict = gone ? ShortcutRecheck::Verdict::Gone : ShortcutRecheck::Verdict::Kept;
        return check;
    }
    const ShortcutInfo info = ReadShortcutFile(files, path, check.held->ReadablePath());
    if (info.unreadable) {
        check.why = "it can no longer be read as a shortcut";
    } else if (!info.isLink) {
        check.why = "it is no longer a shortcut";
    } else if (!JudgedBroken(files, GetNamePart(path), info)) {
        check.why = "its target exists again";
    } else if (DriveOutOfReach(files, info.targetPath)) {
        check.why = "its target's drive cannot be looked at now";
    } else {
        check.verdict = ShortcutRecheck::Verdict::Remove;
        return check;
    }
    check.held.reset();
    check.verdict = ShortcutRecheck::Verdict::Kept;
    return check;
}

}  // namespace vostrel

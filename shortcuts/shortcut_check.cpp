#include "shortcuts/shortcut_check.h"

#include <algorithm>
#include <array>
#include <utility>

#include "session/scan_session.h"
#include "shortcuts/advertised.h"
#include "shortcuts/ansi_text.h"
#include "system/path_presence.h"
#include "system/shortcut_reader.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

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

// What the check makes of a file read as a link.
struct Judgement {
    enum class Kind { Fine, Broken, NotChecked };
    Kind kind = Kind::Fine;
    std::string target;                                 // for Broken: what the link points to
    std::string reason;                                 // for Broken: why it counts as broken
    NotCheckedReason why = NotCheckedReason::PathForm;  // for NotChecked
    char drive = 0;                                     // for NotChecked on an unavailable drive
    std::string driveWhy;                               // why that drive is out of reach
};

Judgement NotChecked(NotCheckedReason why) {
    Judgement judgement;
    judgement.kind = Judgement::Kind::NotChecked;
    judgement.why = why;
    return judgement;
}

Judgement Broken(std::string target, std::string reason) {
    Judgement judgement;
    judgement.kind = Judgement::Kind::Broken;
    judgement.target = std::move(target);
    judgement.reason = std::move(reason);
    return judgement;
}

// An advertised shortcut stands for its product: broken when the installer
// no longer knows the product, not judged when that cannot be told.
Judgement JudgeAdvertised(ScanSession& session, const ShortcutInfo& info) {
    const auto descriptor = DecodeInstallerDescriptor(info.darwinDescriptor);
    if (!descriptor) return NotChecked(NotCheckedReason::Advertised);
    switch (InstalledProductState(session.registry, descriptor->squashed)) {
        case ProductState::Registered: return {};
        case ProductState::Gone:
            return Broken(descriptor->product, "its product is no longer installed");
        case ProductState::Unknown: break;
    }
    return NotChecked(NotCheckedReason::Advertised);
}

// The judgement of a file read as a link (steps after the read).
Judgement Judge(ScanSession& session, std::string_view name, const ShortcutInfo& info) {
    if (!info.isLink || IsExcludedType(info.typeName)) return {};
    if (!HasLinkEnding(name)) return {};
    if (info.advertised) return JudgeAdvertised(session, info);
    if (info.onNetwork) return NotChecked(NotCheckedReason::Network);
    if (TargetExists(session.files, info.targetPath)) return {};
    if (UpperAscii(Trim(info.workingDirectory)) == kHomePlaceholder) return {};
    if (Trim(info.targetPath).empty()) return {};
    // A target on a drive whose disk is not there (or on a network share)
    // is out of reach, not gone.
    if (const auto away = DriveOutOfReach(session.files, info.targetPath)) {
        if (away->kind == PathPresence::Network) return NotChecked(NotCheckedReason::Network);
        Judgement judgement = NotChecked(NotCheckedReason::DriveUnavailable);
        judgement.drive = away->drive;
        judgement.driveWhy = away->why;
        return judgement;
    }
    return Broken(info.targetPath, "its target is missing");
}

}  // namespace

void CheckShortcut(ScanSession& session, std::string_view path) {
    if (Trim(path).empty() || InExcludedFolder(path)) return;
    const std::string name = GetNamePart(path);
    const std::string_view trimmedName = Trim(name);
    if (trimmedName == "." || trimmedName == "..") return;
    // A host name (or a folder's) whose bytes are not UTF-8 comes as U+FFFD
    // in its Windows path, as Wine gives it: two such files may share one
    // path, and neither is named exactly, so neither is judged.
    if (path.find(kReplacementCharacter) != std::string_view::npos) {
        if (HasLinkEnding(name)) CountNotChecked(session, NotCheckedReason::InexactName);
        return;
    }
    const ShortcutInfo info =
        ReadShortcut(session.files, path, MachineAnsiCodePage(session.registry));
    if (info.unreadable) {
        // Not judged at all: an unreadable link is never called broken.
        if (HasLinkEnding(name)) session.result.unreadable.shortcuts.emplace_back(path);
        return;
    }
    Judgement judgement = Judge(session, name, info);
    if (judgement.kind == Judgement::Kind::NotChecked) {
        CountNotChecked(session, judgement.why, judgement.drive);
        if (judgement.why == NotCheckedReason::DriveUnavailable)
            session.result.notChecked.driveWhy.emplace(judgement.drive, judgement.driveWhy);
    }
    if (judgement.kind != Judgement::Kind::Broken) return;
    if (RecordProblem(session, ShortcutProblem{std::string(path), std::move(judgement.target),
                                               std::move(judgement.reason)}))
        ProblemRecorded(session);
}

ShortcutRecheck RecheckBrokenShortcut(ScanSession& session, std::string_view path) {
    FileSystemApi& files = session.files;
    ShortcutRecheck check;
    bool gone = false;
    check.held = files.HoldWalkedFile(path, &check.why, &gone);
    if (!check.held) {
        check.verdict = gone ? ShortcutRecheck::Verdict::Gone : ShortcutRecheck::Verdict::Kept;
        return check;
    }
    const ShortcutInfo info = ReadShortcutFile(files, path, check.held->ReadablePath(),
                                               MachineAnsiCodePage(session.registry));
    const Judgement judgement =
        info.unreadable || !info.isLink ? Judgement{} : Judge(session, GetNamePart(path), info);
    if (info.unreadable) {
        check.why = "it can no longer be read as a shortcut";
    } else if (!info.isLink) {
        check.why = "it is no longer a shortcut";
    } else if (judgement.kind == Judgement::Kind::NotChecked) {
        check.why = judgement.why == NotCheckedReason::Network ? "its target is on a network share"
                    : judgement.why == NotCheckedReason::Advertised
                        ? "whether its product is installed can no longer be told"
                        : "its target's drive cannot be looked at now";
    } else if (judgement.kind != Judgement::Kind::Broken) {
        check.why = info.advertised ? "its product is installed again" : "its target exists again";
    } else {
        check.verdict = ShortcutRecheck::Verdict::Remove;
        return check;
    }
    check.held.reset();
    check.verdict = ShortcutRecheck::Verdict::Kept;
    return check;
}

}  // namespace vostrel

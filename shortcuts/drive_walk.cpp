#include "shortcuts/drive_walk.h"

#include <set>
#include <vector>

#include "shortcuts/shortcut_check.h"
#include "system/folder_identity.h"

namespace vostrel {

namespace {

// A file is a candidate when it has any of read-only, hidden, system,
// archive, normal or temporary.
constexpr DWORD kCandidateMask = 0x1A7;

// The folders already entered during one drive walk, so that links which
// lead back up the tree (or to a folder seen before) are not followed again.
// What the walk may open at all the platform decides (ClassifyWalkEntry):
// on a Wine prefix it stays inside the tree of the drive being walked.
class FolderWalk {
public:
    FolderWalk(ScanSession& session, std::string driveRoot) : session_(session), driveRoot_(std::move(driveRoot)) {}
    void Walk(std::string folder, bool filesOnly = false);

private:
    struct SubFolder {
        std::string name;
        bool filesOnly = false;
    };
    bool Cancelled() const { return session_.cancelRequested; }
    bool Enter(const std::string& folder);
    void LookAt(const std::string& folder, const std::string& shortFolder, const FindData& entry,
                bool filesOnly, std::vector<SubFolder>& subFolders);
    void NoteUnreadable(const std::string& folder, LONG status);

    ScanSession& session_;
    std::string driveRoot_;
    std::set<FolderIdentity> entered_;
};

bool FolderWalk::Enter(const std::string& folder) {
    const auto hostPath = session_.files.HostPath(folder);
    if (!hostPath) return true;  // nothing on the host to tell folders apart by
    const auto identity = IdentifyHostFolder(*hostPath);
    if (!identity) return true;  // the search will say whether it can be read
    if (identity->pseudo) return false;
    return entered_.insert(*identity).second;
}

void FolderWalk::LookAt(const std::string& folder, const std::string& shortFolder, const FindData& entry,
                        bool filesOnly, std::vector<SubFolder>& subFolders) {
    session_.observer.KeyVisited(shortFolder);
    session_.observer.ValueVisited(entry.name);
    if (entry.name == "." || entry.name == "..") return;
    const std::string path = folder + entry.name;
    const DWORD attributes = session_.files.GetFileAttributes(path);
    const WalkEntry kind = session_.files.ClassifyWalkEntry(driveRoot_, path, attributes);
    switch (kind) {
        case WalkEntry::Folder:
        case WalkEntry::FolderFilesOnly:
            if (!filesOnly) subFolders.push_back({entry.name, kind == WalkEntry::FolderFilesOnly});
            return;
        case WalkEntry::File:
            if ((attributes & kCandidateMask) != 0 && entry.name.find('.') != std::string::npos)
                CheckShortcut(session_, path);
            return;
        case WalkEntry::Skip:
            return;
    }
}

// A folder the platform refused to list is named at the end of the scan; a
// folder that vanished, or whose path the platform cannot take, is not.
void FolderWalk::NoteUnreadable(const std::string& folder, LONG status) {
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND ||
        status == ERROR_FILENAME_EXCED_RANGE || status == ERROR_INVALID_NAME)
        return;
    session_.unreadable.folders.push_back(folder);
}

void FolderWalk::Walk(std::string folder, bool filesOnly) {
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    if (!Enter(folder)) return;
    std::vector<SubFolder> subFolders;
    std::vector<FindData> entries;
    const LONG status = session_.files.FindFiles(folder + "*", &entries);
    NoteUnreadable(folder, status);
    if (status == ERROR_SUCCESS) {
        const std::string shortFolder = session_.files.GetShortPathName(folder);
        for (const FindData& entry : entries) {
            if (Cancelled()) return;
            session_.pump.Tick();
            LookAt(folder, shortFolder, entry, filesOnly, subFolders);
            if (Cancelled()) return;
            session_.pump.Tick();
        }
    }
    for (const SubFolder& sub : subFolders) {
        if (Cancelled()) return;
        Walk(folder + sub.name + "\\", sub.filesOnly);
        session_.pump.Tick();
        if (Cancelled()) return;
    }
}

// "C:\" of any path on drive C.
std::string DriveRootOf(std::string_view folder) {
    return folder.size() >= 2 && folder[1] == ':' ? std::string(folder.substr(0, 2)) + "\\" : std::string(folder);
}

}  // namespace

bool ReadVolumeInfo(ScanSession& session, const std::string& driveRoot) {
    std::string label;
    return session.files.GetVolumeInformation(driveRoot, &label);
}

void ScanDriveForShortcuts(ScanSession& session, const std::string& driveRoot) {
    if (!ReadVolumeInfo(session, driveRoot)) return;
    // The root itself may be out of bounds (a drive mapped onto a Wine prefix).
    if (session.files.ClassifyWalkEntry(DriveRootOf(driveRoot), driveRoot, FILE_ATTRIBUTE_DIRECTORY) ==
        WalkEntry::Skip)
        return;
    ScanFolderForShortcuts(session, driveRoot);
}

void ScanFolderForShortcuts(ScanSession& session, const std::string& folder) {
    FolderWalk(session, DriveRootOf(folder)).Walk(folder);
}

}  // namespace vostrel

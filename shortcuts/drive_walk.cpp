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
    FolderWalk(MainForm& form, std::string driveRoot) : form_(form), driveRoot_(std::move(driveRoot)) {}
    void Walk(std::string folder, bool filesOnly = false);

private:
    struct SubFolder {
        std::string name;
        bool filesOnly = false;
    };
    bool Cancelled() const { return form_.state.bCancelScanning; }
    bool Enter(const std::string& folder);
    void LookAt(const std::string& folder, const std::string& shortFolder, const FindData& entry,
                bool filesOnly, std::vector<SubFolder>& subFolders);
    void NoteUnreadable(const std::string& folder, LONG status);

    MainForm& form_;
    std::string driveRoot_;
    std::set<FolderIdentity> entered_;
};

bool FolderWalk::Enter(const std::string& folder) {
    const auto hostPath = form_.files.HostPath(folder);
    if (!hostPath) return true;  // nothing on the host to tell folders apart by
    const auto identity = IdentifyHostFolder(*hostPath);
    if (!identity) return true;  // the search will say whether it can be read
    if (identity->pseudo) return false;
    return entered_.insert(*identity).second;
}

void FolderWalk::LookAt(const std::string& folder, const std::string& shortFolder, const FindData& entry,
                        bool filesOnly, std::vector<SubFolder>& subFolders) {
    form_.window.SetCaption(Control::lblRegistryScan, shortFolder);
    form_.window.SetCaption(Control::lblRegistryFilesScan, entry.name);
    if (entry.name == "." || entry.name == "..") return;
    const std::string path = folder + entry.name;
    const DWORD attributes = form_.files.GetFileAttributes(path);
    const WalkEntry kind = form_.files.ClassifyWalkEntry(driveRoot_, path, attributes);
    switch (kind) {
        case WalkEntry::Folder:
        case WalkEntry::FolderFilesOnly:
            if (!filesOnly) subFolders.push_back({entry.name, kind == WalkEntry::FolderFilesOnly});
            return;
        case WalkEntry::File:
            if ((attributes & kCandidateMask) != 0 && entry.name.find('.') != std::string::npos)
                CheckShortcut(form_, path);
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
    form_.state.unreadable.folders.push_back(folder);
}

void FolderWalk::Walk(std::string folder, bool filesOnly) {
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    if (!Enter(folder)) return;
    std::vector<SubFolder> subFolders;
    std::vector<FindData> entries;
    const LONG status = form_.files.FindFiles(folder + "*", &entries);
    NoteUnreadable(folder, status);
    if (status == ERROR_SUCCESS) {
        const std::string shortFolder = form_.files.GetShortPathName(folder);
        for (const FindData& entry : entries) {
            if (Cancelled()) return;
            form_.pump.Tick();
            LookAt(folder, shortFolder, entry, filesOnly, subFolders);
            if (Cancelled()) return;
            form_.pump.Tick();
        }
    }
    for (const SubFolder& sub : subFolders) {
        if (Cancelled()) return;
        Walk(folder + sub.name + "\\", sub.filesOnly);
        form_.pump.Tick();
        if (Cancelled()) return;
    }
}

// "C:\" of any path on drive C.
std::string DriveRootOf(std::string_view folder) {
    return folder.size() >= 2 && folder[1] == ':' ? std::string(folder.substr(0, 2)) + "\\" : std::string(folder);
}

}  // namespace

bool ReadVolumeInfo(MainForm& form, const std::string& driveRoot) {
    std::string label;
    return form.files.GetVolumeInformation(driveRoot, &label);
}

void ScanDriveForShortcuts(MainForm& form, const std::string& driveRoot) {
    if (!ReadVolumeInfo(form, driveRoot)) return;
    // The root itself may be out of bounds (a drive mapped onto a Wine prefix).
    if (form.files.ClassifyWalkEntry(DriveRootOf(driveRoot), driveRoot, FILE_ATTRIBUTE_DIRECTORY) ==
        WalkEntry::Skip)
        return;
    ScanFolderForShortcuts(form, driveRoot);
}

void ScanFolderForShortcuts(MainForm& form, const std::string& folder) {
    FolderWalk(form, DriveRootOf(folder)).Walk(folder);
}

}  // namespace vostrel

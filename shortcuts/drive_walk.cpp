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
class FolderWalk {
public:
    explicit FolderWalk(MainForm& form) : form_(form) {}
    void Walk(std::string folder);

private:
    bool Cancelled() const { return form_.state.bCancelScanning; }
    bool Enter(const std::string& folder);
    void LookAt(const std::string& folder, const std::string& shortFolder, const FindData& entry,
                std::vector<std::string>& subFolders);

    MainForm& form_;
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

void FolderWalk::LookAt(const std::string& folder, const std::string& shortFolder,
                        const FindData& entry, std::vector<std::string>& subFolders) {
    form_.window.SetCaption(Control::lblRegistryScan, shortFolder);
    form_.window.SetCaption(Control::lblRegistryFilesScan, entry.name);
    if (entry.name == "." || entry.name == "..") return;
    const DWORD attributes = form_.files.GetFileAttributes(folder + entry.name);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        subFolders.push_back(entry.name);
        return;
    }
    if ((attributes & kCandidateMask) != 0 && entry.name.find('.') != std::string::npos)
        CheckShortcut(form_, folder + entry.name);
}

void FolderWalk::Walk(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    if (!Enter(folder)) return;
    std::vector<std::string> subFolders;
    std::vector<FindData> entries;
    if (form_.files.FindFiles(folder + "*", &entries) == ERROR_SUCCESS) {
        const std::string shortFolder = form_.files.GetShortPathName(folder);
        for (const FindData& entry : entries) {
            if (Cancelled()) return;
            form_.pump.Tick();
            LookAt(folder, shortFolder, entry, subFolders);
            if (Cancelled()) return;
            form_.pump.Tick();
        }
    }
    for (const std::string& name : subFolders) {
        if (Cancelled()) return;
        Walk(folder + name + "\\");
        form_.pump.Tick();
        if (Cancelled()) return;
    }
}

}  // namespace

bool ReadVolumeInfo(MainForm& form, const std::string& driveRoot) {
    std::string label;
    return form.files.GetVolumeInformation(driveRoot, &label);
}

void ScanDriveForShortcuts(MainForm& form, const std::string& driveRoot) {
    if (!ReadVolumeInfo(form, driveRoot)) return;
    ScanFolderForShortcuts(form, driveRoot);
}

void ScanFolderForShortcuts(MainForm& form, const std::string& folder) {
    FolderWalk(form).Walk(folder);
}

}  // namespace vostrel

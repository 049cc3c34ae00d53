#include "shortcuts/drive_walk.h"

#include <cctype>
#include <memory>
#include <set>
#include <vector>

#include "shortcuts/shortcut_check.h"
#include "system/folder_identity.h"

namespace vostrel {

namespace {

// A file is a candidate when it has any of read-only, hidden, system,
// archive, normal or temporary.
constexpr DWORD kCandidateMask = 0x1A7;

// The walk of a backend without one of its own: every folder searched with
// FindFiles, every entry looked up by its path. It remembers the folders
// already entered during one drive walk, so that links which lead back up
// the tree (or to a folder seen before) are not followed again.
class SearchWalker : public DriveWalker {
public:
    SearchWalker(FileSystemApi& files, std::string driveRoot)
        : files_(files), driveRoot_(std::move(driveRoot)) {}
    bool Enter(const std::string& folder, std::size_t) override {
        const auto hostPath = files_.HostPath(folder);
        bool enter = true;
        if (hostPath) {  // else nothing on the host to tell folders apart by
            const auto identity = IdentifyHostFolder(*hostPath);
            // Without an identity the search will say whether it can be read.
            if (identity) enter = !identity->pseudo && entered_.insert(*identity).second;
        }
        if (enter) folders_.push_back(folder);
        return enter;
    }
    LONG List(std::vector<WalkItem>* items) override {
        std::vector<FindData> found;
        const LONG status = files_.FindFiles(folders_.back() + "*", &found);
        items->clear();
        items->reserve(found.size());
        for (FindData& entry : found) items->push_back(WalkItem{std::move(entry.name)});
        return status;
    }
    std::string ShortFolder() override { return files_.GetShortPathName(folders_.back()); }
    void Look(std::size_t, const std::string& path, WalkItem* entry) override {
        if (entry->looked) return;
        entry->attributes = files_.GetFileAttributes(path);
        entry->kind = files_.ClassifyWalkEntry(driveRoot_, path, entry->attributes);
        entry->looked = true;
    }
    void Leave() override { folders_.pop_back(); }

private:
    FileSystemApi& files_;
    std::string driveRoot_;
    std::set<FolderIdentity> entered_;
    std::vector<std::string> folders_;  // the folders entered and not yet left
};

// The depth-first walk itself; what it may open at all the platform decides
// (ClassifyWalkEntry, or the backend's own walk): on a Wine prefix it stays
// inside the tree of the drive being walked.
class FolderWalk {
public:
    FolderWalk(ScanSession& session, const std::string& driveRoot)
        : session_(session), walker_(session.files.StartDriveWalk(driveRoot)) {
        if (!walker_) walker_ = std::make_unique<SearchWalker>(session.files, driveRoot);
    }
    void Walk(std::string folder, bool filesOnly = false, std::size_t item = DriveWalker::kStart);

private:
    struct SubFolder {
        std::string name;
        std::size_t item = 0;
        bool filesOnly = false;
    };
    bool Cancelled() const { return session_.cancelRequested; }
    void LookAt(const std::string& folder, const std::string& shortFolder, std::size_t item,
                WalkItem& entry, bool filesOnly, std::vector<SubFolder>& subFolders);
    void NoteUnreadable(const std::string& folder, LONG status, bool start);

    ScanSession& session_;
    std::unique_ptr<DriveWalker> walker_;
};

void FolderWalk::LookAt(const std::string& folder, const std::string& shortFolder, std::size_t item,
                        WalkItem& entry, bool filesOnly, std::vector<SubFolder>& subFolders) {
    session_.observer.KeyVisited(shortFolder);
    session_.observer.ValueVisited(entry.name);
    if (entry.name == "." || entry.name == "..") return;
    const std::string path = folder + entry.name;
    walker_->Look(item, path, &entry);
    switch (entry.kind) {
        case WalkEntry::Folder:
        case WalkEntry::FolderFilesOnly:
            if (!filesOnly)
                subFolders.push_back({entry.name, item, entry.kind == WalkEntry::FolderFilesOnly});
            return;
        case WalkEntry::File:
            if ((entry.attributes & kCandidateMask) != 0 &&
                entry.name.find('.') != std::string::npos)
                CheckShortcut(session_, path);
            return;
        case WalkEntry::Skip: return;
    }
}

// A folder the platform refused to list is named at the end of the scan; a
// folder that vanished, or whose path the platform cannot take, is not,
// unless it is the folder the walk starts at: nothing of it was walked.
void FolderWalk::NoteUnreadable(const std::string& folder, LONG status, bool start) {
    if (status == ERROR_SUCCESS) return;
    if (!start && (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND ||
                   status == ERROR_FILENAME_EXCED_RANGE || status == ERROR_INVALID_NAME))
        return;
    session_.result.unreadable.folders.push_back(folder);
}

void FolderWalk::Walk(std::string folder, bool filesOnly, std::size_t item) {
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    if (!walker_->Enter(folder, item)) return;
    struct Leaving {
        DriveWalker& walker;
        ~Leaving() { walker.Leave(); }
    } leaving{*walker_};
    std::vector<SubFolder> subFolders;
    std::vector<WalkItem> entries;
    const LONG status = walker_->List(&entries);
    NoteUnreadable(folder, status, item == DriveWalker::kStart);
    if (status == ERROR_SUCCESS) {
        const std::string shortFolder = walker_->ShortFolder();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (Cancelled()) return;
            LookAt(folder, shortFolder, i, entries[i], filesOnly, subFolders);
            if (Cancelled()) return;
        }
    }
    for (const SubFolder& sub : subFolders) {
        if (Cancelled()) return;
        Walk(folder + sub.name + "\\", sub.filesOnly, sub.item);
        if (Cancelled()) return;
    }
}

// "C:\" of any path on drive C.
std::string DriveRootOf(std::string_view folder) {
    return folder.size() >= 2 && folder[1] == ':' ? std::string(folder.substr(0, 2)) + "\\"
                                                  : std::string(folder);
}

}  // namespace

void ScanDriveForShortcuts(ScanSession& session, const std::string& driveRoot) {
    if (driveRoot.size() >= 2 && driveRoot[1] == ':') {
        const char letter =
            static_cast<char>(std::toupper(static_cast<unsigned char>(driveRoot[0])));
        const DriveState state = session.files.StateOfDrive(letter);
        if (state.reach != DriveReach::Available) {
            CountNotChecked(session,
                            state.reach == DriveReach::Network ? NotCheckedReason::Network
                                                               : NotCheckedReason::DriveUnavailable,
                            letter);
            if (state.reach == DriveReach::Unavailable)
                session.result.notChecked.driveWhy.emplace(letter, state.why);
            return;
        }
    }
    // The root itself may be out of bounds (a drive mapped onto a Wine prefix).
    if (session.files.ClassifyWalkEntry(DriveRootOf(driveRoot), driveRoot,
                                        FILE_ATTRIBUTE_DIRECTORY) == WalkEntry::Skip)
        return;
    ScanFolderForShortcuts(session, driveRoot);
}

void ScanFolderForShortcuts(ScanSession& session, const std::string& folder) {
    FolderWalk(session, DriveRootOf(folder)).Walk(folder);
}

}  // namespace vostrel

#include "system/win32/windows_headers.h"

#include "system/folder_identity.h"

#include "system/win32/code_page.h"

namespace vostrel {

// A folder is known by its volume's serial number and its file index; two
// paths to one folder (a junction or a symbolic link) give the same pair.
// Windows has no pseudo file systems of the kind the walk must avoid.
std::optional<FolderIdentity> IdentifyHostFolder(const std::string& hostPath) {
    const HANDLE folder =
        ::CreateFileW(win32::Widen(hostPath).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = ::GetFileInformationByHandle(folder, &info);
    ::CloseHandle(folder);
    if (!ok) return std::nullopt;
    FolderIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

}  // namespace vostrel

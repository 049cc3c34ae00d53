#include "system/win32/windows_headers.h"

#include "system/win32/win32_file_system.h"

#include "system/win32/code_page.h"

namespace vostrel {

namespace {

// The folder look-ups fill a buffer of 256 characters; a folder that does
// not fit counts as a failed call.
constexpr ::DWORD kFolderBuffer = 256;

std::string FolderFrom(UINT (*call)(LPSTR, UINT)) {
    char buffer[kFolderBuffer] = {};
    const UINT length = call(buffer, kFolderBuffer);
    if (length == 0 || length >= kFolderBuffer) return {};
    return win32::FromAnsi({buffer, length});
}

// A call that fills a buffer and returns the length it wrote, or the size
// it needs (NUL included) when the buffer is too small.
template <typename Call>
std::string GrowingText(Call call) {
    std::string buffer(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ::DWORD length = call(buffer.data(), static_cast<::DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return win32::FromAnsi({buffer.data(), length});
        buffer.assign(length + 1, '\0');
    }
    return {};
}

FindData FromFindRecord(const WIN32_FIND_DATAA& record) {
    FindData entry;
    entry.attributes = record.dwFileAttributes;
    entry.name = win32::FromAnsi(record.cFileName);
    entry.shortName = win32::FromAnsi(record.cAlternateFileName);
    entry.size = (static_cast<std::uint64_t>(record.nFileSizeHigh) << 32) | record.nFileSizeLow;
    return entry;
}

// Characters no file name may hold and no search pattern uses: control
// characters, '|', and ':' anywhere but after the drive letter. Such a
// search is refused as an invalid name, whatever the file system below
// would answer (Wine answers "not found").
bool HasForbiddenCharacter(std::string_view pattern) {
    const bool prefixed = pattern.starts_with("\\\\?\\") || pattern.starts_with("\\\\.\\");
    const std::size_t driveColon = prefixed ? 5 : 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const auto c = static_cast<unsigned char>(pattern[i]);
        if (c < 32 || c == '|') return true;
        if (c == ':' && i != driveColon) return true;
    }
    return false;
}

DriveType ToDriveType(UINT type) {
    if (type > static_cast<UINT>(DriveType::RamDisk)) return DriveType::Unknown;
    return static_cast<DriveType>(type);
}

}  // namespace

std::string Win32FileSystem::GetWindowsDirectory() { return FolderFrom(&::GetWindowsDirectoryA); }

std::string Win32FileSystem::GetSystemDirectory() { return FolderFrom(&::GetSystemDirectoryA); }

std::string Win32FileSystem::GetShortPathName(std::string_view path) {
    const std::string ansi = win32::ToAnsi(path);
    return GrowingText([&](char* buffer, ::DWORD size) {
        return ::GetShortPathNameA(ansi.c_str(), buffer, size);
    });
}

LONG Win32FileSystem::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    found->clear();
    if (HasForbiddenCharacter(pattern)) return ERROR_INVALID_NAME;
    WIN32_FIND_DATAA record;
    const HANDLE search = ::FindFirstFileA(win32::ToAnsi(pattern).c_str(), &record);
    if (search == INVALID_HANDLE_VALUE) {
        const LONG status = static_cast<LONG>(::GetLastError());
        // An empty folder answers "no more files": nothing matched.
        return status == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : status;
    }
    do {
        found->push_back(FromFindRecord(record));
    } while (::FindNextFileA(search, &record));
    ::FindClose(search);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::GetFileAttributes(std::string_view path) {
    return ::GetFileAttributesA(win32::ToAnsi(path).c_str());
}

std::vector<Drive> Win32FileSystem::GetDrives() {
    std::vector<Drive> drives;
    char roots[27 * 4 + 1] = {};
    const ::DWORD length = ::GetLogicalDriveStringsA(sizeof(roots) - 1, roots);
    if (length == 0 || length >= sizeof(roots)) return drives;
    for (const char* root = roots; *root; root += std::char_traits<char>::length(root) + 1) {
        const char letter = root[0];
        const char upper =
            (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 32) : letter;
        drives.push_back({upper, ToDriveType(::GetDriveTypeA(root))});
    }
    return drives;
}

DriveState Win32FileSystem::StateOfDrive(char letter) {
    if (const auto known = driveStates_.find(letter); known != driveStates_.end())
        return known->second;
    DriveState state = LookAtDrive(letter);
    driveStates_.emplace(letter, state);
    return state;
}

DriveState Win32FileSystem::LookAtDrive(char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    DriveState state;
    switch (::GetDriveTypeA(root.c_str())) {
        case DRIVE_NO_ROOT_DIR:
        case DRIVE_UNKNOWN:
            state.reach = DriveReach::Unavailable;
            state.why = "there is no drive " + root.substr(0, 2);
            return state;
        case DRIVE_REMOTE:
            state.reach = DriveReach::Network;
            state.why = "a network drive";
            return state;
        default: break;
    }
    // A card reader or a disc drive with nothing in it.
    if (!GetVolumeInformation(root, nullptr)) {
        state.reach = DriveReach::Unavailable;
        state.why = "its disk is not ready";
    }
    return state;
}

bool Win32FileSystem::GetVolumeInformation(std::string_view root, std::string* label) {
    char name[MAX_PATH + 1] = {};
    char fileSystem[MAX_PATH + 1] = {};
    ::DWORD serial = 0, longestName = 0, flags = 0;
    const BOOL ok =
        ::GetVolumeInformationA(win32::ToAnsi(root).c_str(), name, sizeof(name), &serial,
                                &longestName, &flags, fileSystem, sizeof(fileSystem));
    if (!ok) return false;
    if (label) *label = win32::FromAnsi(name);
    return true;
}

std::string Win32FileSystem::GetTempPath() {
    return GrowingText([](char* buffer, ::DWORD size) { return ::GetTempPathA(size, buffer); });
}

bool Win32FileSystem::DeleteFile(std::string_view path) {
    return ::DeleteFileA(win32::ToAnsi(path).c_str()) != FALSE;
}

bool Win32FileSystem::CopyFile(std::string_view from, std::string_view to) {
    return ::CopyFileA(win32::ToAnsi(from).c_str(), win32::ToAnsi(to).c_str(), FALSE) != FALSE;
}

std::optional<std::string> Win32FileSystem::HostPath(std::string_view windowsPath) {
    return std::string(windowsPath);
}

}  // namespace vostrel

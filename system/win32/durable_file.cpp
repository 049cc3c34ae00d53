#include "system/win32/windows_headers.h"

#include "system/durable_file.h"

#include "system/win32/code_page.h"

namespace vostrel {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": error " + std::to_string(::GetLastError());
    return false;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<::DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        ::DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Closes the handle, keeping the error of what failed before.
bool CloseKeepingError(HANDLE file, bool ok) {
    const ::DWORD saved = ::GetLastError();
    ::CloseHandle(file);
    ::SetLastError(saved);
    return ok;
}

}  // namespace

// Windows flushes a new file's directory entry with the file itself
// (FlushFileBuffers on NTFS commits the metadata), so no folder flush.
bool AppendDurably(const std::string& path, std::string_view bytes, std::string* error) {
    const HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + path);
    const bool ok = WriteAll(file, bytes) && ::FlushFileBuffers(file);
    if (!CloseKeepingError(file, ok)) return Fail(error, "cannot write " + path);
    return true;
}

bool CopyDurably(const std::string& from, const std::string& to, std::string* error) {
    const std::wstring target = win32::Widen(to);
    if (!::CopyFileW(win32::Widen(from).c_str(), target.c_str(), FALSE))
        return Fail(error, "cannot copy " + from + " to " + to);
    const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + to);
    if (!CloseKeepingError(file, ::FlushFileBuffers(file) != FALSE))
        return Fail(error, "cannot flush " + to);
    return true;
}

}  // namespace vostrel

namespace vostrel {

namespace {

class Win32AppendOnlyFile : public AppendOnlyFile {
public:
    Win32AppendOnlyFile(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
    ~Win32AppendOnlyFile() override { ::CloseHandle(file_); }

    bool Append(std::string_view bytes, std::string* error) override {
        if (WriteAll(file_, bytes)) {
            complete_ += static_cast<long long>(bytes.size());
            return true;
        }
        const ::DWORD saved = ::GetLastError();
        // A torn record is cut off before anything else is written.
        LARGE_INTEGER at;
        at.QuadPart = complete_;
        ::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file_);
        ::FlushFileBuffers(file_);
        ::SetLastError(saved);
        return Fail(error, "cannot write " + path_);
    }

    bool Sync(std::string* error) override {
        if (!::FlushFileBuffers(file_)) return Fail(error, "cannot flush " + path_);
        return true;
    }

private:
    HANDLE file_;
    std::string path_;
    long long complete_ = 0;
};

bool IsLink(const std::wstring& path) {
    const ::DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string ReadWhole(const std::wstring& path, bool* ok) {
    std::string contents;
    *ok = false;
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return contents;
    char buffer[65536];
    for (;;) {
        ::DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ::CloseHandle(file);
            return contents;
        }
        if (got == 0) break;
        contents.append(buffer, got);
    }
    ::CloseHandle(file);
    *ok = true;
    return contents;
}

}  // namespace

std::unique_ptr<AppendOnlyFile> CreateAppendOnlyFile(const std::string& path, bool* exists,
                                                     std::string* error) {
    if (exists) *exists = false;
    const HANDLE file =
        ::CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA | GENERIC_WRITE, FILE_SHARE_READ,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                      nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const ::DWORD code = ::GetLastError();
        if (exists) *exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        Fail(error, "cannot create " + path);
        return nullptr;
    }
    return std::make_unique<Win32AppendOnlyFile>(file, path);
}

bool CreatePrivateFolder(const std::string& path, bool* exists, std::string* error) {
    if (exists) *exists = false;
    if (::CreateDirectoryW(win32::Widen(path).c_str(), nullptr)) return true;
    if (exists) *exists = ::GetLastError() == ERROR_ALREADY_EXISTS;
    return Fail(error, "cannot create the folder " + path);
}

bool SyncFolder(const std::string&, std::string*) { return true; }

bool CopyIntoFolderExclusively(const std::string& from, const std::string& folder,
                               const std::string& name, std::string* error) {
    if (!IsPlainFileName(name) || IsLink(win32::Widen(folder))) {
        ::SetLastError(ERROR_INVALID_NAME);
        return Fail(error, "cannot copy " + from + " into " + folder + " as " + name);
    }
    const std::wstring target = win32::Widen(folder + "\\" + name);
    if (!::CopyFileW(win32::Widen(from).c_str(), target.c_str(), TRUE))
        return Fail(error, "cannot copy " + from + " to " + folder + "\\" + name);
    const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + folder + "\\" + name);
    if (!CloseKeepingError(file, ::FlushFileBuffers(file) != FALSE))
        return Fail(error, "cannot flush " + folder + "\\" + name);
    return true;
}

// Folders on Windows are guarded by their access lists, which the user's
// own profile folders keep private.
std::optional<std::string> SharedFolderRefusal(const std::string&) { return std::nullopt; }

std::optional<std::string> ForeignBackupFileRefusal(const std::string&) { return std::nullopt; }

PutBackResult PutBackCopy(const std::string& folder, const std::string& name, const std::string& to,
                          std::string* error) {
    const std::wstring copy = win32::Widen(folder + "\\" + name);
    if (!IsPlainFileName(name) || IsLink(win32::Widen(folder)) || IsLink(copy)) {
        ::SetLastError(ERROR_INVALID_NAME);
        Fail(error, "the copy's name \"" + name + "\" is not a plain file name in " + folder);
        return PutBackResult::Failed;
    }
    const std::wstring target = win32::Widen(to);
    if (::CopyFileW(copy.c_str(), target.c_str(), TRUE)) {
        const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseKeepingError(file, ::FlushFileBuffers(file) != FALSE);
        return PutBackResult::Written;
    }
    const ::DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
        Fail(error, "cannot copy " + name + " to " + to);
        return PutBackResult::Failed;
    }
    bool readCopy = false, readThere = false;
    const std::string a = ReadWhole(copy, &readCopy);
    const std::string b = ReadWhole(target, &readThere);
    if (readCopy && readThere && a == b) return PutBackResult::SameAlready;
    ::SetLastError(ERROR_FILE_EXISTS);
    Fail(error, "a different file is already at " + to);
    return PutBackResult::InTheWay;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace vostrel

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
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
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
    const HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + path);
    const bool ok = WriteAll(file, bytes) && ::FlushFileBuffers(file);
    if (!CloseKeepingError(file, ok)) return Fail(error, "cannot write " + path);
    return true;
}

bool CopyDurably(const std::string& from, const std::string& to, std::string* error) {
    const std::wstring target = win32::Widen(to);
    if (!::CopyFileW(win32::Widen(from).c_str(), target.c_str(), FALSE))
        return Fail(error, "cannot copy " + from + " to " + to);
    const HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open " + to);
    if (!CloseKeepingError(file, ::FlushFileBuffers(file) != FALSE)) return Fail(error, "cannot flush " + to);
    return true;
}

}  // namespace vostrel

#include "system/win32/windows_headers.h"

#include "system/atomic_file.h"

#include "system/win32/code_page.h"

namespace vostrel {

namespace {

std::string Describe(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": error " + std::to_string(::GetLastError());
}

bool WriteAll(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        const ::DWORD chunk =
            static_cast<::DWORD>(std::min<std::size_t>(contents.size(), 1u << 30));
        ::DWORD written = 0;
        if (!::WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0)
            return false;
        contents.remove_prefix(written);
    }
    return true;
}

// A name beside the target that no other writer uses.
std::wstring TemporaryBeside(const std::wstring& target, unsigned attempt) {
    return target + L".vostrel-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(attempt);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents, std::string* error) {
    const std::wstring target = win32::Widen(path);
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = TemporaryBeside(target, attempt);
        file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (error) *error = Describe("cannot create a temporary file beside", path);
        return false;
    }
    const bool written = WriteAll(file, contents) && ::FlushFileBuffers(file);
    const ::DWORD writeError = ::GetLastError();
    ::CloseHandle(file);
    if (!written) {
        ::SetLastError(writeError);
        if (error) *error = Describe("cannot write", win32::Narrow(temp));
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (error) *error = Describe("cannot replace", path);
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool ReadSmallTextFile(const std::string& path, std::size_t cap, std::string* text,
                       std::string* error, bool* missing) {
    if (missing) *missing = false;
    auto fail = [&](const std::string& why) {
        if (error) *error = path + " " + why;
        return false;
    };
    // A folder where the file should be is named as such, not as a file
    // that cannot be opened.
    const ::DWORD attributes = ::GetFileAttributesW(win32::Widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail("is not a file that can be read: it is a folder");
    const HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const ::DWORD code = ::GetLastError();
        if (missing) *missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return fail("cannot be opened: error " + std::to_string(code));
    }
    // A pipe or a device is never read: it might never end.
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        ::CloseHandle(file);
        return fail("is not read: it is not a regular file");
    }
    if (static_cast<unsigned long long>(size.QuadPart) > cap) {
        ::CloseHandle(file);
        return fail("is not read: it holds more than the " + std::to_string(cap) +
                    " bytes such a file may have");
    }
    std::string buffer;
    char chunk[65536];
    ::DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got > 0) {
        buffer.append(chunk, got);
        if (buffer.size() > cap) break;
    }
    ::CloseHandle(file);
    if (!ok) return fail("cannot be read");
    if (buffer.size() > cap) return fail("is not read: it grew past the size such a file may have");
    if (text) *text = std::move(buffer);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    const HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string buffer;
    char chunk[65536];
    ::DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got > 0)
        buffer.append(chunk, got);
    ::CloseHandle(file);
    if (!ok) return false;
    contents = std::move(buffer);
    return true;
}

}  // namespace vostrel

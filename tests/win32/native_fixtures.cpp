#include "system/win32/windows_headers.h"

#include "win32/native_fixtures.h"

#include <stdexcept>

#include "system/win32/code_page.h"

namespace vostrel::testing {

namespace {

std::string UniqueSuffix() {
    static unsigned counter = 0;
    return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
           std::to_string(++counter);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), 0x80);
            if (entry.dwFileAttributes & 0x10)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchKey::ScratchKey() : path_("Software\\Vostrel Tests\\" + UniqueSuffix()) {}

ScratchKey::~ScratchKey() {
    ::RegDeleteTreeW(win32::NativeCurrentUser(), win32::Widen(path_).c_str());
    ::RegDeleteKeyW(win32::NativeCurrentUser(), win32::Widen(path_).c_str());
    ::RegDeleteKeyW(win32::NativeCurrentUser(), L"Software\\Vostrel Tests");  // when empty
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0) throw std::runtime_error("no temporary folder");
    std::wstring folder =
        std::wstring(temp, length) + L"vostrel-native-" + win32::Widen(UniqueSuffix());
    if (!::CreateDirectoryW(folder.c_str(), nullptr))
        throw std::runtime_error("cannot create a scratch folder");
    path_ = win32::Narrow(folder);
}

ScratchFolder::~ScratchFolder() { RemoveTree(win32::Widen(path_)); }

void MakeFile(const std::string& path, const std::string& contents) {
    const HANDLE file = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0x80, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    ::DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<::DWORD>(contents.size()), &written, nullptr);
    ::CloseHandle(file);
}

void MakeFolder(const std::string& path) {
    if (!::CreateDirectoryW(win32::Widen(path).c_str(), nullptr))
        throw std::runtime_error("cannot create " + path);
}

void SetAttributes(const std::string& path, unsigned attributes) {
    if (!::SetFileAttributesW(win32::Widen(path).c_str(), attributes))
        throw std::runtime_error("cannot set the attributes of " + path);
}

}  // namespace vostrel::testing

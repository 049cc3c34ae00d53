#include "system/win32/windows_headers.h"

#include <intshcut.h>

#include "system/shortcut_reader.h"

#include "system/text.h"
#include "system/win32/code_page.h"

namespace vostrel {

namespace {

// COM for the calling thread for as long as one file is read; a thread
// that already has it (the window's thread) keeps it as it is.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialized_) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Only names ending in LNK, URL or PIF can become a shortcut problem (the
// check wants LNK or URL; PIF is the DOS program type it leaves out), so
// the shell is not asked about any other file.
bool MayBeLink(std::string_view path) {
    const std::string_view last = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    const std::string ending = UpperAscii(Trim(last));
    return ending == "LNK" || ending == "URL" || ending == "PIF";
}

// The default value of a key under HKEY_CLASSES_ROOT.
std::wstring ClassText(const std::wstring& key) {
    wchar_t text[256] = {};
    ::DWORD size = sizeof(text) - sizeof(wchar_t);
    if (::RegGetValueW(win32::NativeClassesRoot(), key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                       text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

// Whether the file's type is registered as a shortcut type (its class has
// an "IsShortcut" value), which is what makes the shell call a file a link.
bool IsShortcutType(const std::wstring& file) {
    const wchar_t* extension = ::PathFindExtensionW(file.c_str());
    if (!extension || !*extension) return false;
    const std::wstring progId = ClassText(extension);
    if (progId.empty()) return false;
    ::HKEY type = nullptr;
    if (::RegOpenKeyExW(win32::NativeClassesRoot(), progId.c_str(), 0, KEY_QUERY_VALUE, &type) !=
        ERROR_SUCCESS)
        return false;
    const bool shortcut = ::RegQueryValueExW(type, L"IsShortcut", nullptr, nullptr, nullptr,
                                             nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(type);
    return shortcut;
}

// Only a path on a drive can be tested for existence.
std::string DrivePathOnly(const std::wstring& path) {
    const bool onDrive =
        path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return onDrive ? win32::Narrow(path) : std::string();
}

// A target on a network share (\\server\share\...): out of reach, not tested.
bool IsNetworkPath(const std::wstring& path) {
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

// The descriptor of an advertised (Windows Installer) shortcut; false when
// the link is not one.
bool ReadDarwinId(IShellLinkW* link, ShortcutInfo& info) {
    ComPtr<IShellLinkDataList> data;
    if (FAILED(link->QueryInterface(IID_IShellLinkDataList, data.outVoid()))) return false;
    ::DWORD flags = 0;
    if (FAILED(data->GetFlags(&flags)) || !(flags & SLDF_HAS_DARWINID)) return false;
    info.advertised = true;
    void* block = nullptr;
    if (SUCCEEDED(data->CopyDataBlock(EXP_DARWIN_ID_SIG, &block)) && block) {
        const auto* darwin = static_cast<const EXP_DARWIN_LINK*>(block);
        const std::wstring id(darwin->szwDarwinID, ::wcsnlen(darwin->szwDarwinID, MAX_PATH));
        info.darwinDescriptor = win32::Narrow(id);
        ::LocalFree(block);
    }
    return true;
}

// The target and working folder through the shell's link object.
bool ReadShellLink(const std::wstring& file, ShortcutInfo& info) {
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.outVoid())))
        return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.outVoid()))) return false;
    if (FAILED(persist->Load(file.c_str(), STGM_READ))) return false;
    wchar_t buffer[MAX_PATH + 1] = {};
    WIN32_FIND_DATAW found{};
    // An advertised shortcut is judged by its product, not by a path.
    if (!ReadDarwinId(link.operator->(), info) &&
        link->GetPath(buffer, MAX_PATH, &found, 0) == S_OK) {
        info.onNetwork = IsNetworkPath(buffer);
        info.targetPath = DrivePathOnly(buffer);
    }
    wchar_t folder[MAX_PATH + 1] = {};
    if (SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)))
        info.workingDirectory = win32::Narrow(folder);
    return true;
}

// An internet shortcut's address; a file: address gives its local path.
bool ReadInternetShortcut(const std::wstring& file, ShortcutInfo& info) {
    ComPtr<IUniformResourceLocatorW> locator;
    if (FAILED(::CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IUniformResourceLocatorW, locator.outVoid())))
        return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(locator->QueryInterface(IID_IPersistFile, persist.outVoid()))) return false;
    if (FAILED(persist->Load(file.c_str(), STGM_READ))) return false;
    wchar_t* url = nullptr;
    if (FAILED(locator->GetURL(&url)) || !url) return true;
    wchar_t local[MAX_PATH + 1] = {};
    ::DWORD length = MAX_PATH;
    if (::UrlIsFileUrlW(url) && SUCCEEDED(::PathCreateFromUrlW(url, local, &length, 0)))
        info.targetPath = DrivePathOnly(local);
    ::CoTaskMemFree(url);
    return true;
}

}  // namespace

// Asks the shell about the file as it shows it: whether it is a link and
// the name of its type; then reads the link's target and working folder.
// The shell reads a link's ANSI texts in the code page of this very
// machine, so no code page is given to it.
ShortcutInfo ReadShortcut(FileSystemApi&, std::string_view path, unsigned) {
    ShortcutInfo info;
    if (!MayBeLink(path)) return info;
    ComScope com;
    const std::wstring file = win32::Widen(path);
    SHFILEINFOW shell{};
    if (!::SHGetFileInfoW(file.c_str(), 0, &shell, sizeof(shell),
                          SHGFI_ATTRIBUTES | SHGFI_TYPENAME))
        return info;
    info.typeName = win32::Narrow(shell.szTypeName);
    // Windows marks every type registered with "IsShortcut" as a link
    // (SFGAO_LINK); Wine's shell does so for .lnk files only, so the
    // registration is asked directly as well.
    if (!(shell.dwAttributes & SFGAO_LINK) && !IsShortcutType(file)) return info;
    info.isLink = ReadShellLink(file, info) || ReadInternetShortcut(file, info);
    return info;
}

// On Windows a held file is read by its path, through the shell.
ShortcutInfo ReadShortcutFile(FileSystemApi& files, std::string_view path, const std::string&,
                              unsigned ansiCodePage) {
    return ReadShortcut(files, path, ansiCodePage);
}

}  // namespace vostrel

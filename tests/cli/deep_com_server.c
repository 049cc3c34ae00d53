// A COM server as installers register it: its class (server, icon, ProgID)
// and its type library, written by DllRegisterServer as regsvr32 calls it.
// Built with mingw by the deeper sections' test (deep_sections_wine_linux_test).
#include <windows.h>

static HINSTANCE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

static void Set(const wchar_t* key, const wchar_t* name, const wchar_t* data) {
    HKEY handle;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_WRITE, NULL, &handle, NULL)) return;
    RegSetValueExW(handle, name, 0, REG_SZ, (const BYTE*)data, (lstrlenW(data) + 1) * 2);
    RegCloseKey(handle);
}

#define CLASS L"CLSID\\{5D3C2B1A-0F9E-4D8C-B7A6-958473625140}"
#define LIBRARY L"TypeLib\\{5D3C2B1A-0F9E-4D8C-B7A6-958473625141}\\1.0"

__declspec(dllexport) HRESULT __stdcall DllRegisterServer(void) {
    wchar_t path[MAX_PATH], text[MAX_PATH + 8];
    GetModuleFileNameW(self, path, MAX_PATH);
    Set(CLASS, NULL, L"Deep Control");
    Set(CLASS L"\\InprocServer32", NULL, path);
    Set(CLASS L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    lstrcpyW(text, path);
    lstrcatW(text, L",0");
    Set(CLASS L"\\DefaultIcon", NULL, text);
    Set(CLASS L"\\ProgID", NULL, L"Deep.Control.1");
    Set(L"Deep.Control.1\\CLSID", NULL, L"{5D3C2B1A-0F9E-4D8C-B7A6-958473625140}");
    Set(LIBRARY, NULL, L"Deep Library");
    lstrcpyW(text, path);
    lstrcatW(text, L"\\1");
    Set(LIBRARY L"\\0\\win64", NULL, text);
    return S_OK;
}

__declspec(dllexport) HRESULT __stdcall DllUnregisterServer(void) { return S_OK; }

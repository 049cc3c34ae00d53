// The Windows SDK headers, for the native backends only. Include this before
// any of the program's own headers: it removes the SDK's macros whose names
// the program's vocabulary (system/winapi.h) and platform interfaces also
// use, so that afterwards ERROR_SUCCESS, REG_SZ, HKEY_LOCAL_MACHINE, ... are
// the program's constants (with the same values) and GetFileAttributes,
// DeleteFile, ... are the interfaces' method names. The SDK's functions are
// called by their explicit A or W names; its types as ::HKEY, ::DWORD.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

namespace vostrel::win32 {
// The SDK's own handles of two roots, for code that calls the W functions
// directly.
inline ::HKEY NativeCurrentUser() { return HKEY_CURRENT_USER; }
inline ::HKEY NativeClassesRoot() { return HKEY_CLASSES_ROOT; }
}  // namespace vostrel::win32

// Status codes.
#undef ERROR_SUCCESS
#undef ERROR_FILE_NOT_FOUND
#undef ERROR_PATH_NOT_FOUND
#undef ERROR_ACCESS_DENIED
#undef ERROR_INVALID_HANDLE
#undef ERROR_INVALID_PARAMETER
#undef ERROR_INVALID_NAME
#undef ERROR_FILENAME_EXCED_RANGE
#undef ERROR_MORE_DATA
#undef ERROR_NO_MORE_ITEMS
#undef ERROR_NOT_READY
#undef ERROR_WRITE_PROTECT

// Registry access masks, options and value kinds.
#undef KEY_QUERY_VALUE
#undef KEY_SET_VALUE
#undef KEY_CREATE_SUB_KEY
#undef KEY_ENUMERATE_SUB_KEYS
#undef KEY_READ
#undef KEY_ALL_ACCESS
#undef REG_OPTION_NON_VOLATILE
#undef REG_CREATED_NEW_KEY
#undef REG_OPENED_EXISTING_KEY
#undef REG_NONE
#undef REG_SZ
#undef REG_EXPAND_SZ
#undef REG_BINARY
#undef REG_DWORD
#undef REG_DWORD_BIG_ENDIAN
#undef REG_LINK
#undef REG_MULTI_SZ
#undef REG_RESOURCE_LIST
#undef REG_FULL_RESOURCE_DESCRIPTOR
#undef REG_RESOURCE_REQUIREMENTS_LIST
#undef REG_QWORD

// Predefined roots.
#undef HKEY_CLASSES_ROOT
#undef HKEY_CURRENT_USER
#undef HKEY_LOCAL_MACHINE
#undef HKEY_USERS
#undef HKEY_CURRENT_CONFIG
#undef HKEY_DYN_DATA

// File attributes.
#undef FILE_ATTRIBUTE_READONLY
#undef FILE_ATTRIBUTE_HIDDEN
#undef FILE_ATTRIBUTE_SYSTEM
#undef FILE_ATTRIBUTE_DIRECTORY
#undef FILE_ATTRIBUTE_ARCHIVE
#undef FILE_ATTRIBUTE_NORMAL
#undef INVALID_FILE_ATTRIBUTES

// A/W switches whose names are methods of the platform interfaces.
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef GetShortPathName
#undef GetFileAttributes
#undef GetVolumeInformation
#undef GetTempPath
#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef CreateDirectory
#undef RemoveDirectory
#undef FindFirstFile
#undef FindNextFile
#undef GetCurrentDirectory
#undef SetFileAttributes

// The program's constants, now free of the SDK's macros.
#include "system/winapi.h"

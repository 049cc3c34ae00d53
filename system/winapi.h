// The Windows vocabulary the program is written in: handles, status codes,
// value kinds, access masks and the table of predefined roots. Every platform
// backend speaks it, so the registry and file code above it is written once.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vostrel {

using LONG = std::int32_t;
using DWORD = std::uint32_t;

// A registry handle. The predefined roots are their 32-bit values; opened keys
// get small numbers from the backend; 0 is the null handle.
using HKEY = std::uint32_t;
inline constexpr HKEY kNullKey = 0;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_INVALID_NAME = 123;
inline constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_NOT_READY = 21;
inline constexpr LONG ERROR_WRITE_PROTECT = 19;  // used for "a running Wine holds the registry"
inline constexpr LONG kUnsupportedKind = -1;

inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Value kinds. The program interprets REG_SZ, REG_DWORD and (for reading only)
// the first string of REG_MULTI_SZ; every other kind is carried unchanged.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_RESOURCE_LIST = 8;
inline constexpr DWORD REG_FULL_RESOURCE_DESCRIPTOR = 9;
inline constexpr DWORD REG_RESOURCE_REQUIREMENTS_LIST = 10;
inline constexpr DWORD REG_QWORD = 11;

struct ValueKind {
    DWORD kind;
    std::string_view name;
    bool textual;  // data is a NUL-terminated UTF-16 text (or texts) on the platform
};

inline constexpr std::array<ValueKind, 12> kValueKinds{{
    {REG_NONE, "REG_NONE", false},
    {REG_SZ, "REG_SZ", true},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ", true},
    {REG_BINARY, "REG_BINARY", false},
    {REG_DWORD, "REG_DWORD", false},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN", false},
    {REG_LINK, "REG_LINK", false},
    {REG_MULTI_SZ, "REG_MULTI_SZ", true},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST", false},
    {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, "REG_QWORD", false},
}};

constexpr bool IsTextKind(DWORD kind) {
    return kind == REG_SZ || kind == REG_EXPAND_SZ || kind == REG_MULTI_SZ;
}

// The predefined roots the program knows, by their exact upper-case names.
// 0x80000004 (HKEY_PERFORMANCE_DATA) is deliberately absent.
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

struct RootKey {
    std::string_view name;
    HKEY handle;
};

inline constexpr std::array<RootKey, 6> kRootKeys{{
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
}};

constexpr bool IsPredefinedRoot(HKEY key) {
    for (const auto& root : kRootKeys)
        if (root.handle == key) return true;
    return false;
}

// Name of a root handle, or an empty view for anything else.
constexpr std::string_view RootName(HKEY key) {
    for (const auto& root : kRootKeys)
        if (root.handle == key) return root.name;
    return {};
}

// Handle of a root name; the name is matched after trimming blanks and upper-casing.
std::optional<HKEY> RootFromName(std::string_view name);

// The handle as the signed decimal text problem rows carry ("-2147483646").
std::string RootHandleText(HKEY key);

// Attribute bits of the file system, as FindFirstFile reports them.
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

// Drive types as the platform reports them (GetDriveType numbering).
enum class DriveType : int {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

}  // namespace vostrel

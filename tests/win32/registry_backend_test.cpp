// The registry operations and the advapi32 calls of the native backend,
// against the live registry (Wine's, when these tests run on Linux).
#include "system/win32/win32_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "system/registry.h"
#include "win32/native_fixtures.h"

namespace vostrel {
namespace {

using testing::ScratchKey;

std::vector<std::uint8_t> Utf16(const std::u16string& text, bool withNul) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (withNul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

class NativeRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(api.CreateKeyEx(HKEY_CURRENT_USER, scratch.path(), 0, KEY_ALL_ACCESS, &key,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override { api.CloseKey(key); }

    // The stored kind and bytes, as the registry holds them.
    std::pair<DWORD, std::vector<std::uint8_t>> Stored(std::string_view name) {
        DWORD kind = 0;
        std::vector<std::uint8_t> bytes;
        EXPECT_EQ(api.QueryValueRaw(key, name, &kind, &bytes), ERROR_SUCCESS) << name;
        return {kind, bytes};
    }

    std::string Text(std::string_view name) {
        std::string text = "(untouched)";
        QueryRegistryValue(api, HKEY_CURRENT_USER, scratch.path(), name, text);
        return text;
    }

    ScratchKey scratch;
    Win32Registry api;
    HKEY key = kNullKey;
};

TEST_F(NativeRegistry, HandlesAreSmallNumbersAndEveryOneIsReleased) {
    EXPECT_NE(key, kNullKey);
    EXPECT_LT(key, 0x80000000u);
    HKEY deep = kNullKey, again = kNullKey, self = kNullKey;
    DWORD disposition = 0;
    ASSERT_EQ(api.CreateKeyEx(key, "a\\b\\c", 0, KEY_ALL_ACCESS, &deep, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(api.CreateKeyEx(key, "a\\b\\c", 0, KEY_ALL_ACCESS, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // An empty sub-key opens a second handle to the key itself, closed on its own.
    ASSERT_EQ(api.OpenKey(key, "", &self), ERROR_SUCCESS);
    EXPECT_NE(self, key);
    EXPECT_EQ(api.OpenKeyCount(), 4u);
    for (HKEY h : {deep, again, self}) EXPECT_EQ(api.CloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(api.OpenKeyCount(), 1u);
    EXPECT_NE(api.CloseKey(deep), ERROR_SUCCESS);  // already closed
    EXPECT_NE(api.CloseKey(kNullKey), ERROR_SUCCESS);
    EXPECT_EQ(api.CloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // roots stay usable

    HKEY missing = 12345;
    EXPECT_EQ(api.OpenKeyEx(key, "no such key", KEY_ALL_ACCESS, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, kNullKey);
    EXPECT_EQ(api.OpenKey(kNullKey, "x", &missing), ERROR_INVALID_HANDLE);
    HKEY software = kNullKey;
    ASSERT_EQ(api.OpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_ENUMERATE_SUB_KEYS, &software),
              ERROR_SUCCESS);
    api.CloseKey(software);
    EXPECT_EQ(api.OpenKeyCount(), 1u);
}

TEST_F(NativeRegistry, SetRegistryValueChoosesTheKindFromTheText) {
    struct Case {
        const char* name;
        RegValue value;
        DWORD kind;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"n123", std::string("123"), REG_DWORD, {123, 0, 0, 0}},
        {"n42", std::string(" 42 "), REG_DWORD, {42, 0, 0, 0}},
        {"half", std::string("2.5"), REG_DWORD, {2, 0, 0, 0}},
        {"half2", std::string("3.5"), REG_DWORD, {4, 0, 0, 0}},
        {"hex", std::string("&H10"), REG_DWORD, {16, 0, 0, 0}},
        {"huge", std::string("99999999999"), REG_DWORD, {0, 0, 0, 0}},
        {"number", std::int32_t{-1}, REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"path", std::string("C:\\Tools\\app.exe"), REG_SZ, Utf16(u"C:\\Tools\\app.exe", false)},
        {"blanks", std::string("  a b  "), REG_SZ, Utf16(u"a b", false)},
        {"empty", std::string(), REG_SZ, {}},
    };
    for (const auto& c : cases) {
        SetRegistryValue(api, HKEY_CURRENT_USER, scratch.path(), c.name, c.value);
        const auto [kind, bytes] = Stored(c.name);
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
    // A text stored without its NUL reads back whole.
    EXPECT_EQ(Text("path"), "C:\\Tools\\app.exe");
    EXPECT_EQ(Text("empty"), "");
    EXPECT_EQ(Text("number"), "-1");

    SetRegistryValue(api, HKEY_CURRENT_USER, scratch.path() + "\\missing", "v", std::string("x"));
    HKEY none = kNullKey;
    EXPECT_NE(api.OpenKey(HKEY_CURRENT_USER, scratch.path() + "\\missing", &none), ERROR_SUCCESS);
    EXPECT_EQ(api.OpenKeyCount(), 1u);
}

TEST_F(NativeRegistry, WritesCreatesReadsAndDeletes) {
    EXPECT_EQ(WriteValueToKey(api, key, "abc", REG_SZ, std::string("abc")), ERROR_SUCCESS);
    EXPECT_EQ(Stored("abc").second, Utf16(u"abc", true));
    EXPECT_EQ(WriteValueToKey(api, key, "skipped", REG_BINARY, std::string("abc")), ERROR_SUCCESS);
    DWORD kind = 0;
    EXPECT_EQ(api.QueryValueEx(key, "skipped", &kind, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    const std::string deep = scratch.path() + "\\one\\two\\three";
    CreateKeyAndSetValue(api, HKEY_CURRENT_USER, deep, "", std::string("restored"), REG_SZ);
    std::string text;
    EXPECT_TRUE(QueryRegistryValue(api, HKEY_CURRENT_USER, deep, "", text));
    EXPECT_EQ(text, "restored");

    const std::uint8_t all[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    api.SetValueEx(key, "dword", REG_DWORD, all, 4);
    api.SetValueRaw(key, "expand", REG_EXPAND_SZ, Utf16(u"%SystemRoot%\\x.dll", true));
    EXPECT_EQ(Text("dword"), "-1");
    EXPECT_EQ(Text("expand"), "(untouched)");
    EXPECT_EQ(Text("nothing"), "(untouched)");

    DeleteRegistryValue(api, HKEY_CURRENT_USER, scratch.path(), "no such value");
    DeleteRegistryValue(api, HKEY_CURRENT_USER, scratch.path(), "dword");
    EXPECT_EQ(Text("dword"), "(untouched)");
    EXPECT_EQ(Text("abc"), "abc");
    EXPECT_EQ(api.OpenKeyCount(), 1u);
}

TEST_F(NativeRegistry, ByteCountsAreUtf8AndTooSmallBuffersAskForMore) {
    const std::string cafe = "Caf\xC3\xA9";  // five UTF-8 bytes, four ANSI ones
    WriteValueToKey(api, key, cafe, REG_SZ, cafe);
    DWORD kind = 0, size = 0;
    ASSERT_EQ(api.QueryValueEx(key, cafe, &kind, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(kind, REG_SZ);
    EXPECT_EQ(size, 6u);
    std::uint8_t small[3] = {};
    DWORD smallSize = sizeof(small);
    EXPECT_EQ(api.QueryValueEx(key, cafe, &kind, small, &smallSize), ERROR_MORE_DATA);
    EXPECT_EQ(smallSize, 6u);
    std::vector<std::uint8_t> buffer(smallSize);
    ASSERT_EQ(api.QueryValueEx(key, cafe, &kind, buffer.data(), &smallSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), cafe + '\0');
    EXPECT_EQ(Stored(cafe).second, Utf16(u"Caf\u00E9", true));
}

TEST_F(NativeRegistry, TextPassesThroughTheAnsiCodePage) {
    // A character the code page cannot carry arrives as '?', in names and data.
    api.SetValueRaw(key, "cyrillic", REG_SZ, Utf16(u"\u0416ar", true));
    EXPECT_EQ(Text("cyrillic"), "?ar");
    HKEY sub = kNullKey;
    ASSERT_EQ(api.CreateKeyEx(key, "Ren\xC3\xA9", 0, KEY_ALL_ACCESS, &sub, nullptr), ERROR_SUCCESS);
    api.CloseKey(sub);
    char name[255];
    DWORD length = sizeof(name);
    ASSERT_EQ(api.EnumKeyEx(key, 0, name, &length, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), "Ren\xC3\xA9");

    // REG_MULTI_SZ reaches the caller as UTF-8 strings, each with its NUL.
    api.SetValueRaw(key, "multi", REG_MULTI_SZ, Utf16(std::u16string(u"a\0\u00E9\0\0", 5), false));
    DWORD kind = 0, size = 0;
    ASSERT_EQ(api.QueryValueEx(key, "multi", &kind, nullptr, &size), ERROR_SUCCESS);
    std::vector<std::uint8_t> data(size);
    ASSERT_EQ(api.QueryValueEx(key, "multi", &kind, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("a\0\xC3\xA9\0\0", 6));
}

TEST_F(NativeRegistry, EnumerationHonoursTheWalkersBuffers) {
    // The walker's buffers hold 255 bytes: a 254-character name and 255 bytes
    // of data (NUL included) fit; one more does not.
    const std::string fits(254, 'n'), tooLong(255, 'm');
    WriteValueToKey(api, key, fits, REG_SZ, std::string(254, 'd'));
    HKEY other = kNullKey;
    ASSERT_EQ(api.CreateKeyEx(key, "other", 0, KEY_ALL_ACCESS, &other, nullptr), ERROR_SUCCESS);
    WriteValueToKey(api, other, "big", REG_SZ, std::string(255, 'd'));
    WriteValueToKey(api, other, tooLong, REG_SZ, std::string("x"));

    char name[255];
    std::uint8_t data[255];
    DWORD nameLength = sizeof(name), dataLength = sizeof(data), kind = 0;
    ASSERT_EQ(api.EnumValue(key, 0, name, &nameLength, &kind, data, &dataLength), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameLength), fits);
    EXPECT_EQ(dataLength, 255u);
    nameLength = sizeof(name);
    dataLength = sizeof(data);
    EXPECT_EQ(api.EnumValue(key, 1, name, &nameLength, &kind, data, &dataLength),
              ERROR_NO_MORE_ITEMS);

    for (DWORD index : {0u, 1u}) {
        nameLength = sizeof(name);
        dataLength = sizeof(data);
        EXPECT_EQ(api.EnumValue(other, index, name, &nameLength, &kind, data, &dataLength),
                  ERROR_MORE_DATA)
            << index;
    }
    // Without a data buffer only the name has to fit.
    nameLength = sizeof(name);
    dataLength = 0;
    ASSERT_EQ(api.EnumValue(other, 0, name, &nameLength, &kind, nullptr, &dataLength),
              ERROR_SUCCESS);
    EXPECT_EQ(dataLength, 256u);

    HKEY child = kNullKey;
    ASSERT_EQ(api.CreateKeyEx(other, tooLong, 0, KEY_ALL_ACCESS, &child, nullptr), ERROR_SUCCESS);
    api.CloseKey(child);
    nameLength = sizeof(name);
    EXPECT_EQ(api.EnumKeyEx(other, 0, name, &nameLength, nullptr, nullptr), ERROR_MORE_DATA);
    char wide[256];
    nameLength = sizeof(wide);
    ASSERT_EQ(api.EnumKeyEx(other, 0, wide, &nameLength, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(nameLength, 255u);
    nameLength = sizeof(wide);
    EXPECT_EQ(api.EnumKeyEx(other, 1, wide, &nameLength, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    api.CloseKey(other);
}

TEST_F(NativeRegistry, RawBytesGoBackExactly) {
    const std::vector<std::uint8_t> odd = {1, 2, 3, 0, 0xFF};
    const auto expand = Utf16(u"%ProgramFiles%\\\u0416.exe", true);
    ASSERT_EQ(api.SetValueRaw(key, "bin", REG_BINARY, odd), ERROR_SUCCESS);
    ASSERT_EQ(api.SetValueRaw(key, "exp", REG_EXPAND_SZ, expand), ERROR_SUCCESS);
    ASSERT_EQ(api.SetValueRaw(key, "big", REG_BINARY, std::vector<std::uint8_t>(70000, 7)),
              ERROR_SUCCESS);
    EXPECT_EQ(Stored("bin"), std::make_pair(REG_BINARY, odd));
    EXPECT_EQ(Stored("exp"), std::make_pair(REG_EXPAND_SZ, expand));
    EXPECT_EQ(Stored("big").second.size(), 70000u);
    DWORD kind = 0;
    std::vector<std::uint8_t> none;
    EXPECT_EQ(api.QueryValueRaw(key, "absent", &kind, &none), ERROR_FILE_NOT_FOUND);
}

TEST(NativeRegistryMachine, ReportsTheNtFamilyAndTheProgramFolders) {
    Win32Registry api;
    EXPECT_EQ(GetPlatformId(api), 2u);
    std::string folder;
    ASSERT_TRUE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE,
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                   "ProgramFilesDir", folder));
    EXPECT_EQ(folder.substr(1), ":\\Program Files");
    EXPECT_EQ(api.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace vostrel

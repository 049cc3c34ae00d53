// The registry calls as RegistryAdapter keeps them, over the in-memory store
// of the tests: the buffer rules, handles and access masks, the registry's
// order, the ANSI side, and the store's fault options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_registry.h"
#include "support/registry_contract.h"
#include "system/registry.h"

namespace vostrel {
namespace {

using testing::MemoryRegistry;

std::vector<std::string> SubkeyNames(RegistryApi& registry, HKEY root, std::string_view path) {
    ScopedKey key(registry);
    std::vector<std::string> names;
    if (registry.OpenKeyEx(root, path, KEY_READ, key.out()) != ERROR_SUCCESS) return {"missing"};
    char name[300];
    for (DWORD index = 0;; ++index) {
        DWORD size = sizeof name;
        if (registry.EnumKeyEx(key.get(), index, name, &size, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

TEST(RegistryAdapter, KeepsTheBufferRulesOverTheMemoryStore) {
    MemoryRegistry registry;
    testing::PlantContract(registry);
    testing::CheckBufferRules(registry);
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistryAdapter, HandlesOpenCreateAndClose) {
    MemoryRegistry registry;
    HKEY key = 0x1234;
    EXPECT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\Nope", KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, kNullKey);
    DWORD disposition = 0;
    ASSERT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, "Software\\Vendor\\App", 0, KEY_ALL_ACCESS,
                                   &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const std::uint8_t text[] = "hello";
    EXPECT_EQ(registry.SetValueEx(key, "Greeting", REG_SZ, text, sizeof text), ERROR_SUCCESS);
    EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
    // A closed handle stays invalid, also once its slot is reused.
    EXPECT_EQ(registry.CloseKey(key), ERROR_INVALID_HANDLE);
    HKEY again = kNullKey;
    ASSERT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, "software\\VENDOR\\app", 0, KEY_ALL_ACCESS,
                                   &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(again, key);
    DWORD size = 0;
    EXPECT_EQ(registry.QueryValueEx(key, "Greeting", nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.QueryValueEx(again, "GREETING", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(registry.DeleteValue(again, "greeting"), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue(again, "Greeting"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.CloseKey(again), ERROR_SUCCESS);
    // The null handle and the roots close harmlessly; a made-up handle does not.
    EXPECT_EQ(registry.CloseKey(kNullKey), ERROR_SUCCESS);
    EXPECT_EQ(registry.CloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(registry.CloseKey(0x777), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.QueryValueEx(kNullKey, "x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistryAdapter, ManyOpenKeysAndTheirIdentity) {
    MemoryRegistry registry;
    registry.CreateKey(HKEY_LOCAL_MACHINE, "Software\\Deep");
    std::vector<HKEY> keys(5000);
    for (HKEY& key : keys)
        ASSERT_EQ(registry.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Deep", &key), ERROR_SUCCESS);
    std::uint64_t first = 0, id = 0;
    bool link = true;
    ASSERT_TRUE(registry.KeyIdentity(keys.front(), &first, &link));
    EXPECT_FALSE(link);
    ASSERT_TRUE(registry.KeyIdentity(keys.back(), &id, &link));
    EXPECT_EQ(id, first);  // one key, however many handles
    ASSERT_TRUE(registry.KeyIdentity(HKEY_LOCAL_MACHINE, &id, &link));
    EXPECT_NE(id, first);
    EXPECT_EQ(registry.OpenHandles(), keys.size());
    for (HKEY key : keys) EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_FALSE(registry.KeyIdentity(keys.front(), &id, &link));
}

TEST(RegistryAdapter, AccessMasksAreChecked) {
    MemoryRegistry registry;
    registry.SetString(HKEY_CURRENT_USER, "Software\\A", "V", "x");
    ScopedKey readOnly(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\A", KEY_QUERY_VALUE, readOnly.out()),
              ERROR_SUCCESS);
    const std::uint8_t text[] = "y";
    EXPECT_EQ(registry.SetValueEx(readOnly.get(), "V", REG_SZ, text, sizeof text),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.DeleteValue(readOnly.get(), "V"), ERROR_ACCESS_DENIED);
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(registry.EnumKeyEx(readOnly.get(), 0, name, &size, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    ScopedKey writeOnly(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\A", KEY_SET_VALUE, writeOnly.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValueEx(writeOnly.get(), "V", nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.SetValueEx(writeOnly.get(), "V", REG_SZ, text, sizeof text), ERROR_SUCCESS);
    ScopedKey generic(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\A", 0x80000000u /* GENERIC_READ */,
                                 generic.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValueEx(generic.get(), "V", nullptr, nullptr, &size), ERROR_SUCCESS);
}

// The memory store is held to the order of the real registry: sub-keys and
// values by name without regard to case (compared in lower case, so "[" and
// "_" come before the letters), whatever order they were made in.
TEST(MemoryRegistryStore, ListsInTheRegistrysOrderAndShowsTheRootsAsWineDoes) {
    MemoryRegistry registry;
    for (const char* name : {"b", "_under", "A", "Zed", "a", "[x", "\xC3\xA9t\xC3\xA9", "10", "9"})
        registry.CreateKey(HKEY_CURRENT_USER, std::string("Order\\") + name);
    EXPECT_EQ(SubkeyNames(registry, HKEY_CURRENT_USER, "Order"),
              (std::vector<std::string>{"10", "9", "[x", "_under", "A", "b", "Zed",
                                        "\xC3\xA9t\xC3\xA9"}));
    registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\{1}", "", "x");
    EXPECT_TRUE(registry.HasKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}"));
    EXPECT_EQ(SubkeyNames(registry, HKEY_USERS, ""),
              (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
    registry.SetString(HKEY_CURRENT_USER, "Software\\Mine", "V", "x");
    EXPECT_EQ(SubkeyNames(registry, HKEY_USERS, "S-1-5-21-0-0-0-1000\\Software"),
              (std::vector<std::string>{"Mine"}));
    HKEY key = kNullKey;
    EXPECT_EQ(registry.OpenKey(HKEY_DYN_DATA, "", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.CreateKeyEx(HKEY_USERS, "New", 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_ACCESS_DENIED);
    const std::uint8_t text[] = "x";
    EXPECT_EQ(registry.SetValueEx(HKEY_USERS, "V", REG_SZ, text, sizeof text), ERROR_ACCESS_DENIED);
}

// Through the ANSI side, as the A functions of Windows: characters the
// code page lacks come and go as '?', sizes are those of what is handed over.
TEST(RegistryAdapter, TheAnsiSideSqueezesWhatTheCodePageCannotCarry) {
    MemoryRegistry registry(TextSide::Ansi);
    registry.SetString(HKEY_CURRENT_USER, "Software\\A", "Name \xE6\x97\xA5",
                       "C:\\\xE6\x97\xA5\xE6\x9C\xAC\\x.exe");
    registry.SetString(HKEY_CURRENT_USER, "Software\\A", "Latin", "Caf\xC3\xA9");
    ScopedKey key(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\A", KEY_ALL_ACCESS, key.out()),
              ERROR_SUCCESS);
    std::string text;
    ASSERT_EQ(QueryRegistryValue(registry, HKEY_CURRENT_USER, "Software\\A", "Latin", text), true);
    EXPECT_EQ(text, "Caf\xC3\xA9");  // in the code page: kept
    char name[32];
    DWORD cch = sizeof name;
    std::uint8_t data[32];
    DWORD cb = sizeof data;
    ASSERT_EQ(registry.EnumValue(key.get(), 1, name, &cch, nullptr, data, &cb), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, cch), "Name ?");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), cb), std::string("C:\\??\\x.exe", 12));
    // The value is found by its squeezed name, as the A functions find it.
    DWORD size = 0;
    EXPECT_EQ(registry.QueryValueEx(key.get(), "Name \xE6\x97\xA5", nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    // Written through the ANSI side, the text is stored squeezed.
    const std::string written = "\xE6\x97\xA5!";
    ASSERT_EQ(registry.SetValueEx(key.get(), "W", REG_SZ,
                                  reinterpret_cast<const std::uint8_t*>(written.c_str()),
                                  static_cast<DWORD>(written.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.Get("HKEY_CURRENT_USER\\Software\\A", "W")->data,
              MemoryRegistry::Utf16Bytes("?!"));
    // The raw calls see the stored UTF-16 unchanged.
    std::vector<std::uint8_t> raw;
    ASSERT_EQ(registry.QueryValueRaw(key.get(), "Latin", nullptr, &raw), ERROR_SUCCESS);
    EXPECT_EQ(raw, MemoryRegistry::Utf16Bytes("Caf\xC3\xA9"));
}

TEST(MemoryRegistryStore, FaultOptionsRefuseAsTheRealBackendDoes) {
    MemoryRegistry registry;
    registry.SetString(HKEY_CURRENT_USER, "Software\\A", "V", "x");
    const auto before = registry.keys();
    registry.refusal = "a wineserver is running";
    EXPECT_EQ(registry.WriteRefusal().value_or(""), "a wineserver is running");
    ScopedKey key(registry);
    ASSERT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, "Software\\A", 0, KEY_ALL_ACCESS, key.out(),
                                   nullptr),
              ERROR_SUCCESS);  // an existing key still opens
    HKEY created = kNullKey;
    EXPECT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, "Software\\B", 0, KEY_ALL_ACCESS, &created,
                                   nullptr),
              ERROR_ACCESS_DENIED);
    const std::uint8_t text[] = "y";
    EXPECT_EQ(registry.SetValueEx(key.get(), "V", REG_SZ, text, sizeof text), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.DeleteValue(key.get(), "V"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.keys(), before);
    registry.refusal.reset();
    registry.store().refuseDeletes = true;
    EXPECT_EQ(registry.SetValueEx(key.get(), "V", REG_SZ, text, sizeof text), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue(key.get(), "V"), ERROR_ACCESS_DENIED);
    registry.store().batchFailure = "the disk is full";
    registry.BeginBatch();
    registry.BeginBatch();
    EXPECT_TRUE(registry.EndBatch());  // only the outermost end saves
    std::string why;
    EXPECT_FALSE(registry.EndBatch(&why));
    EXPECT_EQ(why, "the disk is full");
}

}  // namespace
}  // namespace vostrel

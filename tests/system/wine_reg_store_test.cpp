// The Wine backend and the in-memory registry of the tests side by side:
// the same buffer rules through the one adapter, the same script of changes
// listing the same way, and a registry Wine itself made, copied into memory
// in another order, listing exactly as Wine's files do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/memory_registry.h"
#include "support/registry_contract.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/wine/wine_registry.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

using testing::MemoryRegistry;
using testing::TempDir;

using testing::Open;

TEST(WineRegistryStore, KeepsTheSameBufferRulesAndKeepsThemAfterASave) {
    TempDir dir;
    testing::WriteTestPrefix(dir.path());
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    testing::PlantContract(*registry);
    testing::CheckBufferRules(*registry);
    EXPECT_EQ(registry->OpenHandles(), 0u);
    auto reread = Open(dir.path());
    ASSERT_TRUE(reread);
    testing::CheckBufferRules(*reread);
}

// Names chosen where orders differ: case, '_' and '[' against letters,
// digits, letters beyond ASCII, a name given twice in two spellings.
void RunScript(RegistryApi& registry) {
    const char* const keys[] = {"Zeta",
                                "_low",
                                "alpha\\Inner",
                                "ALPHA\\inner\\Deeper",
                                "[bracket",
                                "\xC3\x89t\xC3\xA9",
                                "\xC3\xA9t\xC3\xA9\\x",
                                "10",
                                "9",
                                "\xE6\x97\xA5"};
    for (const char* path : keys) {
        ScopedKey key(registry);
        ASSERT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, std::string("Software\\Script\\") + path,
                                       0, KEY_ALL_ACCESS, key.out(), nullptr),
                  ERROR_SUCCESS)
            << path;
    }
    ScopedKey key(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, "Software\\Script", KEY_ALL_ACCESS, key.out()),
              ERROR_SUCCESS);
    const char* const values[] = {"b", "B2", "_v", "a", "A", "", "\xC3\xA9", "Z", "[v"};
    DWORD n = 0;
    for (const char* name : values) {
        const std::string text = std::string("value of ") + name;
        ASSERT_EQ(registry.SetValueEx(key.get(), name, REG_SZ,
                                      reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                      static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        ++n;
        ASSERT_EQ(registry.SetValueEx(key.get(), std::string(name) + "#", REG_DWORD,
                                      reinterpret_cast<const std::uint8_t*>(&n), sizeof n),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(registry.DeleteValue(key.get(), "b2"), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue(key.get(), "gone"), ERROR_FILE_NOT_FOUND);
}

TEST(WineRegistryStore, TheSameScriptListsTheSameInMemory) {
    TempDir dir;
    testing::WriteTestPrefix(dir.path());
    auto wine = Open(dir.path());
    ASSERT_TRUE(wine);
    MemoryRegistry memory;
    RunScript(*wine);
    RunScript(memory);
    const auto listed = testing::Listing(*wine, HKEY_CURRENT_USER, "Software\\Script");
    EXPECT_GT(listed.size(), 20u);
    EXPECT_EQ(testing::Listing(memory, HKEY_CURRENT_USER, "Software\\Script"), listed);
    // And as the files have it when read again.
    auto reread = Open(dir.path());
    ASSERT_TRUE(reread);
    EXPECT_EQ(testing::Listing(*reread, HKEY_CURRENT_USER, "Software\\Script"), listed);
    // The script run through the ANSI side: squeezed the same way on both.
    TempDir ansiDir;
    testing::WriteTestPrefix(ansiDir.path());
    auto ansiPrefix = Open(ansiDir.path());
    ASSERT_TRUE(ansiPrefix);
    RegistryAdapter ansiWine(ansiPrefix->Store(), TextSide::Ansi);
    MemoryRegistry ansiMemory(TextSide::Ansi);
    RunScript(ansiWine);
    RunScript(ansiMemory);
    EXPECT_EQ(testing::Listing(ansiMemory, HKEY_CURRENT_USER, "Software\\Script"),
              testing::Listing(ansiWine, HKEY_CURRENT_USER, "Software\\Script"));
}

// Copies every key and value below root\path from one registry into the
// memory registry, the keys and values in reverse order.
void CopyReversed(RegistryApi& from, HKEY root, const std::string& path, MemoryRegistry& to) {
    ScopedKey key(from);
    ASSERT_EQ(from.OpenKeyEx(root, path, KEY_READ, key.out()), ERROR_SUCCESS) << path;
    std::vector<std::string> subkeys;
    std::vector<char> name(70000);
    for (DWORD index = 0;; ++index) {
        DWORD cch = static_cast<DWORD>(name.size());
        if (from.EnumKeyEx(key.get(), index, name.data(), &cch, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name.data(), cch);
    }
    std::vector<std::string> values;
    for (DWORD index = 0;; ++index) {
        DWORD cch = static_cast<DWORD>(name.size());
        if (from.EnumValue(key.get(), index, name.data(), &cch, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        values.emplace_back(name.data(), cch);
    }
    to.CreateKey(root, path);
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        DWORD type = 0;
        std::vector<std::uint8_t> raw;
        ASSERT_EQ(from.QueryValueRaw(key.get(), *it, &type, &raw), ERROR_SUCCESS);
        to.Put(std::string(RootName(root)) + "\\" + path, *it, type, raw);
    }
    for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it)
        CopyReversed(from, root, path + "\\" + *it, to);
}

TEST(WineRegistryStoreWithWine, ARegistryWineMadeListsTheSameInMemory) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    auto wine = Open(testing::SharedWinePrefix());
    ASSERT_TRUE(wine);
    MemoryRegistry memory;
    const std::pair<HKEY, std::string> trees[] = {
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion"},
        {HKEY_CURRENT_USER, "Control Panel"},
    };
    for (const auto& [root, path] : trees) {
        SCOPED_TRACE(path);
        CopyReversed(*wine, root, path, memory);
        const auto listed = testing::Listing(*wine, root, path);
        EXPECT_GT(listed.size(), 50u);
        EXPECT_EQ(testing::Listing(memory, root, path), listed);
    }
}

TEST(WineRegistryStoreWithWine, KeepsTheBufferRulesInAPrefixWineMade) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir dir;
    const std::string prefix = dir / "prefix";
    testing::CopyTemplatePrefix(prefix);
    auto registry = Open(prefix);
    ASSERT_TRUE(registry);
    testing::PlantContract(*registry);
    testing::CheckBufferRules(*registry);
    auto reread = Open(prefix);
    ASSERT_TRUE(reread);
    testing::CheckBufferRules(*reread);
}

}  // namespace
}  // namespace vostrel

// The eight registry operations, run against a Wine prefix's registry.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "system/registry.h"
#include "system/wine/wine_registry.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

class RegistryOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteTestPrefix(dir_.path());
        std::string error;
        registry_ = OpenWineRegistry(dir_.path(), &error);
        ASSERT_TRUE(registry_) << error;
        CreateRegistryKey(*registry_, HKEY_LOCAL_MACHINE, kRun);
    }

    // Kind and stored bytes of a value; kind 0xFFFF when it is missing.
    std::pair<DWORD, std::vector<std::uint8_t>> Stored(std::string_view path,
                                                       std::string_view name) {
        ScopedKey key(*registry_);
        DWORD type = 0xFFFF;
        std::vector<std::uint8_t> data;
        if (registry_->OpenKey(HKEY_LOCAL_MACHINE, path, key.out()) != ERROR_SUCCESS)
            return {0xFFFF, {}};
        if (registry_->QueryValueRaw(key.get(), name, &type, &data) != ERROR_SUCCESS)
            return {0xFFFF, {}};
        return {type, data};
    }

    static std::vector<std::uint8_t> Dword(std::uint32_t v) {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    }
    static std::vector<std::uint8_t> Wide(std::string_view ascii, bool nul) {
        std::vector<std::uint8_t> out;
        for (char c : ascii) out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
        if (nul) out.insert(out.end(), {0, 0});
        return out;
    }

    static constexpr std::string_view kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    testing::TempDir dir_;
    std::unique_ptr<WineRegistry> registry_;
};

TEST_F(RegistryOpsTest, SetRegistryValueChoosesTheKindFromTheText) {
    RegistryApi& api = *registry_;
    const std::pair<const char*, std::int32_t> numbers[] = {{"123", 123}, {" 42 ", 42},
                                                            {"2.5", 2},   {"3.5", 4},
                                                            {"&H10", 16}, {"99999999999", 0},
                                                            {"-7", -7}};
    for (const auto& [text, number] : numbers) {
        SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "n", std::string(text));
        EXPECT_EQ(Stored(kRun, "n"),
                  std::make_pair(REG_DWORD, Dword(static_cast<std::uint32_t>(number))))
            << text;
    }
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "p", std::string("C:\\Tools\\app.exe"));
    EXPECT_EQ(Stored(kRun, "p"), std::make_pair(REG_SZ, Wide("C:\\Tools\\app.exe", false)));
    std::string text;
    ASSERT_TRUE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "p", text));
    EXPECT_EQ(text, "C:\\Tools\\app.exe");  // 16 bytes, no NUL: read back whole
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "t", std::string("  a b  "));
    EXPECT_EQ(Stored(kRun, "t"), std::make_pair(REG_SZ, Wide("a b", false)));
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "e", std::string());
    EXPECT_EQ(Stored(kRun, "e"), std::make_pair(REG_SZ, std::vector<std::uint8_t>{}));
    ASSERT_TRUE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "e", text));
    EXPECT_EQ(text, "");
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "i", std::int32_t{-5});
    EXPECT_EQ(Stored(kRun, "i"), std::make_pair(REG_DWORD, Dword(0xFFFFFFFBu)));

    // Never creates the key.
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", "x", std::string("1"));
    HKEY key = kNullKey;
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryOpsTest, WriteValueToKeyAndCreateKeyAndSetValue) {
    RegistryApi& api = *registry_;
    {
        ScopedKey key(api);
        ASSERT_EQ(api.OpenKeyEx(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS, key.out()),
                  ERROR_SUCCESS);
        EXPECT_EQ(WriteValueToKey(api, key.get(), "abc", REG_SZ, std::string("abc")),
                  ERROR_SUCCESS);
        EXPECT_EQ(WriteValueToKey(api, key.get(), "bin", REG_BINARY, std::string("abc")),
                  ERROR_SUCCESS);
        EXPECT_EQ(WriteValueToKey(api, key.get(), "dw", REG_DWORD, std::string("&HFF")),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(Stored(kRun, "abc"), std::make_pair(REG_SZ, Wide("abc", true)));
    EXPECT_EQ(Stored(kRun, "bin").first, 0xFFFFu);
    EXPECT_EQ(Stored(kRun, "dw"), std::make_pair(REG_DWORD, Dword(255)));

    CreateKeyAndSetValue(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\B\\C", "v", std::string("restored"),
                         REG_SZ);
    EXPECT_EQ(Stored("SOFTWARE\\A\\B\\C", "v"), std::make_pair(REG_SZ, Wide("restored", true)));
    CreateKeyAndSetValue(api, HKEY_LOCAL_MACHINE, "software\\a\\b\\c", "v", std::string("again"),
                         REG_SZ);
    EXPECT_EQ(Stored("SOFTWARE\\A\\B\\C", "v"), std::make_pair(REG_SZ, Wide("again", true)));
    CreateRegistryKey(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\A");  // existing: unchanged
    EXPECT_EQ(Stored("SOFTWARE\\A\\B\\C", "v").first, REG_SZ);
    // Nothing of it reached the other hives; all of it is on disk.
    std::string error;
    auto reopened = OpenWineRegistry(dir_.path(), &error);
    ASSERT_TRUE(reopened) << error;
    std::string text;
    EXPECT_TRUE(QueryRegistryValue(*reopened, HKEY_LOCAL_MACHINE, "SOFTWARE\\A\\B\\C", "v", text));
    EXPECT_EQ(text, "again");
    EXPECT_EQ(testing::ReadTextFile(dir_ / "user.reg"), testing::UserReg());
}

TEST_F(RegistryOpsTest, QueryRegistryValueReadsOnlyTextAndNumbers) {
    RegistryApi& api = *registry_;
    std::string text = "untouched";
    EXPECT_TRUE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Dw", text));
    EXPECT_EQ(text, "-1");  // 0xFFFFFFFF
    text = "untouched";
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Exp", text));
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Multi", text));
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Bin", text));
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Absent", text));
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Absent", "x", text));
    EXPECT_FALSE(QueryRegistryValue(api, HKEY_DYN_DATA, "Software", "x", text));
    EXPECT_EQ(text, "untouched");
    EXPECT_TRUE(
        QueryRegistryValue(api, HKEY_USERS, ".Default\\Control Panel\\Desktop", "Wallpaper", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(QueryRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Long", text));
    EXPECT_EQ(text, std::string(300, 'x'));

    RegValue value = std::string("keep");
    ScopedKey key(api);
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", key.out()), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueFromKey(api, key.get(), "Exp", value), kUnsupportedKind);
    EXPECT_EQ(ReadValueFromKey(api, key.get(), "Absent", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::get<std::string>(value), "keep");
    EXPECT_EQ(ReadValueFromKey(api, kNullKey, "Dw", value), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryOpsTest, DeleteRegistryValue) {
    RegistryApi& api = *registry_;
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "Vostrel", std::string("C:\\v.exe"));
    const std::string before = testing::ReadTextFile(dir_ / "system.reg");
    DeleteRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "NoSuchValue");
    DeleteRegistryValue(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\NoSuchKey", "Vostrel");
    EXPECT_EQ(testing::ReadTextFile(dir_ / "system.reg"), before);
    DeleteRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "VOSTREL");
    EXPECT_EQ(Stored(kRun, "Vostrel").first, 0xFFFFu);
    // The repair blanks a default value this way.
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", "", std::string());
    std::string text = "x";
    EXPECT_TRUE(QueryRegistryValue(api, HKEY_CLASSES_ROOT, ".txt", "", text));
    EXPECT_EQ(text, "");
}

TEST_F(RegistryOpsTest, WritesAreRefusedWholeWhileTheFilesAreNotOurs) {
    RegistryApi& api = *registry_;
    testing::WriteTextFile(dir_ / "userdef.reg", testing::DefaultUserReg() + "\n[X] 1\n");
    const std::string before = testing::ReadTextFile(dir_ / "system.reg");
    SetRegistryValue(api, HKEY_LOCAL_MACHINE, kRun, "Vostrel", std::string("C:\\v.exe"));
    CreateKeyAndSetValue(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\New", "v", std::string("x"), REG_SZ);
    DeleteRegistryValue(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Dw");
    EXPECT_EQ(testing::ReadTextFile(dir_ / "system.reg"), before);
    EXPECT_EQ(Stored(kRun, "Vostrel").first, 0xFFFFu);
    EXPECT_EQ(Stored("Software\\Vostrel", "Dw").first, REG_DWORD);
    HKEY key = kNullKey;
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace vostrel

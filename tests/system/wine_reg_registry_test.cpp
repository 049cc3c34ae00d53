// The advapi32-like registry over a Wine prefix: roots, handles, links,
// buffer rules, text in full Unicode, saving, refusing, and Wine as a peer.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/registry.h"
#include "system/wine/wine_registry.h"
#include "system/wine/wineserver_lock.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

using testing::ReadTextFile;
using testing::TempDir;

using testing::Open;

std::string QueryText(RegistryApi& api, HKEY root, std::string_view path, std::string_view name) {
    std::string text = "<missing>";
    QueryRegistryValue(api, root, path, name, text);
    return text;
}

std::vector<std::string> SubkeyNames(RegistryApi& api, HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (api.EnumKeyEx(key, i, name, &size, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

std::vector<std::uint8_t> Raw(RegistryApi& api, HKEY root, std::string_view path,
                              std::string_view name, DWORD* type = nullptr) {
    ScopedKey key(api);
    api.OpenKey(root, path, key.out());
    std::vector<std::uint8_t> data{0xEE};
    api.QueryValueRaw(key.get(), name, type, &data);
    return data;
}

class WineRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteTestPrefix(dir_.path());
        registry_ = Open(dir_.path());
        ASSERT_TRUE(registry_);
    }
    std::string File(const char* name) const { return dir_ / name; }

    TempDir dir_;
    std::unique_ptr<WineRegistry> registry_;
};

TEST_F(WineRegistryTest, RootsMapToTheirFilesAsInWine) {
    RegistryApi& api = *registry_;
    EXPECT_EQ(QueryText(api, HKEY_CLASSES_ROOT, ".txt", ""), "txtfile");
    EXPECT_EQ(QueryText(api, HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.TXT", ""), "txtfile");
    EXPECT_EQ(QueryText(api, HKEY_CURRENT_USER, "Software\\Wine", "Version"), "win10");
    EXPECT_EQ(QueryText(api, HKEY_USERS, "S-1-5-21-0-0-0-1000\\Software\\Wine", "Version"),
              "win10");
    EXPECT_EQ(QueryText(api, HKEY_USERS, ".DEFAULT\\Control Panel\\Desktop", "Wallpaper"), "");
    EXPECT_EQ(QueryText(api, HKEY_CURRENT_CONFIG, "Software\\Fonts", "LogPixels"), "96");
    EXPECT_EQ(SubkeyNames(api, HKEY_USERS),
              (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
    EXPECT_EQ(SubkeyNames(api, HKEY_LOCAL_MACHINE),
              (std::vector<std::string>{"Software", "System"}));

    HKEY key = 0x1234;
    EXPECT_EQ(api.OpenKeyEx(HKEY_DYN_DATA, "", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, kNullKey);
    EXPECT_EQ(api.OpenKey(HKEY_DYN_DATA, "Anything", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(api.GetPlatformId(), 2u);
    EXPECT_EQ(GetPlatformId(api), 2u);
}

TEST_F(WineRegistryTest, HandlesStayHarmless) {
    RegistryApi& api = *registry_;
    EXPECT_EQ(api.CloseKey(kNullKey), ERROR_SUCCESS);
    EXPECT_EQ(api.CloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    HKEY key = kNullKey;
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", &key), ERROR_SUCCESS);
    EXPECT_NE(key, kNullKey);
    EXPECT_FALSE(IsPredefinedRoot(key));
    EXPECT_EQ(api.CloseKey(key), ERROR_SUCCESS);
    DWORD size = 0;
    char name[16];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(api.QueryValueEx(key, "Dw", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api.EnumKeyEx(key, 0, name, &nameSize, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api.CloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api.QueryValueEx(kNullKey, "Dw", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api.OpenKey(0x80000004u, "", &key), ERROR_INVALID_HANDLE);
    key = 0x5678;
    EXPECT_EQ(api.OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Nothing", KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, kNullKey);
    // A fresh handle never reuses a closed one.
    HKEY again = kNullKey;
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software", &again), ERROR_SUCCESS);
    EXPECT_NE(again, key);
    api.CloseKey(again);
}

TEST_F(WineRegistryTest, LinksAreFollowedAndCyclesEnd) {
    RegistryApi& api = *registry_;
    EXPECT_EQ(QueryText(api, HKEY_CLASSES_ROOT, "Wow6432Node\\AppId\\{A}", "Name"), "a");
    ScopedKey node(api);
    ASSERT_EQ(api.OpenKey(HKEY_CLASSES_ROOT, "Wow6432Node", node.out()), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(api, node.get()), std::vector<std::string>{"AppId"});
    HKEY loop = 0x1234;
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Loop", &loop), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(loop, kNullKey);
    // Keys made through a link land in its target.
    CreateRegistryKey(api, HKEY_CLASSES_ROOT, "Wow6432Node\\AppId\\{New}");
    ScopedKey made(api);
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\AppId\\{New}", made.out()),
              ERROR_SUCCESS);
}

TEST_F(WineRegistryTest, GrowingBuffersReachLongNamesAndData) {
    RegistryApi& api = *registry_;
    ScopedKey key(api);
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", key.out()), ERROR_SUCCESS);
    // Index 0 is the value with a 300-character name.
    char name[255];
    DWORD nameSize = sizeof name;
    std::uint8_t data[255];
    DWORD dataSize = sizeof data;
    EXPECT_EQ(api.EnumValue(key.get(), 0, name, &nameSize, nullptr, data, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 301u);
    std::vector<char> bigName(nameSize);
    nameSize = static_cast<DWORD>(bigName.size());
    dataSize = sizeof data;
    ASSERT_EQ(api.EnumValue(key.get(), 0, bigName.data(), &nameSize, nullptr, data, &dataSize),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(bigName.data(), nameSize), std::string(300, 'a'));
    EXPECT_EQ(dataSize, 4u);

    // "Long" holds 300 characters and its NUL.
    DWORD index = 0;
    for (; index < 20; ++index) {
        nameSize = sizeof name;
        dataSize = 0;
        if (api.EnumValue(key.get(), index, name, &nameSize, nullptr, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            continue;
        if (std::string(name, nameSize) == "Long") break;
    }
    EXPECT_EQ(dataSize, 301u);
    nameSize = sizeof name;
    dataSize = sizeof data;
    DWORD type = 0;
    EXPECT_EQ(api.EnumValue(key.get(), index, name, &nameSize, &type, data, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 301u);
    std::vector<std::uint8_t> bigData(dataSize);
    nameSize = sizeof name;
    ASSERT_EQ(api.EnumValue(key.get(), index, name, &nameSize, &type, bigData.data(), &dataSize),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bigData.data())), std::string(300, 'x'));

    DWORD small = 10;
    EXPECT_EQ(api.QueryValueEx(key.get(), "Long", &type, data, &small), ERROR_MORE_DATA);
    EXPECT_EQ(small, 301u);
    EXPECT_EQ(api.QueryValueEx(key.get(), "Long", &type, data, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(api.QueryValueEx(key.get(), "Absent", &type, nullptr, &small), ERROR_FILE_NOT_FOUND);

    // Past the last item.
    nameSize = sizeof name;
    EXPECT_EQ(api.EnumValue(key.get(), 100, name, &nameSize, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    char cls[8];
    DWORD clsSize = 2;
    nameSize = sizeof name;
    EXPECT_EQ(api.EnumKeyEx(key.get(), 0, name, &nameSize, cls, &clsSize), ERROR_MORE_DATA);
    clsSize = sizeof cls;
    ASSERT_EQ(api.EnumKeyEx(key.get(), 0, name, &nameSize, cls, &clsSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(cls, clsSize), "Cls");
    EXPECT_EQ(api.EnumKeyEx(key.get(), 1, name, &nameSize, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(WineRegistryTest, TextCarriesEveryCharacterInUtf8) {
    RegistryApi& api = *registry_;
    ScopedKey key(api);
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", key.out()), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(api.QueryValueEx(key.get(), "TEXT", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 10u);  // "Caf" + UTF-8 e-acute (2) + " " + UTF-8 日 (3) + NUL
    std::vector<std::uint8_t> data(size);
    DWORD small = 9;  // a byte short: the count needed comes back
    EXPECT_EQ(api.QueryValueEx(key.get(), "text", &type, data.data(), &small), ERROR_MORE_DATA);
    EXPECT_EQ(small, 10u);
    ASSERT_EQ(api.QueryValueEx(key.get(), "text", &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("Caf\xC3\xA9 \xE6\x97\xA5\0", 10));
    // The raw bytes stay as stored.
    EXPECT_EQ(Raw(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Text"),
              (std::vector<std::uint8_t>{'C', 0, 'a', 0, 'f', 0, 0xE9, 0, ' ', 0, 0xE5, 0x65, 0,
                                         0}));
    // A name outside Windows-1252 enumerates as itself, its size in UTF-8
    // bytes, and opens by that name.
    bool sawName = false;
    for (DWORD i = 0;; ++i) {
        char name[400];
        DWORD nameSize = sizeof name;
        if (api.EnumValue(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (std::string(name, nameSize) != "\xE6\x97\xA5") continue;
        sawName = true;
        nameSize = 3;
        EXPECT_EQ(api.EnumValue(key.get(), i, name, &nameSize, nullptr, nullptr, nullptr),
                  ERROR_MORE_DATA);
        EXPECT_EQ(nameSize, 4u);
    }
    EXPECT_TRUE(sawName);
    EXPECT_EQ(api.QueryValueEx(key.get(), "\xE6\x97\xA5", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(api.QueryValueEx(key.get(), "?", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // REG_MULTI_SZ reads whole; REG_EXPAND_SZ as text too.
    ASSERT_EQ(api.QueryValueEx(key.get(), "Multi", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 14u);

    // Text written from UTF-8: exactly the given characters, no NUL added.
    const std::string abc = "abc";
    ASSERT_EQ(api.SetValueEx(key.get(), "NoNul", REG_SZ,
                             reinterpret_cast<const std::uint8_t*>(abc.data()), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(Raw(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "NoNul"),
              (std::vector<std::uint8_t>{'a', 0, 'b', 0, 'c', 0}));
    size = 0;
    api.QueryValueEx(key.get(), "NoNul", &type, nullptr, &size);
    EXPECT_EQ(size, 3u);
    // A CJK character, e-acute and a character outside the Basic Multilingual
    // Plane (a surrogate pair), under a name of such characters.
    const std::string wide = "\xE6\x97\xA5\xC3\xA9\xF0\x9F\x98\x80";
    ASSERT_EQ(api.SetValueEx(key.get(), "Wide \xE6\x97\xA5", REG_SZ,
                             reinterpret_cast<const std::uint8_t*>(wide.data()),
                             static_cast<DWORD>(wide.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(Raw(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "WIDE \xE6\x97\xA5"),
              (std::vector<std::uint8_t>{0xE5, 0x65, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
    ScopedKey created(api);
    ASSERT_EQ(api.CreateKeyEx(HKEY_LOCAL_MACHINE,
                              "Software\\Vostrel\\\xC3\x89t\xC3\xA9 \xE6\x97\xA5", 0,
                              KEY_ALL_ACCESS, created.out(), nullptr),
              ERROR_SUCCESS);
    ScopedKey opened(api);
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel\\\xC3\xA9T\xC3\x89 \xE6\x97\xA5",
                          opened.out()),
              ERROR_SUCCESS);
}

TEST_F(WineRegistryTest, AccessMasksAreChecked) {
    RegistryApi& api = *registry_;
    ScopedKey walk(api);
    ASSERT_EQ(api.OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Vostrel", KEY_ENUMERATE_SUB_KEYS,
                            walk.out()),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(api.QueryValueEx(walk.get(), "Dw", nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SubkeyNames(api, walk.get()), std::vector<std::string>{"Sub"});
    ScopedKey read(api);
    ASSERT_EQ(api.OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Vostrel", KEY_READ, read.out()),
              ERROR_SUCCESS);
    EXPECT_EQ(api.QueryValueEx(read.get(), "Dw", nullptr, nullptr, &size), ERROR_SUCCESS);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(api.SetValueEx(read.get(), "Dw", REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(api.DeleteValue(read.get(), "Dw"), ERROR_ACCESS_DENIED);
    // Nothing may be made directly under HKEY_USERS.
    HKEY made = 0x1234;
    EXPECT_EQ(api.CreateKeyEx(HKEY_USERS, "S-1-5-99", 0, KEY_ALL_ACCESS, &made, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(made, kNullKey);
    EXPECT_EQ(api.SetValueEx(HKEY_USERS, "x", REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
}

TEST_F(WineRegistryTest, EveryWriteIsSavedAndEveryKindRoundTrips) {
    RegistryApi& api = *registry_;
    ScopedKey key(api);
    DWORD disposition = 0;
    ASSERT_EQ(api.CreateKeyEx(HKEY_CURRENT_USER, "Software\\Vostrel\\Kinds", 0, KEY_ALL_ACCESS,
                              key.out(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    std::vector<std::pair<DWORD, std::vector<std::uint8_t>>> kinds;
    for (DWORD kind : {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                       REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST, REG_QWORD, 0x12345u})
        for (std::size_t size : {0u, 1u, 3u, 4u, 8u, 255u, 256u, 70000u}) {
            std::vector<std::uint8_t> data(size);
            for (std::size_t i = 0; i < size; ++i)
                data[i] = static_cast<std::uint8_t>(i * 7 + kind);
            if (size >= 2 && size % 2 == 0 && IsTextKind(kind)) data[size - 1] = data[size - 2] = 0;
            kinds.emplace_back(kind, data);
        }
    // The first few are saved one by one, the rest in one batch.
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i == 8) registry_->BeginBatch();
        ASSERT_EQ(api.SetValueRaw(key.get(), "v" + std::to_string(i), kinds[i].first,
                                  kinds[i].second),
                  ERROR_SUCCESS);
    }
    ASSERT_TRUE(registry_->EndBatch());
    auto reopened = Open(dir_.path());
    ASSERT_TRUE(reopened);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        DWORD type = 0;
        EXPECT_EQ(Raw(*reopened, HKEY_CURRENT_USER, "Software\\Vostrel\\Kinds",
                      "v" + std::to_string(i), &type),
                  kinds[i].second)
            << i;
        EXPECT_EQ(type, kinds[i].first);
    }
    // The changed key carries a fresh time; the file still round-trips.
    const std::string user = ReadTextFile(File("user.reg"));
    EXPECT_EQ(user.find("[Software\\\\Vostrel\\\\Kinds] 1796795856"), std::string::npos);
    std::string error;
    auto parsed = RegFile::Parse("user.reg", user, &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_TRUE(parsed->Serialize() == user);
    // Only the hive that changed was written.
    EXPECT_EQ(ReadTextFile(File("system.reg")), testing::MachineReg());
    EXPECT_EQ(ReadTextFile(File("userdef.reg")), testing::DefaultUserReg());
}

TEST_F(WineRegistryTest, BatchesSaveOnceAtTheEnd) {
    RegistryApi& api = *registry_;
    registry_->BeginBatch();
    const std::uint8_t one[4] = {1, 0, 0, 0};
    ScopedKey key(api);
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", key.out()), ERROR_SUCCESS);
    EXPECT_EQ(api.SetValueEx(key.get(), "A", REG_DWORD, one, 4), ERROR_SUCCESS);
    EXPECT_EQ(api.DeleteValue(key.get(), "Bin"), ERROR_SUCCESS);
    EXPECT_EQ(api.DeleteValue(key.get(), "Bin"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadTextFile(File("system.reg")), testing::MachineReg());
    std::string error;
    EXPECT_TRUE(registry_->EndBatch(&error)) << error;
    const std::string saved = ReadTextFile(File("system.reg"));
    EXPECT_NE(saved.find("\"A\"=dword:00000001"), std::string::npos);
    EXPECT_EQ(saved.find("\"Bin\""), std::string::npos);
    // Setting a value to what it already holds writes nothing.
    const auto before = std::filesystem::last_write_time(File("system.reg"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(api.SetValueEx(key.get(), "A", REG_DWORD, one, 4), ERROR_SUCCESS);
    EXPECT_EQ(std::filesystem::last_write_time(File("system.reg")), before);
}

bool FailingWriter(const std::string&, std::string_view, std::string* error) {
    *error = "disk full";
    return false;
}

TEST_F(WineRegistryTest, AFailedSaveChangesNothing) {
    RegistryApi& api = *registry_;
    registry_->SetFileWriterForTesting(&FailingWriter);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    ScopedKey key(api);
    ASSERT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\Vostrel", key.out()), ERROR_SUCCESS);
    EXPECT_NE(api.SetValueEx(key.get(), "Dw", REG_DWORD, one, 4), ERROR_SUCCESS);
    EXPECT_NE(registry_->LastError().find("disk full"), std::string::npos);
    EXPECT_EQ(QueryText(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Dw"), "-1");
    EXPECT_NE(api.DeleteValue(key.get(), "Dw"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(api, HKEY_LOCAL_MACHINE, "Software\\Vostrel", "Dw"), "-1");
    HKEY made = 0x1234;
    EXPECT_NE(api.CreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", 0, KEY_ALL_ACCESS, &made,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(made, kNullKey);
    EXPECT_EQ(api.OpenKey(HKEY_LOCAL_MACHINE, "Software\\New", &made), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadTextFile(File("system.reg")), testing::MachineReg());
}

TEST_F(WineRegistryTest, AFileChangedOnDiskRefusesWrites) {
    RegistryApi& api = *registry_;
    EXPECT_FALSE(api.WriteRefusal());
    const std::string changed = testing::MachineReg() + "\n[Software\\\\Other] 1\n";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    testing::WriteTextFile(File("system.reg"), changed);
    const auto why = api.WriteRefusal();
    ASSERT_TRUE(why);
    EXPECT_NE(why->find(File("system.reg")), std::string::npos);
    const std::uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(api.SetValueEx(HKEY_CURRENT_USER, "x", REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadTextFile(File("system.reg")), changed);
    EXPECT_EQ(ReadTextFile(File("user.reg")), testing::UserReg());
    EXPECT_EQ(QueryText(api, HKEY_CURRENT_USER, "Software\\Wine", "Version"),
              "win10");  // reading goes on
}

// A save killed part way leaves the old file or the new one, never a mix.
TEST(WineRegistryCrash, AKilledSaveLeavesAWholeFile) {
    TempDir dir;
    std::string machine =
        testing::MachineReg() + "\n[Software\\\\Big] 1796795856\n#time=1dd87a231203b4c\n";
    for (int i = 100000; i < 250000; ++i)
        machine += "\"value" + std::to_string(i) + "\"=\"C:\\\\Program Files\\\\App\\\\file" +
                   std::to_string(i) + ".dll\"\n";
    testing::WriteTestPrefix(dir.path(), machine);
    const std::string path = dir / "system.reg";
    bool sawTemp = false;
    for (int round = 0; round < 2; ++round) {
        const std::string before = ReadTextFile(path);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            auto registry = OpenWineRegistry(dir.path(), &error);
            const std::uint8_t data[4] = {static_cast<std::uint8_t>(round + 1), 0, 0, 0};
            if (registry) registry->SetValueEx(HKEY_LOCAL_MACHINE, "Round", REG_DWORD, data, 4);
            ::_exit(0);
        }
        // Kill it the moment its temporary file shows up.
        bool killed = false;
        while (!killed) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                if (entry.path().filename().string().rfind("system.reg.", 0) == 0) {
                    ::kill(child, SIGKILL);
                    killed = sawTemp = true;
                    break;
                }
            }
            if (!killed && ::waitpid(child, nullptr, WNOHANG) == child) break;
        }
        if (killed) ::waitpid(child, nullptr, 0);
        const std::string after = ReadTextFile(path);
        std::string error;
        EXPECT_TRUE(RegFile::Parse(path, after, &error)) << error;
        if (after != before) {
            EXPECT_NE(after.find("\"Round\"=dword:"), std::string::npos);
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind("system.reg.", 0) == 0)
                std::filesystem::remove(entry.path());
    }
    if (!sawTemp) std::cout << "note: the save was never caught part way\n";
}

TEST(WineRegistryOpen, BadPrefixesGiveClearErrorsAndWriteNothing) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(OpenWineRegistry(dir / "missing", &error));
    EXPECT_NE(error.find(dir / "missing"), std::string::npos);
    EXPECT_NE(error.find("does not exist"), std::string::npos);

    testing::WriteTextFile(dir / "file", "x");
    EXPECT_FALSE(OpenWineRegistry(dir / "file", &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos);

    std::filesystem::create_directories(dir / "empty");
    EXPECT_FALSE(OpenWineRegistry(dir / "empty", &error));
    EXPECT_NE(error.find("no system.reg"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "empty"));

    testing::WriteTestPrefix(dir / "bad");
    const std::string cut = testing::UserReg().substr(0, testing::UserReg().size() - 5);
    testing::WriteTextFile(dir / "bad/user.reg", cut);
    EXPECT_FALSE(OpenWineRegistry(dir / "bad", &error));
    EXPECT_NE(error.find(dir / "bad/user.reg line 8"), std::string::npos) << error;
    EXPECT_EQ(ReadTextFile(dir / "bad/user.reg"), cut);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "bad"))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 3);

    // A prefix without user.reg / userdef.reg still opens; their roots are empty.
    std::filesystem::create_directories(dir / "machine-only");
    testing::WriteTextFile(dir / "machine-only/system.reg", testing::MachineReg());
    auto registry = OpenWineRegistry(dir / "machine-only", &error);
    ASSERT_TRUE(registry) << error;
    EXPECT_EQ(SubkeyNames(*registry, HKEY_USERS),
              (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
    EXPECT_TRUE(SubkeyNames(*registry, HKEY_CURRENT_USER).empty());
}

// ---------------------------------------------------------------- with Wine

TEST(WineRegistryWithWine, ARunningWineserverRefusesWritesUntilItEnds) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    TempDir dir;
    const std::string prefix = dir / "prefix";
    testing::CopyTemplatePrefix(prefix);
    auto registry = Open(prefix);
    ASSERT_TRUE(registry);
    EXPECT_EQ(RunningWineserver(prefix), 0);
    testing::StartPersistentWineserver(prefix);
    EXPECT_NE(RunningWineserver(prefix), 0);
    const std::string before = ReadTextFile(prefix + "/user.reg");
    const std::uint8_t one[4] = {1, 0, 0, 0};
    EXPECT_EQ(registry->SetValueEx(HKEY_CURRENT_USER, "Refused", REG_DWORD, one, 4),
              ERROR_ACCESS_DENIED);
    const auto why = registry->WriteRefusal();
    ASSERT_TRUE(why);
    EXPECT_NE(why->find(prefix), std::string::npos) << *why;
    EXPECT_NE(why->find("wineserver -k"), std::string::npos) << *why;
    EXPECT_NE(why->find("wineserver -w"), std::string::npos) << *why;
    EXPECT_EQ(ReadTextFile(prefix + "/user.reg"), before);
    EXPECT_FALSE(SubkeyNames(*registry, HKEY_CURRENT_USER).empty());  // reading goes on meanwhile
    testing::KillWineserver(prefix);
    EXPECT_EQ(RunningWineserver(prefix), 0);
    if (registry->WriteRefusal()) registry = Open(prefix);  // it saved as it ended
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->SetValueEx(HKEY_CURRENT_USER, "Allowed", REG_DWORD, one, 4), ERROR_SUCCESS)
        << registry->LastError();
}

// Wine reads our files as we meant them, and writes them back the same.
TEST(WineRegistryWithWine, WineReadsWhatWeWrite) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const std::string& prefix = testing::SharedWinePrefix();
    testing::WaitForWineserver(prefix);
    auto registry = Open(prefix);
    ASSERT_TRUE(registry);
    RegistryApi& api = *registry;
    const std::string sub = "Software\\Vostrel Peer\\[Odd] \"name\"";
    CreateKeyAndSetValue(api, HKEY_CURRENT_USER, sub, "Path", std::string("C:\\Tools\\app.exe"),
                         REG_SZ);
    SetRegistryValue(api, HKEY_CURRENT_USER, sub, "Number", std::string("42"));
    std::vector<std::pair<std::string, std::pair<DWORD, std::vector<std::uint8_t>>>> raws{
        {"multi", {REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}},
        {"tab\tand\\slash", {REG_SZ, {'\t', 0, 0x00, 0x20, '7', 0, 0, 0}}},
        {"odd", {REG_EXPAND_SZ, {'x', 0, 'y'}}},
        {"bin", {REG_BINARY, std::vector<std::uint8_t>(333, 0x5A)}},
        {"", {REG_SZ, {'d', 0, 0, 0}}},
        {"kind", {0x4242, {1, 2, 3}}},
    };
    {
        ScopedKey key(api);
        ASSERT_EQ(api.OpenKey(HKEY_CURRENT_USER, sub, key.out()), ERROR_SUCCESS);
        for (const auto& [name, value] : raws)
            ASSERT_EQ(api.SetValueRaw(key.get(), name, value.first, value.second), ERROR_SUCCESS);
    }
    CreateKeyAndSetValue(api, HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Vostrel",
                         std::string("C:\\vostrel.exe"), REG_SZ);
    registry.reset();

    std::string out;
    ASSERT_EQ(testing::RunWine(prefix, {"reg", "query", "HKCU\\" + sub, "/v", "Path"}, &out), 0);
    EXPECT_NE(out.find("C:\\Tools\\app.exe"), std::string::npos) << out;
    ASSERT_EQ(testing::RunWine(prefix,
                               {"reg", "query",
                                "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v",
                                "Vostrel"},
                               &out),
              0);
    EXPECT_NE(out.find("C:\\vostrel.exe"), std::string::npos) << out;
    // Make Wine save user.reg itself, then compare what it wrote.
    ASSERT_EQ(testing::RunWine(prefix, {"reg", "add", "HKCU\\Software\\Vostrel Touch", "/f"}), 0);
    testing::WaitForWineserver(prefix);
    auto again = Open(prefix);
    ASSERT_TRUE(again);
    for (const auto& [name, value] : raws) {
        DWORD type = 0;
        EXPECT_EQ(Raw(*again, HKEY_CURRENT_USER, sub, name, &type), value.second) << name;
        EXPECT_EQ(type, value.first) << name;
    }
    EXPECT_EQ(Raw(*again, HKEY_CURRENT_USER, sub, "Path"),
              (std::vector<std::uint8_t>{'C', 0, ':', 0, '\\', 0, 'T', 0, 'o', 0, 'o', 0,
                                         'l', 0, 's', 0, '\\', 0, 'a', 0, 'p', 0, 'p', 0,
                                         '.', 0, 'e', 0, 'x',  0, 'e', 0, 0,   0}));
    EXPECT_EQ(QueryText(*again, HKEY_CURRENT_USER, sub, "Number"), "42");
}

}  // namespace
}  // namespace vostrel

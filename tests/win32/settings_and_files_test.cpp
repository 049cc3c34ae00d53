// The Windows settings store, the program's folder, atomic file writes and
// the machine the program looks at.
#include "system/win32/registry_settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "system/atomic_file.h"
#include "system/machine.h"
#include "system/registry.h"
#include "system/win32/win32_registry.h"
#include "win32/native_fixtures.h"

namespace vostrel {
namespace {

using testing::ScratchFolder;
using testing::ScratchKey;

TEST(RegistrySettings, LiveWhereTheVisualBasicRuntimeKeptThem) {
    EXPECT_EQ(DefaultSettingsKey(),
              "Software\\VB and VBA Program Settings\\Vostrel 2006\\Settings");
    EXPECT_EQ(DefaultSettingsPath(),
              "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Vostrel 2006\\Settings");
}

TEST(RegistrySettings, EmptyStoreGivesEachReaderItsOwnDefault) {
    ScratchKey scratch;
    RegistrySettingsStore store(scratch.path() + "\\Settings");
    EXPECT_EQ(store.Get("chkMakeLogFile", "0"), "0");
    EXPECT_EQ(store.Get("chkMakeLogFile", "1"), "1");
    EXPECT_EQ(store.Get("Registry Integrity", "True"), "True");
    Win32Registry api;
    HKEY key = kNullKey;
    EXPECT_NE(api.OpenKey(HKEY_CURRENT_USER, scratch.path(), &key),
              ERROR_SUCCESS);  // reading writes nothing
}

TEST(RegistrySettings, KeysIgnoreCaseAndValuesAreStoredTexts) {
    ScratchKey scratch;
    const std::string keyPath = scratch.path() + "\\Settings";
    {
        RegistrySettingsStore store(keyPath);
        EXPECT_TRUE(store.Save("txtBackUp", "C:\\Backups"));
        EXPECT_EQ(store.Get("txtBackup", ""), "C:\\Backups");
        EXPECT_TRUE(store.Save("TXTBACKUP", "D:\\\xD0\x96urnal"));  // outside the ANSI code page
        EXPECT_TRUE(store.Save("Window Shortcut C", "False"));
        EXPECT_TRUE(store.Save("txtLogFile", ""));
    }
    RegistrySettingsStore again(keyPath);
    EXPECT_EQ(again.Get("txtbackup", ""), "D:\\\xD0\x96urnal");
    EXPECT_EQ(again.Get("window shortcut c", "True"), "False");
    EXPECT_EQ(again.Get("txtLogFile", "fallback"), "");

    Win32Registry api;
    std::string stored;
    ASSERT_TRUE(QueryRegistryValue(api, HKEY_CURRENT_USER, keyPath, "Window Shortcut C", stored));
    EXPECT_EQ(stored, "False");
    // A value of another kind is not a setting.
    SetRegistryValue(api, HKEY_CURRENT_USER, keyPath, "chkPlaySound", std::string("1"));
    EXPECT_EQ(again.Get("chkPlaySound", "0"), "0");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramWhenWritable) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(folder) / "test_win32.exe"))
        << folder;
}

TEST(AtomicFile, ReplacesWholeAndLeavesNothingBeside) {
    ScratchFolder folder;
    const std::string path = folder /
                             "\xC3\x9C"
                             "bersicht.txt";
    std::string contents;
    EXPECT_FALSE(ReadWholeFile(path, contents));
    ASSERT_TRUE(WriteFileAtomically(path, "first\r\nversion"));
    ASSERT_TRUE(WriteFileAtomically(path, std::string("second\0", 7)));
    ASSERT_TRUE(ReadWholeFile(path, contents));
    EXPECT_EQ(contents, std::string("second\0", 7));
    std::size_t entries = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::u8path(folder.path()))) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(folder / "no folder\\x.txt", "x", &error));
    EXPECT_NE(error.find("no folder"), std::string::npos) << error;
}

TEST(LocalMachine, OpensThisComputerAndNoWinePrefix) {
    MachineResult local = OpenLocalMachine();
    ASSERT_NE(local.machine, nullptr) << local.error;
    EXPECT_NE(local.machine->description.find("this computer"), std::string::npos);
    EXPECT_FALSE(local.machine->files->GetWindowsDirectory().empty());
    EXPECT_EQ(GetPlatformId(*local.machine->registry), 2u);
    MachineResult prefix = OpenWinePrefix("C:\\wine");
    EXPECT_EQ(prefix.machine, nullptr);
    EXPECT_NE(prefix.error.find("C:\\wine"), std::string::npos);
}

}  // namespace
}  // namespace vostrel

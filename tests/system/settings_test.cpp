#include "system/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vostrel {
namespace {

using testing::ReadTextFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteTextFile;

TEST(SettingsStore, EmptyStoreGivesEachReaderItsOwnDefault) {
    TempDir dir;
    IniSettingsStore store(dir / "Vostrel 2006.ini");
    // The report option reads as off for the report and as on for the settings window.
    EXPECT_EQ(store.Get("chkMakeLogFile", "0"), "0");
    EXPECT_EQ(store.Get("chkMakeLogFile", "1"), "1");
    EXPECT_EQ(store.Get("Registry Integrity", "True"), "True");
    EXPECT_FALSE(std::filesystem::exists(dir / "Vostrel 2006.ini"));  // reading writes nothing
}

TEST(SettingsStore, KeysIgnoreLetterCaseAndValuesPersist) {
    TempDir dir;
    const std::string path = dir / "cfg/Vostrel 2006.ini";
    {
        IniSettingsStore store(path);
        EXPECT_TRUE(store.Save("txtBackUp", "C:\\Backups"));
        EXPECT_EQ(store.Get("txtBackup", ""), "C:\\Backups");
        EXPECT_TRUE(store.Save("TXTBACKUP", "D:\\Other"));
        EXPECT_TRUE(store.Save("Window Shortcut C", "False"));
    }
    IniSettingsStore again(path);
    EXPECT_EQ(again.Get("txtbackup", ""), "D:\\Other");
    EXPECT_EQ(again.Get("window shortcut c", "True"), "False");
    const std::string text = ReadTextFile(path);
    EXPECT_EQ(text, "[Settings]\ntxtBackUp=D:\\Other\nWindow Shortcut C=False\n");
}

TEST(SettingsStore, SeesWritesFromAnotherStoreAndKeepsForeignSections) {
    TempDir dir;
    const std::string path = dir / "Vostrel 2006.ini";
    WriteTextFile(path, "; kept\n[Other]\na=1\n[Settings]\nchkPlaySound=1\n[Later]\nb=2\n");
    IniSettingsStore first(path), second(path);
    EXPECT_EQ(first.Get("chkPlaySound", "0"), "1");
    second.Save("chkPlaySound", "0");
    EXPECT_EQ(first.Get("chkPlaySound", "1"), "0");
    EXPECT_EQ(ReadTextFile(path),
              "; kept\n[Other]\na=1\n[Settings]\nchkPlaySound=0\n[Later]\nb=2\n");
}

TEST(SettingsStore, LineBreaksInValuesCannotForgeKeys) {
    TempDir dir;
    IniSettingsStore store(dir / "s.ini");
    store.Save("txtLogFile", "C:\\Logs\nchkPlaySound=1");
    EXPECT_EQ(store.Get("chkPlaySound", "0"), "0");
}

// A file written on Windows, or by an editor that doubled its line ends:
// a setting reads the same before and after another one is saved.
TEST(SettingsStore, CarriageReturnsAtTheLineEndAreNotPartOfTheValue) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteTextFile(path, "[Settings]\r\ntxtBackUp=D:\\Backups\r\r\nchkPlaySound=1\r\r");
    IniSettingsStore store(path);
    EXPECT_EQ(store.Get("txtBackUp", ""), "D:\\Backups");
    EXPECT_EQ(store.Get("chkPlaySound", ""), "1");
    ASSERT_TRUE(store.Save("chkMakeBackUp", "1"));
    IniSettingsStore again(path);
    EXPECT_EQ(again.Get("txtBackUp", ""), "D:\\Backups");
    EXPECT_EQ(again.Get("chkPlaySound", ""), "1");
    EXPECT_EQ(again.Get("chkMakeBackUp", ""), "1");
}

TEST(SettingsStore, DefaultLocationsFollowXdgFolders) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir / "config");
    ScopedEnv data("XDG_DATA_HOME", dir / "data");
    EXPECT_EQ(DefaultSettingsPath(), dir / "config/vostrel/Vostrel 2006.ini");
    EXPECT_EQ(ProgramFolder(), dir / "data/vostrel");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "data/vostrel"));
}

}  // namespace
}  // namespace vostrel

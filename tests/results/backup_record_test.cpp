// Backup records as typed values: every kind goes through its line and
// comes back equal, and lines written by earlier versions (the fuzz seeds
// among them) read as they always did.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "results/backup_codec.h"
#include "results/backup_record.h"

using namespace vostrel;

namespace {

SavedValue Value(DWORD kind, std::vector<std::uint8_t> data) {
    return {true, kind, std::move(data)};
}

// The plain (unshifted) text of an encoded line, for pinning its bytes.
std::string Plain(const BackupRecord& record) {
    return DecodeBackupText(EncodeBackupRecord(record));
}

BackupRecord Decoded(std::string_view plainLine) {
    const DecodedRecord decoded = DecodeBackupRecord(EncodeBackupText(plainLine));
    EXPECT_TRUE(decoded.record) << plainLine << ": " << decoded.why;
    return decoded.record.value_or(ShortcutRecord{});
}

std::string Why(std::string_view plainLine) {
    const DecodedRecord decoded = DecodeBackupRecord(EncodeBackupText(plainLine));
    EXPECT_FALSE(decoded.record) << plainLine;
    return decoded.why;
}

TEST(BackupRecordTest, EveryKindComesBackEqual) {
    const std::vector<BackupRecord> records = {
        // a value with its data, in a key and under names the format must escape
        RegistryRecord{"HKEY_LOCAL_MACHINE", "Software\\Caret^Key", "C:\\Program Files\\é\\a.exe",
                       "Name\x1B^", false, Value(REG_SZ, {'a', 0, 0, 0}), std::nullopt},
        // a key's default value, with the value literally named "(Default)"
        RegistryRecord{"HKEY_CURRENT_USER", "Software\\A", "C:\\a.exe", "(Default)", false,
                       Value(REG_EXPAND_SZ, {}), SavedValue{}},
        RegistryRecord{"HKEY_CURRENT_USER", "Software\\A", "C:\\a.exe", "(Default)", true,
                       SavedValue{}, Value(0xFFFFFFFF, {0xFF, 0x00})},
        // a value that was not there at all
        RegistryRecord{"HKEY_USERS", "S-1-5-21\\Run", "C:\\b.exe", "B", true, SavedValue{},
                       std::nullopt},
        // a record of an earlier version: no saved value
        RegistryRecord{"HKEY_LOCAL_MACHINE", "Software\\Run", "C:\\Tools\\tool.exe", "Tool", true,
                       std::nullopt, std::nullopt},
        ShortcutRecord{"C:\\users\\me\\Desktop\\漢字 ^.lnk", "3 漢字 ^.lnk"},
        ShortcutRecord{"C:\\Desktop\\Tool.lnk", std::nullopt},
        HostFileRecord{HostFileKind::MenuEntry,
                       "/home/u/.local/share/applications/wine/caf\xE9.desktop",
                       "1 caf\xE9.desktop"},
        HostFileRecord{HostFileKind::Icon,
                       "/home/u/.local/share/icons/hicolor/32x32/apps/A_a.0.png", "2 A_a.0.png"},
        // a key taken out whole: its default value, a name to escape, an empty
        // value and one of an unknown kind, each kept as stored
        KeyRecord{"HKEY_LOCAL_MACHINE",
                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\old^game.exe",
                  "C:\\Games\\old.exe",
                  {{"", REG_SZ, {'C', 0, ':', 0, 0, 0}},
                   {"Path ^\x1B", REG_EXPAND_SZ, {}},
                   {"Odd", 0xFFFFFFFF, {0x00, 0xFF}}}},
        KeyRecord{"HKEY_CURRENT_USER", "Software\\Uninstall\\Empty", "C:\\u.exe", {}},
    };
    for (const auto& record : records) {
        const std::string line = EncodeBackupRecord(record);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        const DecodedRecord decoded = DecodeBackupRecord(line);
        ASSERT_TRUE(decoded.record) << Plain(record) << ": " << decoded.why;
        EXPECT_EQ(*decoded.record, record) << Plain(record);
    }
    // A whole file: line numbers count from one, empty lines are no records.
    std::string contents;
    for (const auto& record : records) contents += EncodeBackupRecord(record) + "\r\n\r\n";
    const auto numbered = DecodeBackupRecords(contents);
    ASSERT_EQ(numbered.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(numbered[i].lineNumber, 2 * i + 1);
        EXPECT_EQ(numbered[i].decoded.record, records[i]);
    }
}

TEST(BackupRecordTest, LinesAreWrittenAsEarlierVersionsWroteThem) {
    EXPECT_EQ(Plain(RegistryRecord{"HKEY_LOCAL_MACHINE", "Software\\Run", "C:\\Tools\\tool.exe",
                                   "Tool", false, std::nullopt, std::nullopt}),
              "R^HKEY_LOCAL_MACHINE^Software\\Run^C:\\Tools\\tool.exe^Tool^");
    EXPECT_EQ(Plain(RegistryRecord{"HKEY_CURRENT_USER", "Software\\A", "C:\\a.exe", "(Default)",
                                   false, Value(REG_SZ, {'a', 0}), SavedValue{}}),
              "R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^(Default)^^1^6100^-^");
    EXPECT_EQ(Plain(RegistryRecord{"HKEY_CURRENT_USER", "Software\\A", "C:\\a.exe", "B", true,
                                   SavedValue{}, std::nullopt}),
              "R^HKEY_CURRENT_USER^Software\\A^C:\\a.exe^B^Yes^-^");
    EXPECT_EQ(Plain(ShortcutRecord{"C:\\x\\a.lnk", "1 a.lnk"}), "S^C:\\x\\a.lnk^1 a.lnk");
    EXPECT_EQ(Plain(ShortcutRecord{"C:\\Desktop\\Tool.lnk", std::nullopt}),
              "S^C:\\Desktop\\Tool.lnk");
    EXPECT_EQ(Plain(HostFileRecord{HostFileKind::Icon, "/i/a.png", "1 a.png"}),
              "I^/i/a.png^1 a.png");
    // "^" in a field is escaped, never a field separator.
    EXPECT_EQ(Plain(ShortcutRecord{"C:\\a^b.lnk", "1 a^b.lnk"}),
              "S^C:\\a\x1B"
              "00005Eb.lnk^1 a\x1B"
              "00005Eb.lnk");
}

TEST(BackupRecordTest, OldAndLooseLinesReadAsBefore) {
    // Earlier versions: six registry fields, shortcuts without a copy name.
    EXPECT_EQ(Decoded("R^HKEY_LOCAL_MACHINE^Software\\Run^C:\\Tools\\tool.exe^Tool^"),
              BackupRecord(RegistryRecord{"HKEY_LOCAL_MACHINE", "Software\\Run",
                                          "C:\\Tools\\tool.exe", "Tool", false, std::nullopt,
                                          std::nullopt}));
    EXPECT_EQ(Decoded("S^C:\\Desktop\\Tool.lnk"),
              BackupRecord(ShortcutRecord{"C:\\Desktop\\Tool.lnk", std::nullopt}));
    // The kind and the system-folder mark are read case-blind and trimmed.
    const auto loose = std::get<RegistryRecord>(Decoded(" r ^HKEY_USERS^K^C:\\w\\x.dll^V^ yes "));
    EXPECT_TRUE(loose.systemFolder);
    EXPECT_EQ(loose.keyPath, "K");
    EXPECT_EQ(std::get<HostFileRecord>(Decoded("m^/a.desktop^1 a.desktop")).kind,
              HostFileKind::MenuEntry);
    EXPECT_EQ(std::get<HostFileRecord>(Decoded(" i^/a.png^1 a.png")).kind, HostFileKind::Icon);
    // A saved value that does not read is taken for a record without one
    // (restored as the recorded text); the literal needs the value before it.
    for (const char* line :
         {"R^HKCU^K^C:\\a.exe^V^^1", "R^HKCU^K^C:\\a.exe^V^^-^00", "R^HKCU^K^C:\\a.exe^V^^1^0G",
          "R^HKCU^K^C:\\a.exe^V^^99999999999^00", "R^HKCU^K^C:\\a.exe^V^^+1^00"}) {
        const auto record = std::get<RegistryRecord>(Decoded(line));
        EXPECT_FALSE(record.value) << line;
        EXPECT_FALSE(record.literalDefault) << line;
    }
    const auto bad = std::get<RegistryRecord>(Decoded("R^HKCU^K^C:\\a.exe^(Default)^^1^00^2^X"));
    EXPECT_EQ(bad.value, Value(REG_SZ, {0}));
    EXPECT_FALSE(bad.literalDefault);
    // Extra fields after a shortcut's copy name are passed over.
    EXPECT_EQ(Decoded("S^C:\\a.lnk^1 a.lnk^more"),
              BackupRecord(ShortcutRecord{"C:\\a.lnk", "1 a.lnk"}));
}

TEST(BackupRecordTest, LinesThatAreNoRecordSayWhy) {
    EXPECT_EQ(Why("R^HKCU^K^C:\\a.exe^V"), "a registry record with 5 fields");
    EXPECT_EQ(Why("S"), "a shortcut record without a path");
    EXPECT_EQ(Why("S^  "), "a shortcut record without a path");
    EXPECT_EQ(Why("M^/a.desktop"), "a menu entry record without a path or a copy");
    EXPECT_EQ(Why("I^ ^1 a.png"), "a menu entry record without a path or a copy");
    EXPECT_EQ(Why("Q^x"), "unknown record kind \"Q\"");
    EXPECT_EQ(Why("K^HKCU^Software\\A^C:\\a.exe^Name^1"), "a key record with 6 fields");
    EXPECT_EQ(Why("K^HKCU^ ^C:\\a.exe"), "a key record with 4 fields");
    EXPECT_EQ(Why("K^HKCU^Software\\A^C:\\a.exe^Name^x^00"),
              "a key record whose value \"Name\" cannot be read");
    EXPECT_EQ(Why("K^HKCU^Software\\A^C:\\a.exe^Name^1^0g"),
              "a key record whose value \"Name\" cannot be read");
    EXPECT_EQ(Why("S^C:\\a\x1B"
                  "00zz.lnk"),
              "the line cannot be read");
    EXPECT_EQ(DecodeBackupRecord("\x05S^x").why, "the line cannot be read");
    EXPECT_TRUE(DecodeBackupRecords("").empty());
    EXPECT_TRUE(DecodeBackupRecords("\r\n\n").empty());
}

// The fuzz seeds hold records of every version: each reads as a record and
// writes back to the same bytes.
TEST(BackupRecordTest, TheFuzzSeedsReadAndWriteBackUnchanged) {
    const std::filesystem::path seeds =
        std::filesystem::path(VOSTREL_SOURCE_DIR) / "fuzz" / "corpus" / "backup_file";
    std::size_t records = 0;
    for (const char* name : {"hostile", "new_records", "old_records", "raw_name_bytes"}) {
        std::ifstream in(seeds / name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        std::ostringstream contents;
        contents << in.rdbuf();
        const auto lines = SplitBackupLines(contents.str());
        for (const auto& numbered : DecodeBackupRecords(contents.str())) {
            ASSERT_TRUE(numbered.decoded.record) << name << ": " << numbered.decoded.why;
            EXPECT_EQ(EncodeBackupRecord(*numbered.decoded.record),
                      lines.at(numbered.lineNumber - 1))
                << name << " line " << numbered.lineNumber;
            ++records;
        }
    }
    EXPECT_EQ(records, 8u);
}

}  // namespace

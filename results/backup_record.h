// The records of a backup file as typed values: one type per record kind,
// one encode and one decode, over the line format of results/backup_codec.
//
//   R  root name, key path, missing path, value name, system-folder mark
//      ("Yes" or empty), then the value's kind and hexadecimal data ("-" and
//      empty when there was no such value), then, for a key's default value,
//      the same pair for a value literally named "(Default)". Records
//      written before the value was kept end after the mark.
//   S  the shortcut's Windows path, then the name of its copy in the
//      backup's "… files" folder; earlier versions wrote no copy name and
//      kept the copy in the backup folder under the shortcut's own name.
//   M  a menu entry's host path and the name of its copy.
//   I  an icon removed with a menu entry: its host path and its copy.
//   K  a key the repair took out whole: root name, key path, the missing
//      path of its registration, then each of its values as three fields:
//      its name (empty for the default value), its kind and its
//      hexadecimal data. Earlier versions never wrote this kind.
//
// The record kind is read case-blind and trimmed, as earlier versions did.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "results/backup_file.h"

namespace vostrel {

struct RegistryRecord {
    std::string rootName;  // "HKEY_LOCAL_MACHINE", …; resolved by the restore
    std::string keyPath;
    std::string missingPath;  // the path the scan found missing
    std::string valueName;    // kDefaultValueName for the key's default value
    bool systemFolder = false;
    // The value as it was; nothing for a record of an earlier version (or
    // one whose saved value cannot be read), which is restored as the text
    // the scan recorded.
    std::optional<SavedValue> value;
    // For the default value: the value literally named "(Default)". Only
    // written after `value`.
    std::optional<SavedValue> literalDefault;

    bool operator==(const RegistryRecord&) const = default;
};

struct ShortcutRecord {
    std::string path;                     // the shortcut's Windows path
    std::optional<std::string> copyName;  // nothing in records of earlier versions
    bool operator==(const ShortcutRecord&) const = default;
};

enum class HostFileKind { MenuEntry, Icon };

struct HostFileRecord {
    HostFileKind kind = HostFileKind::MenuEntry;
    std::string path;  // host bytes, not necessarily UTF-8
    std::string copyName;
    bool operator==(const HostFileRecord&) const = default;
};

// A key taken out whole, with every value it held, as stored.
struct KeyRecord {
    std::string rootName;
    std::string keyPath;
    std::string missingPath;
    std::vector<StoredValue> values;
    bool operator==(const KeyRecord&) const = default;
};

// "M" or "I".
std::string_view HostFileRecordKind(HostFileKind kind);
std::optional<HostFileKind> HostFileKindOf(std::string_view recordKind);

// One record as its encoded line, without the line end.
std::string EncodeBackupRecord(const BackupRecord& record);

// One line of a backup file read back: a record, or why it cannot be one.
struct DecodedRecord {
    std::optional<BackupRecord> record;
    std::string why;  // when there is no record
};
DecodedRecord DecodeBackupRecord(std::string_view line);

// Every non-empty line of a file's contents, decoded, with its line number
// (1-based, counting the empty lines).
struct NumberedRecord {
    std::size_t lineNumber = 0;
    DecodedRecord decoded;
};
std::vector<NumberedRecord> DecodeBackupRecords(std::string_view contents);

// The same for a backup file on disk; nothing when it cannot be read.
std::optional<std::vector<NumberedRecord>> ReadBackupRecords(const std::string& backupFilePath);

}  // namespace vostrel

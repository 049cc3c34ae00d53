#include "results/backup_record.h"

#include "results/backup_codec.h"
#include "system/atomic_file.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr std::string_view kRegistryRecord = "R";
constexpr std::string_view kShortcutRecord = "S";
constexpr std::string_view kKeyRecord = "K";
constexpr std::string_view kSystemFolderMark = "Yes";
constexpr std::string_view kNoValue = "-";

// The saved value at fields `at` and `at + 1`: nothing when the record
// ends before them or they are not a kind and hexadecimal data.
std::optional<SavedValue> SavedValueAt(const std::vector<std::string>& f, std::size_t at) {
    if (f.size() < at + 2) return std::nullopt;
    SavedValue saved;
    if (f[at] == kNoValue)
        return f[at + 1].empty() ? std::optional<SavedValue>(saved) : std::nullopt;
    if (f[at].empty() || f[at].size() > 10 ||
        f[at].find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long kind = std::stoull(f[at]);
    auto data = BytesFromHex(f[at + 1]);
    if (kind > 0xFFFFFFFFull || !data) return std::nullopt;
    saved.present = true;
    saved.kind = static_cast<DWORD>(kind);
    saved.data = std::move(*data);
    return saved;
}

void AppendSaved(std::vector<std::string>& fields, const SavedValue& saved) {
    fields.push_back(saved.present ? std::to_string(saved.kind) : std::string(kNoValue));
    fields.push_back(saved.present ? HexBytes(saved.data) : std::string());
}

std::vector<std::string> Fields(const RegistryRecord& r) {
    std::vector<std::string> fields{std::string(kRegistryRecord),
                                    r.rootName,
                                    r.keyPath,
                                    r.missingPath,
                                    r.valueName,
                                    r.systemFolder ? std::string(kSystemFolderMark) : ""};
    if (r.value) {
        AppendSaved(fields, *r.value);
        if (r.literalDefault) AppendSaved(fields, *r.literalDefault);
    }
    return fields;
}

std::vector<std::string> Fields(const ShortcutRecord& r) {
    std::vector<std::string> fields{std::string(kShortcutRecord), r.path};
    if (r.copyName) fields.push_back(*r.copyName);
    return fields;
}

std::vector<std::string> Fields(const HostFileRecord& r) {
    return {std::string(HostFileRecordKind(r.kind)), r.path, r.copyName};
}

std::vector<std::string> Fields(const KeyRecord& r) {
    std::vector<std::string> fields{std::string(kKeyRecord), r.rootName, r.keyPath, r.missingPath};
    for (const StoredValue& value : r.values) {
        fields.push_back(value.name);
        fields.push_back(std::to_string(value.kind));
        fields.push_back(HexBytes(value.data));
    }
    return fields;
}

DecodedRecord Failed(std::string why) { return {std::nullopt, std::move(why)}; }

DecodedRecord KeyFrom(std::vector<std::string>& f) {
    if (f.size() < 4 || (f.size() - 4) % 3 != 0 || Trim(f[2]).empty())
        return Failed("a key record with " + std::to_string(f.size()) + " fields");
    KeyRecord r;
    for (std::size_t at = 4; at < f.size(); at += 3) {
        const std::string& kind = f[at + 1];
        auto data = BytesFromHex(f[at + 2]);
        if (kind.empty() || kind.size() > 10 ||
            kind.find_first_not_of("0123456789") != std::string::npos ||
            std::stoull(kind) > 0xFFFFFFFFull || !data)
            return Failed("a key record whose value \"" + f[at] + "\" cannot be read");
        r.values.push_back(
            {std::move(f[at]), static_cast<DWORD>(std::stoull(kind)), std::move(*data)});
    }
    r.rootName = std::move(f[1]);
    r.keyPath = std::move(f[2]);
    r.missingPath = std::move(f[3]);
    return {std::move(r), {}};
}

DecodedRecord RegistryFrom(std::vector<std::string>& f) {
    if (f.size() < 6)
        return Failed("a registry record with " + std::to_string(f.size()) + " fields");
    RegistryRecord r;
    r.systemFolder = UpperAscii(Trim(f[5])) == "YES";
    r.value = SavedValueAt(f, 6);
    if (r.value) r.literalDefault = SavedValueAt(f, 8);
    r.rootName = std::move(f[1]);
    r.keyPath = std::move(f[2]);
    r.missingPath = std::move(f[3]);
    r.valueName = std::move(f[4]);
    return {std::move(r), {}};
}

DecodedRecord ShortcutFrom(std::vector<std::string>& f) {
    if (f.size() < 2 || Trim(f[1]).empty()) return Failed("a shortcut record without a path");
    ShortcutRecord r;
    r.path = std::move(f[1]);
    if (f.size() >= 3) r.copyName = std::move(f[2]);
    return {std::move(r), {}};
}

DecodedRecord HostFileFrom(HostFileKind kind, std::vector<std::string>& f) {
    if (f.size() < 3 || Trim(f[1]).empty())
        return Failed("a menu entry record without a path or a copy");
    return {HostFileRecord{kind, std::move(f[1]), std::move(f[2])}, {}};
}

}  // namespace

std::string_view HostFileRecordKind(HostFileKind kind) {
    return kind == HostFileKind::Icon ? kMenuIconRecord : kMenuEntryRecord;
}

std::optional<HostFileKind> HostFileKindOf(std::string_view recordKind) {
    const std::string kind = UpperAscii(Trim(recordKind));
    if (kind == kMenuEntryRecord) return HostFileKind::MenuEntry;
    if (kind == kMenuIconRecord) return HostFileKind::Icon;
    return std::nullopt;
}

std::string EncodeBackupRecord(const BackupRecord& record) {
    return FormatBackupLine(std::visit([](const auto& r) { return Fields(r); }, record));
}

DecodedRecord DecodeBackupRecord(std::string_view line) {
    auto fields = ParseBackupLine(line);
    if (!fields) return Failed("the line cannot be read");
    auto& f = *fields;
    const std::string kind = UpperAscii(Trim(f[0]));
    if (kind == kRegistryRecord) return RegistryFrom(f);
    if (kind == kShortcutRecord) return ShortcutFrom(f);
    if (kind == kKeyRecord) return KeyFrom(f);
    if (const auto hostKind = HostFileKindOf(kind)) return HostFileFrom(*hostKind, f);
    return Failed("unknown record kind \"" + f[0] + "\"");
}

std::vector<NumberedRecord> DecodeBackupRecords(std::string_view contents) {
    std::vector<NumberedRecord> records;
    const auto lines = SplitBackupLines(contents);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty()) records.push_back({i + 1, DecodeBackupRecord(lines[i])});
    return records;
}

std::optional<std::vector<NumberedRecord>> ReadBackupRecords(const std::string& backupFilePath) {
    std::string contents;
    if (!ReadWholeFile(backupFilePath, contents)) return std::nullopt;
    return DecodeBackupRecords(contents);
}

}  // namespace vostrel

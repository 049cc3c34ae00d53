// Registry files mapped from disk rather than copied: which files are, and
// that a mapped text let go of while it is read, or cut short under the
// program by someone writing the file in place, still reads as it should.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "system/wine/mapped_text_guard.h"
#include "system/wine/wine_reg_file.h"
#include "system/wine/wine_registry.h"

namespace vostrel {
namespace {

using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteTextFile;

// `keys` keys in Wine's form, each with a path, a number and a binary value
// long enough to be written over continuation lines.
std::string BulkRegistry(int keys) {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
    char line[160];
    for (int k = 0; k < keys; ++k) {
        std::snprintf(line, sizeof line,
                      "\n[Software\\\\Bulk\\\\K%06d] 1700000000\n#time=1da0000000%06x\n", k, k);
        text += line;
        std::snprintf(line, sizeof line,
                      "\"Blob\"=hex:%02x,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,"
                      "14,15,\\\n  16,17,18,19,1a,1b,1c,1d,1e,1f\n",
                      k % 256);
        text += line;
        std::snprintf(line, sizeof line,
                      "\"Path\"=\"C:\\\\Program Files\\\\Vendor %d\\\\app%d.exe\"\n", k % 97, k);
        text += line;
        std::snprintf(line, sizeof line, "\"Size\"=dword:%08x\n", k * 7);
        text += line;
    }
    return text;
}

struct ReadValue {
    std::string name;
    DWORD type;
    std::vector<std::uint8_t> bytes;
    bool operator==(const ReadValue&) const = default;
};

std::vector<ReadValue> ValuesOf(const RegFile& file, const RegFileKey& key) {
    std::vector<ReadValue> out;
    for (const RegFileValue& value : file.Values(key))
        out.push_back({std::string(value.name), value.type, file.ValueBytes(value)});
    return out;
}

std::unique_ptr<RegFile> ReadAndParse(const std::string& path, bool* mapped) {
    RegFileText text;
    EXPECT_TRUE(ReadRegistryFile(path, text)) << path;
    *mapped = text.mapped;
    std::string error;
    auto file = RegFile::Parse(path, std::move(text), &error);
    EXPECT_TRUE(file) << error;
    return file;
}

// Only a file that everyone replaces as a whole is mapped: wineserver writes
// into a file with a second name, or one reached through a symbolic link,
// where it stands. Every form reads the same.
TEST(WineRegMapped, OnlyFilesReplacedAsAWholeAreMapped) {
    TempDir dir;
    const std::string text = BulkRegistry(50);
    const std::string plain = dir / "plain.reg";
    WriteTextFile(plain, text);
    const std::string linked = dir / "linked.reg";
    WriteTextFile(linked, text);
    ASSERT_EQ(::link(linked.c_str(), (dir / "second-name.reg").c_str()), 0);
    const std::string symlinked = dir / "through-a-link.reg";
    ASSERT_EQ(::symlink(plain.c_str(), symlinked.c_str()), 0);

    struct Case {
        std::string path;
        bool mapped;
    };
    for (const Case& c : {Case{plain, true}, Case{linked, false}, Case{symlinked, false}}) {
        bool mapped = !c.mapped;
        auto file = ReadAndParse(c.path, &mapped);
        ASSERT_TRUE(file);
        EXPECT_EQ(mapped, c.mapped) << c.path;
        std::string saved, error;
        ASSERT_TRUE(file->SaveText(saved, &error)) << error;
        EXPECT_TRUE(saved == text) << c.path;
    }
    // An empty file cannot be mapped; it is read, and refused as before.
    const std::string empty = dir / "empty.reg";
    WriteTextFile(empty, "");
    RegFileText none;
    ASSERT_TRUE(ReadRegistryFile(empty, none));
    EXPECT_FALSE(none.mapped);
    EXPECT_EQ(none.size, 0u);
}

// The parser lets go of the text behind it and the keys' values are read
// back from the page cache, again let go of every few megabytes. Read in
// file order and backwards, every key gives what the same text parsed from
// memory gives, and saving it unchanged gives the same bytes.
TEST(WineRegMapped, TextLetGoOfReadsBackTheSame) {
    TempDir dir;
    const std::string text = BulkRegistry(40000);  // about 10 MB
    ASSERT_GT(text.size(), std::size_t{9} << 20);
    const std::string path = dir / "system.reg";
    WriteTextFile(path, text);
    bool mapped = false;
    auto fromDisk = ReadAndParse(path, &mapped);
    ASSERT_TRUE(fromDisk);
    ASSERT_TRUE(mapped);
    std::string error;
    auto inMemory = RegFile::Parse("memory.reg", text, &error);
    ASSERT_TRUE(inMemory) << error;

    auto bulkOf = [](RegFile& file) {
        return file.FindSubkey(*file.FindSubkey(file.Root(), "Software"), "Bulk");
    };
    RegFileKey* disk = bulkOf(*fromDisk);
    RegFileKey* memory = bulkOf(*inMemory);
    ASSERT_TRUE(disk && memory);
    ASSERT_EQ(disk->subkeys.size(), 40000u);
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t n = 0; n < disk->subkeys.size(); n += pass == 0 ? 1 : 3) {
            const std::size_t i = pass == 0 ? n : disk->subkeys.size() - 1 - n;
            ASSERT_EQ(disk->subkeys[i]->name, memory->subkeys[i]->name);
            ASSERT_EQ(ValuesOf(*fromDisk, *disk->subkeys[i]),
                      ValuesOf(*inMemory, *memory->subkeys[i]))
                << disk->subkeys[i]->name;
        }
    }
    std::string saved;
    ASSERT_TRUE(fromDisk->SaveText(saved, &error)) << error;
    EXPECT_TRUE(saved == text);
}

// Someone cuts the file short where it stands while the program has it
// mapped. The pages past the new end read as zeros instead of stopping the
// program: the keys there lose their values (never a made-up value), the
// keys before keep theirs, and the registry refuses to save over the file.
TEST(WineRegMapped, AFileCutShortUnderTheProgramReadsAsEmptyThere) {
    TempDir dir;
    const std::string text = BulkRegistry(20000);
    WriteTextFile(dir / "system.reg", text);
    std::string error;
    auto store = OpenWineRegistryStore(dir.path(), &error);
    ASSERT_TRUE(store) << error;
    bool mapped = false;
    auto file = ReadAndParse(dir / "system.reg", &mapped);
    ASSERT_TRUE(file);
    ASSERT_TRUE(mapped);

    const int fd = ::open((dir / "system.reg").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 64 << 10), 0);  // 64 kB left: the first few hundred keys
    ::close(fd);

    const std::size_t before = MappedPagesReplaced();
    RegFileKey* bulk = file->FindSubkey(*file->FindSubkey(file->Root(), "Software"), "Bulk");
    ASSERT_TRUE(bulk);
    EXPECT_EQ(ValuesOf(*file, *bulk->subkeys[0]).size(), 3u);
    EXPECT_TRUE(ValuesOf(*file, *bulk->subkeys[19999]).empty());
    EXPECT_TRUE(ValuesOf(*file, *bulk->subkeys[10000]).empty());
    EXPECT_GT(MappedPagesReplaced(), before);
    const auto refusal = store->WriteRefusal();
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("changed by another program"), std::string::npos) << *refusal;
}

}  // namespace
}  // namespace vostrel

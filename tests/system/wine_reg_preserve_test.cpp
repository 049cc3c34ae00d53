// Saving a registry file that is not in Wine's own form: every line the
// change did not touch stays byte for byte, the data reads back as before,
// and a file that cannot be edited that way is refused and left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "system/wine/wine_reg_file.h"
#include "system/wine/wine_registry.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

using testing::ReadTextFile;
using testing::TempDir;

const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
const std::string kTime = " 1796795856\n#time=1dd87a231203b4c\n";
const std::string kOther = "[Software\\\\Other]";
const std::string kOtherBlock = "\n" + kOther + kTime + "\"Gone\"=\"x\"\n\"Kept\"=\"y\"\n";

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The file with the times of [Software\\Other] blanked out: the one part of
// its lines a change of that key rewrites.
std::string Masked(const std::string& text) {
    std::string out;
    bool inOther = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(pos, end - pos);
        pos = end;
        if (line.rfind("[", 0) == 0) inOther = line.rfind(kOther, 0) == 0;
        if (line.rfind(kOther, 0) == 0)
            line = kOther + " <time>\n";
        else if (inOther && line.rfind("#time=", 0) == 0)
            line = "#time=<time>\n";
        out += line;
    }
    return out;
}

std::string Without(std::string text, const std::string& line) {
    const auto at = text.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    if (at != std::string::npos) text.erase(at, line.size());
    return text;
}

using testing::Open;

// Every value below Software, by path and name, with its kind and bytes.
std::vector<std::string> Contents(RegistryApi& api) {
    std::vector<std::string> out;
    std::vector<std::string> pending{"Software"};
    while (!pending.empty()) {
        const std::string path = pending.back();
        pending.pop_back();
        ScopedKey key(api);
        if (api.OpenKeyEx(HKEY_LOCAL_MACHINE, path, KEY_READ, key.out()) != ERROR_SUCCESS) continue;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD size = sizeof name;
            if (api.EnumKeyEx(key.get(), i, name, &size, nullptr, nullptr) != ERROR_SUCCESS) break;
            pending.push_back(path + "\\" + std::string(name, size));
        }
        for (DWORD i = 0;; ++i) {
            char name[1024];
            DWORD size = sizeof name;
            DWORD type = 0;
            if (api.EnumValue(key.get(), i, name, &size, &type, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            std::vector<std::uint8_t> raw;
            api.QueryValueRaw(key.get(), std::string(name, size), nullptr, &raw);
            out.push_back(path + "|" + std::string(name, size) + "|" + std::to_string(type) + "|" +
                          std::string(raw.begin(), raw.end()));
        }
    }
    return out;
}

LONG DeleteOne(RegistryApi& api, const std::string& path, const std::string& name) {
    ScopedKey key(api);
    if (LONG status = api.OpenKeyEx(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, key.out());
        status != ERROR_SUCCESS)
        return status;
    return api.DeleteValue(key.get(), name);
}

struct OddFile {
    const char* what;
    std::string text;
};

std::vector<OddFile> OddFiles() {
    const std::string odd = "\n[Software\\\\Odd]" + kTime;
    return {
        {"CRLF line ends",
         Crlf(kHeader + odd + "\"V\"=\"v\"\n\"Bin\"=hex:01,02,\\\n  03\n" + kOtherBlock)},
        {"keys out of order", kHeader + "\n[Software\\\\Zeta]" + kTime + "\"Z\"=\"z\"\n" +
                                  kOtherBlock + "\n[Software\\\\Alpha]" + kTime + "\"A\"=\"a\"\n"},
        {"values out of order", kHeader + odd + "\"B\"=\"b\"\n\"A\"=\"a\"\n" + kOtherBlock},
        {"\\x escapes without digits", kHeader + odd + "\"V\"=\"a\\xg b\\x\\\\c\"\n" + kOtherBlock},
        {"invalid UTF-8",
         kHeader + odd + "\"V\"=\"caf\xe9 \xff\xfe\"\n\"N\xe9\"=\"n\"\n" + kOtherBlock},
        {"raw NUL", kHeader + odd + "\"V\"=\"a" + std::string(1, '\0') + "b\"\n" + kOtherBlock},
        {"blanks and odd spellings",
         kHeader + odd + "  \"V\" =  \"x\"  \n\"D\"=dword:1\n\"E\"=str(2):\"%x%\"\n" +
             "\"H\"=hex(0):\n" + kOtherBlock},
        {"no times", kHeader + "\n[Software\\\\Odd]\n\"V\"=\"v\"\n\n[Software\\\\Other]\n\"Gone\"="
                               "\"x\"\n\"Kept\"=\"y\"\n"},
        {"an old file's comments and options",
         kHeader + "; a comment\n" + odd + "#unknown=1\n\"V\"=\"v\"\n" + kOtherBlock},
    };
}

TEST(WineRegistryPreserve, DeletingAValueChangesOnlyItsLineInFilesNotInWinesForm) {
    for (const OddFile& odd : OddFiles()) {
        SCOPED_TRACE(odd.what);
        TempDir dir;
        testing::WriteTestPrefix(dir.path(), odd.text);
        auto registry = Open(dir.path());
        ASSERT_TRUE(registry);
        const auto before = Contents(*registry);
        ASSERT_EQ(DeleteOne(*registry, "Software\\Other", "Gone"), ERROR_SUCCESS)
            << registry->LastError();
        const std::string saved = ReadTextFile(dir / "system.reg");
        const bool crlf = odd.text.find("\r\n") != std::string::npos;
        EXPECT_EQ(Masked(saved),
                  Masked(Without(odd.text, crlf ? "\"Gone\"=\"x\"\r\n" : "\"Gone\"=\"x\"\n")));
        // Everything else reads back exactly as before.
        auto again = Open(dir.path());
        ASSERT_TRUE(again);
        auto expected = before;
        std::erase_if(expected, [](const std::string& v) {
            return v.rfind("Software\\Other|Gone|", 0) == 0;
        });
        EXPECT_EQ(Contents(*again), expected);
    }
}

TEST(WineRegistryPreserve, NewValuesAndKeysGetLinesOfTheirOwnInTheFilesStyle) {
    TempDir dir;
    const std::string text = OddFiles()[0].text;  // CRLF
    testing::WriteTestPrefix(dir.path(), text);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    const std::uint8_t data[] = {'n', 0};
    {
        ScopedKey other(*registry);
        ASSERT_EQ(registry->OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_ALL_ACCESS,
                                      other.out()),
                  ERROR_SUCCESS);
        ASSERT_EQ(registry->SetValueEx(other.get(), "New", REG_SZ, data, 2), ERROR_SUCCESS);
        ScopedKey fresh(*registry);
        ASSERT_EQ(registry->CreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Fresh", 0, KEY_ALL_ACCESS,
                                        fresh.out(), nullptr),
                  ERROR_SUCCESS)
            << registry->LastError();
        ASSERT_EQ(registry->SetValueEx(fresh.get(), "F", REG_SZ, data, 2), ERROR_SUCCESS);
    }
    const std::string saved = ReadTextFile(dir / "system.reg");
    // The new value follows its neighbour in Wine's order, its line in CRLF.
    const std::string newLine = "\"New\"=\"n\"\r\n";
    EXPECT_NE(saved.find("\"Kept\"=\"y\"\r\n" + newLine), std::string::npos);
    // The new key comes last; every line read is still there as it was.
    const auto fresh = saved.find("\r\n[Software\\\\Fresh]");
    ASSERT_NE(fresh, std::string::npos);
    EXPECT_NE(saved.find("\"F\"=\"n\"\r\n", fresh), std::string::npos);
    EXPECT_EQ(Masked(Without(saved.substr(0, fresh), newLine)), Masked(text));
    auto again = Open(dir.path());
    ASSERT_TRUE(again);
    const auto contents = Contents(*again);
    EXPECT_NE(std::find(contents.begin(), contents.end(),
                        std::string("Software\\Fresh|F|1|") + std::string("n\0\0\0", 4)),
              contents.end());
}

// A key listed twice: a value in the later list overrides the earlier one.
// Deleting it takes out both lines, or the earlier one would come back.
TEST(WineRegistryPreserve, ADeletedValueListedTwiceDoesNotComeBack) {
    TempDir dir;
    const std::string text = kHeader + "\n" + kOther + kTime + "\"Gone\"=\"old\"\n\"A\"=\"1\"\n" +
                             "\n[Software\\\\Odd]" + kTime + "\"V\"=\"v\"\n" + kOtherBlock;
    testing::WriteTestPrefix(dir.path(), text);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    ASSERT_EQ(DeleteOne(*registry, "Software\\Other", "Gone"), ERROR_SUCCESS)
        << registry->LastError();
    const std::string saved = ReadTextFile(dir / "system.reg");
    EXPECT_EQ(Masked(saved),
              Masked(Without(Without(text, "\"Gone\"=\"old\"\n"), "\"Gone\"=\"x\"\n")));
    auto again = Open(dir.path());
    ASSERT_TRUE(again);
    EXPECT_EQ(DeleteOne(*again, "Software\\Other", "Gone"), ERROR_FILE_NOT_FOUND);
}

// Files of old Wine versions name their keys from above the file's root
// ("[Machine\\Software\\...]"). A new key written the way keys are named
// today would land elsewhere when read back: the save is refused, says why,
// and the file stays as it was.
TEST(WineRegistryPreserve, AnEditThatWouldNotReadBackIsRefused) {
    TempDir dir;
    const std::string text = kHeader + "\n[Machine\\\\Software\\\\Odd]" + kTime + "\"V\"=\"v\"\n";
    testing::WriteTestPrefix(dir.path(), text);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    ScopedKey fresh(*registry);
    EXPECT_NE(registry->CreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Fresh", 0, KEY_ALL_ACCESS,
                                    fresh.out(), nullptr),
              ERROR_SUCCESS);
    EXPECT_NE(registry->LastError().find("not in the form Wine writes"), std::string::npos)
        << registry->LastError();
    EXPECT_NE(registry->LastError().find("Fresh"), std::string::npos) << registry->LastError();
    EXPECT_EQ(ReadTextFile(dir / "system.reg"), text);
    // What was there is still there, and can still be changed.
    EXPECT_EQ(DeleteOne(*registry, "Software\\Odd", "V"), ERROR_SUCCESS) << registry->LastError();
}

// The registry of a fresh Wine prefix (the sample machine): unchanged it
// saves as it was read; with one value deleted, as wineserver would write it,
// which is the file without that value's line. The same file with CRLF line
// ends loses that one line and keeps every other byte.
TEST(WineRegistryPreserve, AWineMadeFileIsWrittenAsWineWritesItAndItsCrlfCopyKeepsItsBytes) {
    const std::string wineMade =
        ReadTextFile(std::string(VOSTREL_SOURCE_DIR) + "/examples/sample-machine/system.reg");
    ASSERT_FALSE(wineMade.empty());
    const std::string key =
        "Software\\Classes\\CLSID\\{00020000-0000-0000-C000-000000000046}\\InprocServer32";
    const std::string keyLine =
        "[Software\\\\Classes\\\\CLSID\\\\{00020000-0000-0000-C000-000000000046}"
        "\\\\InprocServer32]";
    const std::string line = "\"ThreadingModel\"=\"Both\"\n";
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CRLF" : "as Wine wrote it");
        const std::string text = crlf ? Crlf(wineMade) : wineMade;
        std::string error;
        auto file = RegFile::Parse("system.reg", text, &error);
        ASSERT_TRUE(file) << error;
        std::string saved;
        ASSERT_TRUE(file->SaveText(saved, &error)) << error;
        EXPECT_EQ(saved, text);
        RegFileKey* target = &file->Root();
        std::size_t start = 0;
        while (target && start <= key.size()) {
            auto sep = key.find('\\', start);
            if (sep == std::string::npos) sep = key.size();
            target = file->FindSubkey(*target, key.substr(start, sep - start));
            start = sep + 1;
        }
        ASSERT_TRUE(target);
        ASSERT_TRUE(file->DeleteValue(*target, "ThreadingModel"));
        ASSERT_TRUE(file->SaveText(saved, &error)) << error;
        std::string expected = text;
        const auto at = expected.find(crlf ? Crlf(line) : line, expected.find(keyLine));
        ASSERT_NE(at, std::string::npos);
        expected.erase(at, (crlf ? Crlf(line) : line).size());
        EXPECT_TRUE(saved == expected) << "the save changed more than that one line";
        if (!crlf) {
            EXPECT_EQ(saved, file->Serialize());
        }
    }
}

// A header whose lines end in carriage returns (an editor's doing): the
// root and the architecture read without them, and a file saved twice is
// saved the same.
TEST(WineRegistryPreserve, CarriageReturnsAfterTheRootLineDoNotCreepOnEverySave) {
    const std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\r\r\r\n\n"
        "#arch=win64\r\r\n\n[Software\\\\A] 1796795856\n\"V\"=\"x\"\n";
    std::string error;
    auto file = RegFile::Parse("system.reg", text, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->RelativeTo(), "REGISTRY\\Machine");
    EXPECT_EQ(file->Serialize().find('\r'), std::string::npos);
    const std::string once = file->Serialize();
    auto again = RegFile::Parse("system.reg", once, &error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->Serialize(), once);
}

}  // namespace
}  // namespace vostrel

namespace vostrel {
namespace {

// A key taken out whole leaves with its header, its option lines and its
// values, in any file; what is left reads back as before, and a key with
// sub-keys of its own is refused as RegDeleteKey refuses it.
TEST(WineRegistryPreserve, TakingOutAKeyDropsItsWholeBlockInFilesNotInWinesForm) {
    for (const OddFile& odd : OddFiles()) {
        SCOPED_TRACE(odd.what);
        TempDir dir;
        testing::WriteTestPrefix(dir.path(), odd.text);
        auto registry = Open(dir.path());
        ASSERT_TRUE(registry);
        auto expected = Contents(*registry);
        std::erase_if(expected,
                      [](const std::string& v) { return v.rfind("Software\\Other|", 0) == 0; });
        EXPECT_EQ(registry->DeleteKey(HKEY_LOCAL_MACHINE, "Software"), ERROR_ACCESS_DENIED);
        ASSERT_EQ(registry->DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Other"), ERROR_SUCCESS)
            << registry->LastError();
        EXPECT_EQ(registry->DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Other"), ERROR_FILE_NOT_FOUND);
        const std::string saved = ReadTextFile(dir / "system.reg");
        EXPECT_EQ(saved.find("Other"), std::string::npos) << saved;
        EXPECT_EQ(saved.find("\"Kept\""), std::string::npos) << saved;
        auto again = Open(dir.path());
        ASSERT_TRUE(again);
        EXPECT_EQ(Contents(*again), expected);
        ScopedKey gone(*again);
        EXPECT_EQ(again->OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ, gone.out()),
                  ERROR_FILE_NOT_FOUND);
    }
}

}  // namespace
}  // namespace vostrel

// The .reg file model against files Wine itself wrote, and against the rules
// of wineserver's reader and writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/wine/wine_reg_file.h"
#include "system/wine/wine_reg_text.h"

namespace vostrel {
namespace {

using testing::ReadTextFile;

std::unique_ptr<RegFile> ParseOk(const std::string& text) {
    std::string error;
    auto file = RegFile::Parse("test.reg", text, &error);
    EXPECT_TRUE(file) << error;
    return file;
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

const RegFileKey* KeyAt(const RegFile& file, std::initializer_list<std::string_view> path) {
    const RegFileKey* key = &file.Root();
    for (auto name : path) {
        key = file.FindSubkey(*key, name);
        if (!key) return nullptr;
    }
    return key;
}

std::vector<std::uint8_t> ValueOf(const RegFile& file, const RegFileKey* key, std::string_view name,
                                  DWORD* type = nullptr) {
    if (!key) return {};
    const RegFileValue* value = file.FindValue(*key, name);
    if (!value) return {0xEE};
    if (type) *type = value->type;
    return file.ValueBytes(*value);
}

// Every sibling list of a file is in the order our comparison gives.
void ExpectSorted(const RegFile& file, const RegFileKey& key, int& checked) {
    for (std::size_t i = 1; i < key.subkeys.size(); ++i, ++checked)
        EXPECT_LT(CompareRegNames(key.subkeys[i - 1]->name, key.subkeys[i]->name), 0)
            << key.subkeys[i - 1]->name << " / " << key.subkeys[i]->name;
    const auto values = file.Values(key);
    for (std::size_t i = 1; i < values.size(); ++i, ++checked)
        EXPECT_LT(CompareRegNames(values[i - 1].name, values[i].name), 0)
            << values[i - 1].name << " / " << values[i].name;
    for (const RegFileKey* sub : key.subkeys) ExpectSorted(file, *sub, checked);
}

TEST(WineRegFile, WinebootPrefixRoundTripsByteForByteAndInWineOrder) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const std::string& prefix = testing::SharedWinePrefix();
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        const std::string original = ReadTextFile(prefix + "/" + name);
        ASSERT_FALSE(original.empty()) << name;
        auto file = ParseOk(original);
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->Serialize() == original) << name << " changed on a round trip";
        int checked = 0;
        ExpectSorted(*file, file->Root(), checked);
        EXPECT_GT(checked, 0);
    }
}

// Values of every form, escapes, odd names and Wine's sort order, as Wine
// writes them, read back and written again unchanged.
TEST(WineRegFile, WhatWineWritesReadsBackExactly) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const std::string& prefix = testing::SharedWinePrefix();
    const std::string key = "HKCU\\Software\\VostrelFormat";
    auto add = [&](std::vector<std::string> args) {
        std::vector<std::string> all{"reg", "add", key};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("/f");
        // Wine now and then fails to start a program on a loaded machine;
        // "reg add /f" is the same when run again.
        int status = testing::RunWine(prefix, all);
        if (status != 0) status = testing::RunWine(prefix, all);
        ASSERT_EQ(status, 0);
    };
    for (const char* sub : {"AB", "A_B", "a[", "a]b", "Z", "b\"q",
                            "\xC3\xA9"
                            "1",
                            "\xC3\x89z", "\xEF\xBC\xA1"})
        ASSERT_EQ(testing::RunWine(prefix, {"reg", "add", key + "\\" + sub, "/f"}), 0);
    add({"/v", "esc", "/d",
         "a\tb\\c\"d \xC3\xA9"
         "1 \xC3\xA9z\x01\x1b"
         "7 end"});
    add({"/v", "multi", "/t", "REG_MULTI_SZ", "/d", "one\\0two"});
    add({"/v", "expand", "/t", "REG_EXPAND_SZ", "/d", "%SystemRoot%\\x"});
    add({"/v", "empty", "/d", ""});
    add({"/v", "bin", "/t", "REG_BINARY", "/d", std::string(200, 'a')});
    add({"/v", std::string(70, 'N'), "/t", "REG_BINARY", "/d", "0102030405060708"});
    add({"/v", "qword", "/t", "REG_QWORD", "/d", "0x1122334455667788"});
    add({"/v", "none", "/t", "REG_NONE", "/d", "abc"});
    add({"/v", "dword", "/t", "REG_DWORD", "/d", "4294967295"});
    add({"/v", "A_B", "/d", "x"});
    add({"/v", "a[", "/d", "y"});
    add({"/v", "AB", "/d", "z"});
    testing::WaitForWineserver(prefix);

    const std::string original = ReadTextFile(prefix + "/user.reg");
    auto file = ParseOk(original);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Serialize() == original);

    const RegFileKey* k = KeyAt(*file, {"Software", "VostrelFormat"});
    ASSERT_TRUE(k);
    std::vector<std::string> subkeys;
    for (const RegFileKey* sub : k->subkeys) subkeys.emplace_back(sub->name);
    // Lower-cased comparison: '[' and '_' sort before letters.
    const std::vector<std::string> expected{"a[",
                                            "a]b",
                                            "A_B",
                                            "AB",
                                            "b\"q",
                                            "Z",
                                            "\xC3\xA9"
                                            "1",
                                            "\xC3\x89z",
                                            "\xEF\xBC\xA1"};
    EXPECT_EQ(subkeys, expected);
    std::vector<std::string> values;
    for (const auto& v : file->Values(*k)) values.emplace_back(v.name);
    EXPECT_LT(std::find(values.begin(), values.end(), "a[") - values.begin(),
              std::find(values.begin(), values.end(), "A_B") - values.begin());

    DWORD type = 0;
    std::u16string esc =
        u"a\tb\\c\"d \u00e91 \u00e9z\x01\x1b"
        u"7 end";
    esc.push_back(0);
    EXPECT_EQ(ValueOf(*file, k, "esc", &type), Utf16Bytes(esc));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(ValueOf(*file, k, "multi", &type), Utf16Bytes(std::u16string(u"one\0two\0\0", 9)));
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(ValueOf(*file, k, "EXPAND", &type),
              Utf16Bytes(std::u16string(u"%SystemRoot%\\x\0", 15)));
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(ValueOf(*file, k, "empty"), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(ValueOf(*file, k, "bin"), std::vector<std::uint8_t>(100, 0xAA));
    EXPECT_EQ(ValueOf(*file, k, std::string(70, 'n')),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(ValueOf(*file, k, "qword", &type),
              (std::vector<std::uint8_t>{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(type, REG_QWORD);
    EXPECT_EQ(ValueOf(*file, k, "none", &type), Utf16Bytes(std::u16string(u"abc\0", 4)));
    EXPECT_EQ(type, REG_NONE);
    EXPECT_EQ(ValueOf(*file, k, "dword", &type),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(type, REG_DWORD);
}

TEST(WineRegFile, WritesEveryFormAsWineserverDoes) {
    auto file = RegFile::Empty("REGISTRY\\User\\.Default", "win64");
    RegFileKey* key =
        file->AddSubkey(file->Root(), "K[1]", 116444736000000000ull + 10000000ull * 5);
    key->modified = 0x01dd87a2314c5d44ull;
    auto set = [&](std::string_view name, DWORD type, std::vector<std::uint8_t> data) {
        file->SetValue(*key, name, type, data);
    };
    set("", REG_SZ, Utf16Bytes(std::u16string(u"x\0", 2)));
    set("sz-no-nul", REG_SZ, Utf16Bytes(u"ab"));
    set("odd", REG_SZ, {0x61, 0x00, 0x00});
    set("dword-short", REG_DWORD, {1, 2});
    set("dw", REG_DWORD, {0x78, 0x56, 0x34, 0x12});
    set("empty-bin", REG_BINARY, {});
    set("multi", REG_MULTI_SZ, Utf16Bytes(std::u16string(u"a\0b\0\0", 5)));
    set("octal", REG_SZ,
        Utf16Bytes(std::u16string(u"\x01"
                                  u"1\x02z\x7f\0",
                                  6)));
    set("q\"", 0x100000, {0xAB});
    set(std::string(60, 'L'), REG_BINARY, std::vector<std::uint8_t>(30, 0x0F));
    const std::string expected =
        "WINE REGISTRY Version 2\n"
        ";; All keys relative to REGISTRY\\\\User\\\\.Default\n"
        "\n#arch=win64\n"
        "\n[K\\[1\\]] 1796795857\n"
        "#time=1dd87a2314c5d44\n"
        "@=\"x\"\n"
        "\"dw\"=dword:12345678\n"
        "\"dword-short\"=hex(4):01,02\n"
        "\"empty-bin\"=hex:\n"
        "\"" +
        std::string(60, 'L') +
        "\"=hex:0f,0f,0f,0f,\\\n"
        "  0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,0f,\\\n"
        "  0f\n"
        "\"multi\"=str(7):\"a\\0b\\0\"\n"
        "\"octal\"=\"\\0011\\2z\x7f\"\n"
        "\"odd\"=hex(1):61,00,00\n"
        "\"q\\\"\"=hex(100000):ab\n"
        "\"sz-no-nul\"=hex(1):61,00,62,00\n";
    EXPECT_EQ(file->Serialize(), expected);
    auto again = ParseOk(expected);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Serialize(), expected);
    EXPECT_EQ(ValueOf(*again, KeyAt(*again, {"k[1]"}), "OCTAL"),
              Utf16Bytes(std::u16string(u"\x01"
                                        u"1\x02z\x7f\0",
                                        6)));
}

TEST(WineRegFile, ReadsTheEscapesOfWineserversReader) {
    auto file = ParseOk(
        "WINE REGISTRY Version 2\n"
        "\n[A\\\\B\\x43\\\\D] 1\n"
        "\"s\"=\"\\a\\b\\e\\f\\n\\r\\t\\v\\x41\\x00e9z\\xg\\101\\7\\q\\\\\"\n"
        "\"four\"=\"\\x1f600\"\n"
        "\"utf8\"=str:\"\xC3\xA9\"\n");
    ASSERT_TRUE(file);
    const RegFileKey* key = KeyAt(*file, {"a", "bc", "d"});
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueOf(*file, key, "s"),
              Utf16Bytes(std::u16string(u"\a\b\x1b\f\n\r\t\vA\u00e9zxgA\x07q\\\0", 18)));
    EXPECT_EQ(ValueOf(*file, key, "four"), Utf16Bytes(std::u16string(u"\x1f60"
                                                                     u"0\0",
                                                                     3)));
    EXPECT_EQ(ValueOf(*file, key, "utf8"), Utf16Bytes(std::u16string(u"\u00e9\0", 2)));
}

TEST(WineRegFile, LoadsOlderLayoutsAndCrlfLineEnds) {
    const std::string text =
        "WINE REGISTRY Version 2\r\n"
        ";; All keys relative to REGISTRY\\\\Machine\r\n"
        "\r\n"
        "[Software\\\\Old]\r\n"
        "\"Path\"=\"C:\\\\old.exe\"\r\n"
        "\"Bin\"=hex:01,02,\\\r\n"
        "  03\r\n"
        "\r\n"
        "[Software\\\\Seconds] 1000\r\n"
        "@=dword:2a\r\n";
    auto file = ParseOk(text);
    ASSERT_TRUE(file);
    const RegFileKey* old = KeyAt(*file, {"software", "OLD"});
    ASSERT_TRUE(old);
    EXPECT_EQ(ValueOf(*file, old, "path"), Utf16Bytes(std::u16string(u"C:\\old.exe\0", 11)));
    EXPECT_EQ(ValueOf(*file, old, "bin"), (std::vector<std::uint8_t>{1, 2, 3}));
    const RegFileKey* seconds = KeyAt(*file, {"Software", "Seconds"});
    ASSERT_TRUE(seconds);
    EXPECT_EQ(seconds->modified, 1000 * 10000000ull + 116444736000000000ull);
    EXPECT_EQ(ValueOf(*file, seconds, ""), (std::vector<std::uint8_t>{42, 0, 0, 0}));
    // Saved the way Wine saves: LF line ends, #time lines.
    const std::string saved = file->Serialize();
    EXPECT_EQ(saved.find('\r'), std::string::npos);
    EXPECT_NE(saved.find("[Software\\\\Seconds] 1000\n#time=19db1e1294a6400"), std::string::npos)
        << saved;

    // Very old files name keys from above the file's root.
    auto prefixed = ParseOk(
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n"
        "[Machine\\\\Software\\\\X]\n\"v\"=\"1\"\n[Machine\\\\System]\n");
    ASSERT_TRUE(prefixed);
    EXPECT_TRUE(KeyAt(*prefixed, {"Software", "X"}));
    EXPECT_TRUE(KeyAt(*prefixed, {"System"}));
}

TEST(WineRegFile, MalformedOrCutFilesNameTheLine) {
    struct Case {
        const char* text;
        int line;
        const char* what;
    };
    const Case cases[] = {
        {"", 1, "not a Wine registry file"},
        {"REGEDIT4\n", 1, "not a Wine registry file"},
        {"WINE REGISTRY Version 2\n\"v\"=\"x\"\n", 2, "before the first key"},
        {"WINE REGISTRY Version 2\n[Key\n", 2, "closing ']'"},
        {"WINE REGISTRY Version 2\n[Key] 12x\n", 2, "after the key name"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=\"abc\n", 3, "closing quote"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=\"abc\"x\n", 3, "after the closing quote"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=dword:\n", 3, "dword"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=dword:123456789\n", 3, "dword"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=hex:01,zz\n", 3, "hex data"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=hex(2:01\n", 3, "hex(<kind>)"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=hex:01,\\\n  02,\\\n", 4, "past the end"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=hex:01,\\\n  0x\n", 4, "hex data"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=wide:1\n", 3, "unknown kind"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=\"C:\\\\windo", 3, "cut off"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\"=dword:0000", 3, "cut off"},
        {"WINE REGISTRY Version 2\n[K]\n\"v\" \"x\"\n", 3, "'='"},
        {"WINE REGISTRY Version 2\n[K]\n#class=\"abc\n", 3, "class"},
        {"WINE REGISTRY Version 2\n[K]\n~\n", 3, "unrecognised"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(RegFile::Parse("/p/system.reg", c.text, &error)) << c.text;
        EXPECT_NE(error.find("/p/system.reg line " + std::to_string(c.line) + ": "),
                  std::string::npos)
            << c.text << " -> " << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(WineRegFile, NamesCompareAsWineserverCompares) {
    EXPECT_EQ(CompareRegNames("Software", "SOFTWARE"), 0);
    EXPECT_LT(CompareRegNames("A_B", "AB"), 0);  // '_' < 'b' once lower-cased
    EXPECT_LT(CompareRegNames("a[", "A_B"), 0);
    EXPECT_LT(CompareRegNames("AB", "ABC"), 0);  // the shorter first
    EXPECT_LT(CompareRegNames("", "a"), 0);
    EXPECT_EQ(CompareRegNames("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"), 0);  // Été / éTÉ
    EXPECT_EQ(CompareRegNames("\xD0\x9C\xD0\xB8\xD1\x80", "\xD0\xBC\xD0\x98\xD0\xA0"),
              0);                                                   // Мир / мИР
    EXPECT_EQ(CompareRegNames("\xEF\xBC\xA1", "\xEF\xBD\x81"), 0);  // full-width A / a
    EXPECT_LT(CompareRegNames("z", "\xC3\xA9"), 0);
    // Supplementary characters compare by their UTF-16 units, as in Wine.
    EXPECT_LT(CompareRegNames("\xF0\x9F\x98\x80", "\xEE\x80\x80"), 0);
}

TEST(WineRegFile, ChangesKeepOrderAndRoundTrip) {
    auto file = ParseOk(
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n[B] 5\n#time=1\n");
    ASSERT_TRUE(file);
    RegFileKey& root = file->Root();
    for (const char* name : {"Z", "a", "C", "_x", "b2"}) file->AddSubkey(root, name, 1);
    std::vector<std::string> names;
    for (const RegFileKey* k : root.subkeys) names.emplace_back(k->name);
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "a", "B", "b2", "C", "Z"}));
    RegFileKey* b = file->FindSubkey(root, "b");
    ASSERT_TRUE(b);
    file->SetValue(*b, "v", REG_BINARY, std::vector<std::uint8_t>{1});
    EXPECT_TRUE(file->DeleteValue(*b, "V"));
    EXPECT_FALSE(file->DeleteValue(*b, "v"));
    auto again = ParseOk(file->Serialize());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Serialize(), file->Serialize());
}

// Files from elsewhere may list keys and values out of order, or twice.
TEST(WineRegFile, SortsWhatComesOutOfOrder) {
    std::string text = "WINE REGISTRY Version 2\n[K]\n";
    for (int i : {10, 2, 1, 30, 2})
        text += "\"v" + std::to_string(i) + "\"=dword:" + std::to_string(i) + "\n";
    for (const char* key : {"[K\\\\b]", "[K\\\\C]", "[K\\\\a]", "[K\\\\B\\\\x]", "[k\\\\c]"})
        text += std::string(key) + "\n\"x\"=\"" + key + "\"\n";
    auto file = ParseOk(text);
    ASSERT_TRUE(file);
    const RegFileKey* k = KeyAt(*file, {"K"});
    ASSERT_TRUE(k);
    std::vector<std::string> names;
    for (const auto& v : file->Values(*k)) names.emplace_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"v1", "v10", "v2", "v30"}));
    std::vector<std::string> subkeys;
    for (const RegFileKey* sub : k->subkeys) subkeys.emplace_back(sub->name);
    EXPECT_EQ(subkeys, (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_TRUE(KeyAt(*file, {"K", "b", "x"}));
    std::u16string last = u"[k\\c]";
    last.push_back(0);
    EXPECT_EQ(ValueOf(*file, KeyAt(*file, {"K", "C"}), "x"), Utf16Bytes(last));
    int checked = 0;
    ExpectSorted(*file, file->Root(), checked);
    auto again = ParseOk(file->Serialize());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Serialize(), file->Serialize());
}

// ASCII text is handed over without decoding to UTF-16: the bytes must be
// those of the full decoding, for every escape of wineserver's reader.
TEST(WineRegFile, AsciiTextMatchesTheFullDecoding) {
    struct Case {
        const char* written;
        bool ascii;
    };
    const Case cases[] = {
        {"plain", true},
        {"C:\\\\windows\\\\notepad.exe", true},
        {"\\a\\b\\e\\f\\n\\r\\t\\v\\\"q\\\"", true},
        {"\\x41\\x7f\\xg\\x", true},
        {"\\101\\7\\0\\0", true},
        {"a\\0b\\0\\0", true},
        {"\\x80", false},
        {"\\x00e9", false},
        {"\\200", false},
        {"\xC3\xA9", false},
        {"\\\xC3\xA9", false},
    };
    for (const Case& c : cases) {
        auto file =
            ParseOk(std::string("WINE REGISTRY Version 2\n[K] 1\n\"v\"=\"") + c.written + "\"\n");
        ASSERT_TRUE(file) << c.written;
        const RegFileValue* value = file->FindValue(*KeyAt(*file, {"K"}), "v");
        ASSERT_TRUE(value);
        std::vector<std::uint8_t> fast;
        EXPECT_EQ(RegFile::AsciiText(*value, fast), c.ascii) << c.written;
        if (!c.ascii) continue;
        const auto full = file->ValueBytes(*value);
        std::vector<std::uint8_t> narrowed;
        for (std::size_t i = 0; i + 1 < full.size(); i += 2) narrowed.push_back(full[i]);
        EXPECT_EQ(fast, narrowed) << c.written;
    }
    RegFileValue dword;
    dword.form = RegFileValue::Form::Dword;
    dword.data = "1";
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(RegFile::AsciiText(dword, out));
}

// Key lines reuse the keys of the line before; going back to a key left
// earlier, or naming it in other letter case, must still find it.
TEST(WineRegFile, KeysNamedAgainLaterAreTheSameKeys) {
    auto file = ParseOk(
        "WINE REGISTRY Version 2\n"
        "[A\\\\B\\\\C] 1\n\"1\"=dword:1\n"
        "[A\\\\B\\\\D] 1\n\"2\"=dword:2\n"
        "[A\\\\E] 1\n\"3\"=dword:3\n"
        "[A\\\\b\\\\c] 1\n\"4\"=dword:4\n"
        "[A\\\\B\\\\x\\x41] 1\n\"5\"=dword:5\n"
        "[A\\\\B\\\\xA] 1\n\"6\"=dword:6\n");
    ASSERT_TRUE(file);
    const RegFileKey* a = KeyAt(*file, {"A"});
    ASSERT_TRUE(a);
    ASSERT_EQ(a->subkeys.size(), 2u);
    const RegFileKey* c = KeyAt(*file, {"A", "B", "C"});
    ASSERT_TRUE(c);
    std::vector<std::string> names;
    for (const auto& v : file->Values(*c)) names.emplace_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"1", "4"}));
    const RegFileKey* xa = KeyAt(*file, {"A", "B", "xA"});
    ASSERT_TRUE(xa);
    EXPECT_EQ(file->Values(*xa).size(), 2u);
    EXPECT_EQ(KeyAt(*file, {"A", "B"})->subkeys.size(), 3u);
}

// A file read from disk keeps its keys and values in an arena sized from its
// text. Many short lines outgrow it, and edits grow the keys' value lists
// after the read: what no longer fits goes to the heap, and the file reads,
// edits and saves exactly as the same text handed over as a string.
TEST(WineRegFile, AFileReadIntoItsOwnBufferActsAsTheSameText) {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
    char line[64];
    for (int k = 0; k < 200; ++k) {
        std::snprintf(line, sizeof line, "\n[K%04d\\\\s] 1700000000\n#time=1da0000000000%02x\n", k,
                      k % 100);
        text += line;
        for (int v = 0; v < 60; ++v) {
            std::snprintf(line, sizeof line, "\"v%02d\"=\"\"\n", v);
            text += line;
        }
    }
    RegFileText buffer;
    ASSERT_TRUE(buffer.Reserve(text.size() + 1));
    std::memcpy(buffer.bytes.get(), text.data(), text.size());
    buffer.size = text.size();
    std::string error;
    auto read = RegFile::Parse("test.reg", std::move(buffer), &error);
    ASSERT_TRUE(read) << error;
    auto given = ParseOk(text);
    ASSERT_TRUE(given);
    EXPECT_TRUE(read->Serialize() == given->Serialize());
    std::string saved;
    ASSERT_TRUE(read->SaveText(saved, &error)) << error;
    EXPECT_TRUE(saved == text);

    const RegFileKey* last = KeyAt(*read, {"K0199", "s"});
    ASSERT_TRUE(last);
    EXPECT_EQ(read->Values(*last).size(), 60u);
    EXPECT_EQ(ValueOf(*read, last, "V59"), (std::vector<std::uint8_t>{0, 0}));
    for (RegFile* file : {read.get(), given.get()}) {
        for (int k = 0; k < 200; k += 7) {
            std::snprintf(line, sizeof line, "K%04d", k);
            RegFileKey* key = file->FindSubkey(*file->FindSubkey(file->Root(), line), "s");
            ASSERT_TRUE(key);
            for (int v = 0; v < 30; ++v)
                file->SetValue(*key, "w" + std::to_string(v), REG_DWORD,
                               std::vector<std::uint8_t>{1, 0, 0, 0});
            file->DeleteValue(*key, "v00");
        }
    }
    std::string fromRead, fromGiven;
    ASSERT_TRUE(read->SaveText(fromRead, &error)) << error;
    ASSERT_TRUE(given->SaveText(fromGiven, &error)) << error;
    EXPECT_TRUE(fromRead == fromGiven);
    EXPECT_EQ(read->Values(*KeyAt(*read, {"K0007", "s"})).size(), 89u);
}

// Values stay lines of the text until a key is opened, and only the key
// opened last keeps them at hand. Reading other keys in between, then
// changing a key read long before, must edit exactly that key's lines, with
// names that needed decoding intact, in Wine's form and in a file of its own
// form (CRLF, a blank line inside a key) alike.
TEST(WineRegFile, KeysReadFromTheTextChangeAndSaveExactly) {
    const std::string wine =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"
        "\n[A] 1700000000\n#time=1da0000000000aa\n"
        "\"C:\\\\windows\\\\a.dll\"=dword:00000001\n"
        "\"plain\"=\"text\"\n"
        "\"\\x00e9t\\x00e9\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
        "  15,16,17,18\n"
        "\n[B] 1700000000\n#time=1da0000000000aa\n"
        "@=\"default\"\n\"x\"=dword:00000002\n";
    const std::string wineEdited =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"
        "\n[A] 1700000000\n#time=1da0000000000aa\n"
        "\"C:\\\\windows\\\\a.dll\"=dword:00000001\n"
        "\"new\"=dword:00000007\n"
        "\"\\x00e9t\\x00e9\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
        "  15,16,17,18\n"
        "\n[B] 1700000000\n#time=1da0000000000aa\n"
        "@=\"default\"\n";
    std::string own = wine;  // the same in a form of its own
    own.insert(own.find("\"plain\""), "\n");
    std::string ownEdited = wineEdited;
    ownEdited.insert(ownEdited.find("\"\\x00e9t"), "\n");
    auto crlf = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos;
             at = text.find('\n', at + 2))
            text.insert(at, "\r");
        return text;
    };
    const std::string e_acute = "\xC3\xA9t\xC3\xA9";
    for (const auto& [text, edited] :
         std::vector<std::pair<std::string, std::string>>{{wine, wineEdited},
                                                          {crlf(own), crlf(ownEdited)}}) {
        auto file = ParseOk(text);
        ASSERT_TRUE(file);
        RegFileKey* a = const_cast<RegFileKey*>(KeyAt(*file, {"A"}));
        RegFileKey* b = const_cast<RegFileKey*>(KeyAt(*file, {"B"}));
        ASSERT_TRUE(a && b);
        std::vector<std::string> names;
        for (const auto& v : file->Values(*a)) names.emplace_back(v.name);
        EXPECT_EQ(names, (std::vector<std::string>{"C:\\windows\\a.dll", "plain", e_acute}));
        EXPECT_EQ(file->Values(*b).size(), 2u);
        // A value kept to be put back outlives the reads of other keys.
        file->HoldValues(*a);
        const RegFileValue kept = *file->FindValue(*a, e_acute);
        EXPECT_EQ(ValueOf(*file, b, "x"), (std::vector<std::uint8_t>{2, 0, 0, 0}));
        EXPECT_EQ(kept.name, e_acute);
        EXPECT_EQ(file->ValueBytes(kept).size(), 24u);

        file->SetValue(*a, "new", REG_DWORD, std::vector<std::uint8_t>{7, 0, 0, 0});
        EXPECT_TRUE(file->DeleteValue(*a, "PLAIN"));
        EXPECT_TRUE(file->DeleteValue(*b, "x"));
        EXPECT_FALSE(file->DeleteValue(*b, "x"));
        std::string saved, error;
        ASSERT_TRUE(file->SaveText(saved, &error)) << error;
        EXPECT_EQ(saved, edited);
        auto again = ParseOk(saved);
        ASSERT_TRUE(again);
        EXPECT_EQ(ValueOf(*again, KeyAt(*again, {"A"}), e_acute).size(), 24u);
        EXPECT_EQ(ValueOf(*again, KeyAt(*again, {"A"}), "C:\\windows\\a.dll"),
                  (std::vector<std::uint8_t>{1, 0, 0, 0}));
        // Put back as it was, the file saves as it was read.
        file->RestoreValue(*b, RegFileValue{"x", "00000002", REG_DWORD, RegFileValue::Form::Dword});
        ASSERT_TRUE(file->DeleteValue(*a, "new"));
        file->SetValue(*a, "plain", REG_SZ, Utf16Bytes(std::u16string(u"text") + u'\0'));
        ASSERT_TRUE(file->SaveText(saved, &error)) << error;
        if (text == wine) {
            EXPECT_EQ(saved, text);
        }
        EXPECT_EQ(file->Serialize(), ParseOk(text)->Serialize());
    }
}

// The closing quote of a name or text: the first one no backslash escapes,
// for every string of backslashes, quotes and letters up to 7 long.
TEST(WineRegFile, TheClosingQuoteIsTheFirstUnescapedOne) {
    auto reference = [](std::string_view s, char end) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\\') {
                ++i;
                continue;
            }
            if (s[i] == end) return i;
        }
        return std::string_view::npos;
    };
    const char alphabet[] = {'\\', '"', 'a'};
    std::string s;
    for (std::size_t length = 0; length <= 7; ++length) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < length; ++i) combinations *= 3;
        for (std::size_t n = 0; n < combinations; ++n) {
            s.clear();
            for (std::size_t i = 0, k = n; i < length; ++i, k /= 3) s.push_back(alphabet[k % 3]);
            ASSERT_EQ(regtext::FindUnescaped(s, '"'), reference(s, '"')) << s;
            ASSERT_EQ(regtext::FindUnescaped(s, '\\'), reference(s, '\\')) << s;
        }
    }
}

}  // namespace
}  // namespace vostrel

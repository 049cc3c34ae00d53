// What a Wine installation supplies itself: the rules read from its folders
// (a made-up installation in every layout Wine has shipped in) and from the
// Wine installed on this machine, whose own registrations the fresh prefix
// holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/wine/wine_install.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteTextFile;

void Touch(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    WriteTextFile(path, "x");
}

TEST(WineRegistryScript, ServerNamesAreBareFileNamesOfServerKeys) {
    const std::string script =
        "HKCR\n{\n NoRemove CLSID\n {\n"
        "  '{00020420-0000-0000-C000-000000000046}' { InprocServer = s 'ole2disp.dll' }\n"
        "  '{1}' { InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Both' } }\n"
        "  '{2}' { LocalServer32=s 'WinePrint.EXE' }\n"
        "  '{3}' { ProgID = s 'WMPlayer.OCX.7' VersionIndependentProgID = s 'WMPlayer.OCX' }\n"
        "  '{4}' { InprocServer32 = s 'C:\\windows\\system32\\x.dll' }\n"
        "  '{5}' { InprocHandler32 = s 'ole32.dll' }\n"
        "  '{6}' { InprocServer = s 'noextension' }\n"
        "  '{7}' { InprocServer = s 'unclosed.dll\n";
    EXPECT_EQ(ServerNamesOfScript(script),
              (std::set<std::string>{"ole2disp.dll", "wineprint.exe", "ole32.dll"}));
}

TEST(WineFontTable, NamesAndTheirTailsAreFound) {
    // "serife.fon" is stored as the tail of "sserife.fon", as a linker does.
    const std::string bytes = std::string("\x01\x02sserife.fon\0coure.FON\0vga850.fon\0\x7f", 36) +
                              "notafont.fonx\0.fon\0";
    std::set<std::string> names;
    AddFontFileNames(bytes, names);
    for (const char* name : {"sserife.fon", "serife.fon", "coure.fon", "oure.fon", "vga850.fon"})
        EXPECT_TRUE(names.count(name)) << name;
    EXPECT_FALSE(names.count(".fon"));
    EXPECT_FALSE(names.count("notafont.fon"));
}

// A library's names are found wherever they lie (here around the 1 MB and
// 2 MB marks, and at the very end of a piece as the file was once read), as
// in the whole bytes.
TEST(WineFontTable, ALibraryReadInPiecesGivesWhatItsWholeBytesGive) {
    std::string bytes(3u << 20, 'x');
    for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = '\0';
    // Names 16 bytes long ending 20 bytes apart, one ending right at the
    // end of a piece; every other one is followed by a NUL (the others by
    // 'y': no name).
    int n = 1;
    for (std::size_t edge : {std::size_t{1} << 20, (std::size_t{2} << 20) - 128 + 1}) {
        for (int j = -9; j <= 9; ++j, ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "f%02dabcdefghi.fon", n);
            const std::size_t end = edge + static_cast<std::size_t>(20 * j + 200) - 200;
            bytes[end - 17] = '\0';
            bytes.replace(end - 16, 16, name);
            bytes[end] = n % 2 ? '\0' : 'y';
        }
    }
    TempDir dir;
    const std::string unix = dir / "x86_64-unix";
    fs::create_directories(unix);
    {
        std::ofstream out(unix + "/win32u.so", std::ios::binary);
        out << bytes;
    }
    std::set<std::string> whole;
    AddFontFileNames(bytes, whole);
    ASSERT_GT(whole.size(), 40u);
    WineInstallFolders folders;
    folders.unixFolders.push_back(unix);
    WineInstall wine(folders);
    EXPECT_EQ(wine.FontTableNames(), whole);
    for (int i = 1; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "F%02dABCDEFGHI.FON", i);
        EXPECT_EQ(wine.ProvidesFont(name), i % 2 == 1) << name;
    }
    // Read again by another installation of the same files: the same names.
    WineInstall again(folders);
    EXPECT_EQ(again.FontTableNames(), whole);
}

// A 64-bit PE file whose resources hold a TYPELIB and a WINE_REGISTRY
// script: the resource section starts 8 kB into the file, the script's type
// name lies 12 kB past the directory and the script 20 kB past it, so each
// read lands outside the bytes read just before.
std::string PeWithScript(const std::string& script) {
    std::string pe(0x8000, '\0');
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        pe[at] = static_cast<char>(v & 0xFF);
        pe[at + 1] = static_cast<char>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) pe[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto putName = [&](std::size_t at, std::u16string_view name) {
        put16(at, static_cast<std::uint16_t>(name.size()));
        for (std::size_t i = 0; i < name.size(); ++i) put16(at + 2 + 2 * i, name[i]);
    };
    constexpr std::size_t kPe = 0x80, kOptional = kPe + 24, kSections = kOptional + 240;
    constexpr std::size_t kRaw = 0x2000;
    constexpr std::uint32_t kRva = 0x10000;
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(0x3c, kPe);
    pe.replace(kPe, 4, std::string("PE\0\0", 4));
    put16(kPe + 6, 1);     // one section
    put16(kPe + 20, 240);  // the optional header's size
    put16(kOptional, 0x20b);
    put32(kOptional + 108, 16);    // data directories
    put32(kOptional + 128, kRva);  // the resources
    put32(kOptional + 132, 0x6000);
    put32(kSections + 8, 0x6000);   // virtual size
    put32(kSections + 12, kRva);    // virtual address
    put32(kSections + 16, 0x6000);  // raw size
    put32(kSections + 20, kRaw);    // raw offset
    // The root: two named types; each names a directory of one id, which
    // names a directory of one language, which names a data entry.
    put16(kRaw + 12, 2);
    const std::size_t typeLib = 0x1000, registry = 0x3000;
    putName(kRaw + typeLib, u"TYPELIB");
    putName(kRaw + registry, u"WINE_REGISTRY");
    for (int t = 0; t < 2; ++t) {
        const std::size_t entry = kRaw + 16 + 8 * static_cast<std::size_t>(t);
        const std::uint32_t level2 = 0x100 + 0x100 * static_cast<std::uint32_t>(t);
        put32(entry, 0x80000000u | static_cast<std::uint32_t>(t == 0 ? typeLib : registry));
        put32(entry + 4, 0x80000000u | level2);
        put16(kRaw + level2 + 14, 1);
        put32(kRaw + level2 + 16, 1);
        put32(kRaw + level2 + 20, 0x80000000u | (level2 + 0x40));
        put16(kRaw + level2 + 0x40 + 14, 1);
        put32(kRaw + level2 + 0x40 + 16, 0x409);
        put32(kRaw + level2 + 0x40 + 20, level2 + 0x80);  // a data entry
        const std::uint32_t data = t == 0 ? 0x4000 : 0x5000;
        put32(kRaw + level2 + 0x80, kRva + data);
        put32(kRaw + level2 + 0x84, t == 0 ? 4 : static_cast<std::uint32_t>(script.size()));
        pe.replace(kRaw + data, t == 0 ? 4 : script.size(), t == 0 ? "MSFT" : script);
    }
    return pe;
}

TEST(WineRegistryScript, ReadFromTheResourcesOfALibrary) {
    const std::string script = "HKCR { NoRemove CLSID { '{1}' { InprocServer = s 'old16.dll' } } }";
    TempDir dir;
    const std::string pe = PeWithScript(script);
    WriteTextFile(dir / "srv.dll", pe);
    EXPECT_EQ(WineRegistryScripts(dir / "srv.dll"), std::vector<std::string>{script});
    // Cut short before the script, or before the directory: nothing.
    WriteTextFile(dir / "cut.dll", pe.substr(0, 0x2000 + 0x5000 + 8));
    EXPECT_TRUE(WineRegistryScripts(dir / "cut.dll").empty());
    WriteTextFile(dir / "headers.dll", pe.substr(0, 0x1000));
    EXPECT_TRUE(WineRegistryScripts(dir / "headers.dll").empty());
    EXPECT_TRUE(WineRegistryScripts(dir / "missing.dll").empty());

    WineInstallFolders folders;
    folders.libraryFolders.push_back(dir.path());
    WineInstall wine(folders);
    EXPECT_EQ(wine.RegisteredServers(), std::set<std::string>{"old16.dll"});
    EXPECT_TRUE(wine.ProvidesLibrary("OLD16.DLL"));
    EXPECT_TRUE(wine.ProvidesLibrary("srv.dll"));
    EXPECT_FALSE(wine.ProvidesLibrary("other.dll"));
}

// The layouts: Wine 6 and later (lib/wine/<arch>-windows, also Debian's
// lib/<triplet>/wine), older Wine (lib/wine/x.dll.so), and a Proton folder.
TEST(WineInstallFolders, EveryLayoutIsFound) {
    TempDir dir;
    const std::string debian = dir / "usr";
    Touch(debian + "/lib/x86_64-linux-gnu/wine/x86_64-windows/ntdll.dll");
    Touch(debian + "/lib/x86_64-linux-gnu/wine/x86_64-windows/hhctrl.ocx");
    Touch(debian + "/lib/x86_64-linux-gnu/wine/i386-windows/avifile.dll16");
    Touch(debian + "/lib/x86_64-linux-gnu/wine/x86_64-unix/ntdll.so");
    Touch(debian + "/share/wine/fonts/Tahoma.ttf");
    Touch(debian + "/bin/wine");
    const std::string old = dir / "old";
    Touch(old + "/lib/wine/ntdll.dll.so");
    Touch(old + "/lib/wine/ole2disp.dll16.so");
    Touch(old + "/lib/wine/fakedlls/kernel32.dll");
    const std::string proton = dir / "Proton 8.0";
    Touch(proton + "/dist/lib64/wine/x86_64-windows/ntdll.dll");
    Touch(proton + "/dist/lib/wine/i386-windows/ntdll.dll");
    Touch(proton + "/dist/lib/wine/i386-windows/krnl386.exe16");
    Touch(proton + "/dist/bin/wine");
    fs::create_directories(dir / "empty/lib/wine");

    const auto atDebian = WineInstallAt(debian);
    ASSERT_TRUE(atDebian);
    WineInstall wine(*atDebian);
    EXPECT_TRUE(wine.ProvidesLibrary("NTDLL.DLL"));
    EXPECT_TRUE(wine.ProvidesLibrary("hhctrl.ocx"));
    EXPECT_TRUE(wine.ProvidesLibrary("avifile.dll"));  // its 16-bit library
    EXPECT_FALSE(wine.ProvidesLibrary("avifile.dll16x"));
    EXPECT_FALSE(wine.ProvidesLibrary("thirdparty.dll"));
    EXPECT_FALSE(wine.ProvidesLibrary("ntdll.so"));  // the Unix side is no Windows library
    EXPECT_FALSE(wine.ProvidesLibrary(""));
    EXPECT_TRUE(wine.ProvidesFont("tahoma.TTF"));
    EXPECT_FALSE(wine.ProvidesFont("arial.ttf"));

    const auto atOld = WineInstallAt(old);
    ASSERT_TRUE(atOld);
    WineInstall oldWine(*atOld);
    EXPECT_TRUE(oldWine.ProvidesLibrary("ole2disp.dll"));
    EXPECT_TRUE(oldWine.ProvidesLibrary("kernel32.dll"));
    EXPECT_FALSE(oldWine.ProvidesFont("coure.fon"));  // no font folder, no font table

    // Named folders: the root, its bin folder, the wine program, Proton's folder.
    for (const std::string& named : {debian, debian + "/bin", debian + "/bin/wine"}) {
        const auto found = WineInstallNamed(named);
        ASSERT_TRUE(found) << named;
        EXPECT_EQ(found->root, debian) << named;
    }
    const auto atProton = WineInstallNamed(proton);
    ASSERT_TRUE(atProton);
    WineInstall protonWine(*atProton);
    EXPECT_TRUE(protonWine.ProvidesLibrary("krnl386.exe"));
    EXPECT_FALSE(WineInstallAt(dir / "empty"));
    EXPECT_FALSE(WineInstallNamed(dir / "nowhere"));
    EXPECT_FALSE(WineInstallNamed(debian + "/share"));  // only a bin folder stands for its parent
    EXPECT_FALSE(WineInstallNamed(debian + "/bin/../share/wine"));

    // Found without being told: through WINELOADER first.
    ScopedEnv loader("WINELOADER", proton + "/dist/bin/wine");
    const auto found = FindSystemWineInstall();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->root, proton + "/dist");
}

TEST(WineInstallChoice, NamedFolderWithoutWineIsSaid) {
    TempDir dir;
    ScopedEnv loader("WINELOADER", "");
    ScopedEnv path("PATH", dir.path());
    std::string note;
    auto wine = ChooseWineInstall(dir / "nowhere", "", &note);
    EXPECT_NE(note.find("no Wine installation in " + (dir / "nowhere")), std::string::npos) << note;
    const WineChoice choice = ChooseWine(dir / "nowhere", "");
    EXPECT_FALSE(choice.namedFound);
    const WineChoice fromSetting = ChooseWine("", dir / "nowhere");
    EXPECT_TRUE(fromSetting.namedFound);  // a stale setting is said, not refused
    EXPECT_FALSE(fromSetting.note.empty());
}

// The Wine of this machine: what its fresh prefixes hold without the files.
TEST(InstalledWine, SuppliesWhatItsFreshPrefixNames) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const auto found = FindSystemWineInstall();
    ASSERT_TRUE(found);
    WineInstall wine(*found);
    for (const char* name : {"kernel32.dll", "hhctrl.ocx", "avifile.dll", "ole2disp.dll"})
        EXPECT_TRUE(wine.ProvidesLibrary(name)) << name;
    for (const char* name : {"vostrel-gone.dll", "gonesrv.exe", "msvbvm60.dll", "wmplayer.ocx"})
        EXPECT_FALSE(wine.ProvidesLibrary(name)) << name;
    for (const char* name : {"coure.fon", "sserife.fon", "serife.fon", "smalle.fon"})
        EXPECT_TRUE(wine.ProvidesFont(name)) << name;
    for (const char* name : {"arial.ttf", "gonefont.ttf"})
        EXPECT_FALSE(wine.ProvidesFont(name)) << name;
}

}  // namespace
}  // namespace vostrel

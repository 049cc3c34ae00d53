// The deeper sections on a real Wine prefix, through vostrel-cli as a user
// runs it: a program's leftovers imported with Wine's own `reg` are found in
// every section, the valid entries beside them and everything the fresh
// prefix holds are not, and a repair's backup puts every value back as it
// was.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/text.h"
#include "system/wine/wineserver_lock.h"

namespace fs = std::filesystem;
using namespace vostrel::testing;

namespace {

constexpr const char* kDeepSections =
    "Shared DLLs;Installer Folders;MUI Cache;Compatibility Layers;Services;Sound Events;"
    "Type Libraries;File Associations;Uninstall Section;Windows Startup";

const std::string kCurrentVersion = "\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kMuiCache =
    "HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
const std::string kLayers =
    "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
const std::string kTypeLib = "HKCR\\TypeLib\\{6E0F1B2A-3C4D-4E5F-8A9B-0C1D2E3F4A5B}\\1.0\\0";
const std::string kService = "HKLM\\System\\CurrentControlSet\\Services";
const std::string kClasses = "HKLM\\Software\\Classes\\";
const std::string kUserClasses = "HKCU\\Software\\Classes\\";

// One value to plant: key, value name (empty: the default value), type, data.
struct Planted {
    std::string key, name, type, data;
};

// A program removed by hand from C:\Program Files\Deep left these; the
// valid entries beside them name what is there (Wine's own files, or a
// folder and a file the test makes).
const std::vector<Planted> kLeftovers = {
    {"HKLM" + kCurrentVersion + "\\SharedDLLs", "C:\\Program Files\\Deep\\deep.dll", "REG_DWORD",
     "1"},
    {"HKLM" + kCurrentVersion + "\\Installer\\Folders", "C:\\Program Files\\Deep\\", "REG_SZ", ""},
    {kMuiCache, "C:\\Program Files\\Deep\\deep.exe.FriendlyAppName", "REG_SZ", "Deep"},
    {kMuiCache, "C:\\Program Files\\Deep\\deep.exe.ApplicationCompany", "REG_SZ", "Deep Games"},
    {"HKCU" + kLayers, "C:\\Program Files\\Deep\\deep.exe", "REG_SZ", "~ WINXPSP3"},
    {kService + "\\DeepSvc", "ImagePath", "REG_EXPAND_SZ",
     "\"%ProgramFiles%\\Deep\\deepsvc.exe\" -service"},
    {kService + "\\DeepDrv", "ImagePath", "REG_EXPAND_SZ",
     "\\SystemRoot\\system32\\drivers\\deep.sys"},
    {"HKCU\\AppEvents\\Schemes\\Apps\\Deep\\Win\\.Current", "", "REG_SZ",
     "C:\\Program Files\\Deep\\win.wav"},
    {"HKCU\\AppEvents\\Schemes\\Apps\\Deep\\Win\\.Default", "", "REG_SZ", "deepwin.wav"},
    {kTypeLib + "\\win32", "", "REG_SZ", "C:\\Program Files\\Deep\\deep.tlb"},
    {kTypeLib + "\\win64", "", "REG_SZ", "C:\\Program Files\\Deep\\deep64.dll\\2"},
    {"HKCU" + kCurrentVersion + "\\Uninstall\\Deep", "UninstallString", "REG_SZ",
     "\"C:\\Program Files\\Deep\\uninst.exe\" /user"},
    {"HKCU" + kCurrentVersion + "\\Uninstall\\Deep", "InstallLocation", "REG_SZ",
     "C:\\Program Files\\Deep"},
    {"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Deep32",
     "DisplayIcon", "REG_SZ", "C:\\Program Files (x86)\\Deep\\deep32.exe,0"},
    // What it started for the user, and once.
    {"HKCU" + kCurrentVersion + "\\Run", "DeepTray", "REG_SZ",
     "\"C:\\Program Files\\Deep\\deep.exe\" /tray"},
    {"HKCU" + kCurrentVersion + "\\RunOnce", "DeepFirst", "REG_SZ",
     "C:\\Program Files\\Deep\\setup.exe /first"},
    // Its file types: one whose class is gone, one whose class starts it.
    {kClasses + ".deepsave", "", "REG_SZ", "Deep.Save"},
    {kClasses + "DeepFile\\shell\\open\\command", "", "REG_SZ",
     "\"C:\\Program Files\\Deep\\deep.exe\" \"%1\""},
    {kClasses + "DeepFile\\DefaultIcon", "", "REG_SZ", "C:\\Program Files\\Deep\\deep.exe,0"},
    {kUserClasses + ".deepmap\\OpenWithProgids", "DeepMap.1", "REG_SZ", ""},
    {kUserClasses + "Directory\\shell\\DeepHere\\command", "", "REG_SZ",
     "C:\\Program Files\\Deep\\deep.exe /dir \"%1\""},
};

const std::vector<Planted> kValid = {
    {"HKLM" + kCurrentVersion + "\\SharedDLLs", "C:\\windows\\system32\\kernel32.dll", "REG_DWORD",
     "2"},
    {"HKLM" + kCurrentVersion + "\\SharedDLLs",
     "C:\\Program Files\\Here\\\xD0\x94\xD0\xB8\xD0\xBC\xD0\xB0.dll", "REG_DWORD", "1"},
    {"HKLM" + kCurrentVersion + "\\Installer\\Folders", "C:\\Program Files\\Here\\", "REG_SZ", ""},
    {kMuiCache, "C:\\windows\\notepad.exe.FriendlyAppName", "REG_SZ", "Notepad"},
    {kMuiCache, "@%SystemRoot%\\system32\\shell32.dll,-8752", "REG_SZ", "Gone"},
    {kMuiCache, "LangID", "REG_BINARY", "0904"},
    {"HKLM" + kLayers, "C:\\windows\\notepad.exe", "REG_SZ", "WIN98"},
    {kService + "\\HereSvc", "ImagePath", "REG_EXPAND_SZ",
     "%SystemRoot%\\system32\\svchost.exe -k netsvcs"},
    {kService + "\\HereApp", "ImagePath", "REG_SZ",
     "C:\\Program Files\\Here\\here.exe /service \"%1\""},
    {"HKCU\\AppEvents\\Schemes\\Apps\\Here\\Win\\.Current", "", "REG_SZ", "C:\\windows\\win.ini"},
    {"HKCU\\AppEvents\\Schemes\\Apps\\Here\\Win\\.Default", "", "REG_SZ", ""},
    {kTypeLib + "\\HELPDIR", "", "REG_SZ", "C:\\Program Files\\Deep"},
    {"HKCR\\TypeLib\\{6E0F1B2A-3C4D-4E5F-8A9B-0C1D2E3F4A5C}\\2.0\\0\\win32", "", "REG_SZ",
     "C:\\windows\\system32\\stdole2.tlb"},
    {"HKCU" + kCurrentVersion + "\\Uninstall\\Here", "UninstallString", "REG_SZ",
     "C:\\Program Files\\Here\\here.exe /uninstall"},
    {"HKCU" + kCurrentVersion + "\\Uninstall\\Here", "InstallLocation", "REG_SZ",
     "C:\\Program Files\\Here"},
    {"HKCU" + kCurrentVersion + "\\Run", "HereTray", "REG_SZ",
     "C:\\Program Files\\Here\\here.exe /tray"},
    // A class whose key holds only subkeys (Wine writes no line for it),
    // a file type of Wine's own class, and a user's type of a machine's class.
    {kClasses + ".here", "", "REG_SZ", "HereFile"},
    {kClasses + "HereFile\\shell\\open\\command", "", "REG_SZ",
     "C:\\Program Files\\Here\\here.exe /open \"%1\""},
    {kClasses + "HereFile\\shell\\edit\\command", "", "REG_EXPAND_SZ",
     "\"%ProgramFiles%\\Here\\here.exe\" \"%1\""},
    {kClasses + "HereFile\\shell\\print\\command", "", "REG_SZ",
     "rundll32.exe \"C:\\Program Files\\Gone\\print.dll\",Print %1"},
    {kClasses + "HereFile\\shell\\remove\\command", "", "REG_SZ",
     "MsiExec.exe /X{6E0F1B2A-3C4D-4E5F-8A9B-0C1D2E3F4A5D}"},
    {kClasses + "HereFile\\DefaultIcon", "", "REG_SZ", "%1"},
    {kClasses + "HerePic\\DefaultIcon", "", "REG_SZ", "shell32.dll,-152"},
    {kClasses + ".heretext", "", "REG_SZ", "txtfile"},
    {kClasses + ".heretext\\OpenWithProgids", "HereFile", "REG_SZ", ""},
    {kUserClasses + ".herecu", "", "REG_SZ", "HereFile"},
    {kUserClasses + "Applications\\here.exe\\shell\\open\\command", "", "REG_SZ",
     "\"C:\\Program Files\\Here\\\xD0\x94\xD0\xB8\xD0\xBC\xD0\xB0.dll\" \"%1\""},
};

// Each problem as section, value and missing path.
using Found = std::tuple<std::string, std::string, std::string>;

std::multiset<Found> Problems(const nlohmann::json& scan) {
    std::multiset<Found> found;
    for (const auto& row : scan.at("registry"))
        found.emplace(row.at("section"), row.at("value"), row.at("missing"));
    return found;
}

class DeepSectionsWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
        prefix_ = work_ / "prefix";
        CopyTemplatePrefix(prefix_);
        // A sandboxed prefix: no drive for the host's root.
        fs::remove(prefix_ + "/dosdevices/z:");
        const fs::path here = fs::path(prefix_) / "drive_c/Program Files/Here";
        fs::create_directories(here);
        std::ofstream(here / "here.exe") << "MZ";
        std::ofstream(here / "\xD0\x94\xD0\xB8\xD0\xBC\xD0\xB0.dll") << "MZ";
    }
    // One `reg import` of all the values, as a Unicode .reg file.
    void Plant(const std::vector<Planted>& values) {
        std::u16string text = u"\uFEFFWindows Registry Editor Version 5.00\r\n";
        for (const auto& value : values) {
            std::string line = "\r\n[" + Expanded(value.key) + "]\r\n";
            line += value.name.empty() ? "@" : "\"" + Escaped(value.name) + "\"";
            line += "=" + Data(value) + "\r\n";
            text += vostrel::Utf8ToUtf16(line);
        }
        const fs::path file = work_ / "plant.reg";
        std::ofstream out(file, std::ios::binary);
        for (const char16_t unit : text)
            out.put(static_cast<char>(unit & 0xFF)).put(static_cast<char>(unit >> 8));
        out.close();
        fs::create_directory_symlink(work_.path(), prefix_ + "/dosdevices/y:");
        ASSERT_EQ(RunWine(prefix_, {"reg", "import", "Y:\\plant.reg"}), 0);
        WaitForWineserver(prefix_);
        fs::remove(prefix_ + "/dosdevices/y:");
    }
    static std::string Expanded(const std::string& key) {
        for (const auto& [brief, full] :
             {std::pair<std::string, std::string>{"HKLM\\", "HKEY_LOCAL_MACHINE\\"},
              {"HKCU\\", "HKEY_CURRENT_USER\\"},
              {"HKCR\\", "HKEY_CLASSES_ROOT\\"}})
            if (key.starts_with(brief)) return full + key.substr(brief.size());
        return key;
    }
    static std::string Escaped(const std::string& text) {
        std::string out;
        for (const char c : text) {
            if (c == '\\' || c == '"') out += '\\';
            out += c;
        }
        return out;
    }
    static std::string Hex(const std::vector<std::uint8_t>& bytes) {
        std::string out;
        char byte[4];
        for (const std::uint8_t b : bytes) {
            std::snprintf(byte, sizeof byte, "%02x", b);
            out += (out.empty() ? "" : ",") + std::string(byte);
        }
        return out;
    }
    static std::string Data(const Planted& value) {
        if (value.type == "REG_DWORD") {
            char number[16];
            std::snprintf(number, sizeof number, "%08lx", std::stoul(value.data));
            return "dword:" + std::string(number);
        }
        if (value.type == "REG_BINARY") {
            std::vector<std::uint8_t> bytes;
            for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
                bytes.push_back(
                    static_cast<std::uint8_t>(std::stoul(value.data.substr(i, 2), nullptr, 16)));
            return "hex:" + Hex(bytes);
        }
        if (value.type == "REG_EXPAND_SZ") {
            std::vector<std::uint8_t> bytes;
            for (const char16_t unit : vostrel::Utf8ToUtf16(value.data) + u'\0')
                bytes.insert(bytes.end(), {static_cast<std::uint8_t>(unit & 0xFF),
                                           static_cast<std::uint8_t>(unit >> 8)});
            return "hex(2):" + Hex(bytes);
        }
        return "\"" + Escaped(value.data) + "\"";
    }
    CliRun Cli(const std::vector<std::string>& args) { return RunCliPrivately(work_.path(), args); }
    // The backup file a repair wrote into `folder` (empty when there is none).
    static std::string BackupIn(const fs::path& folder) {
        std::string backup;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file()) backup = entry.path().string();
        return backup;
    }
    nlohmann::json Scan() {
        const CliRun run =
            Cli({"scan", "--prefix", prefix_, "--sections", kDeepSections, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    }
    // Every key of the registry files with its values, without the times
    // of change: what a repair and a restore may not disturb.
    std::map<std::string, std::set<std::string>> Registry() {
        std::map<std::string, std::set<std::string>> keys;
        for (const char* file : {"/system.reg", "/user.reg"}) {
            std::ifstream in(prefix_ + file, std::ios::binary);
            std::string line, key;
            while (std::getline(in, line)) {
                if (line.starts_with("[")) {
                    key = std::string(file) + line.substr(0, line.rfind(']') + 1);
                    keys[key];
                } else if (!key.empty() && !line.empty() && !line.starts_with("#time=")) {
                    keys[key].insert(line);
                }
            }
        }
        return keys;
    }
    TempDir work_;
    std::string prefix_;
};

TEST_F(DeepSectionsWine, FindsEveryLeftoverAndNothingValidThenRestoresThemAll) {
    // A fresh prefix holds nothing these sections report: Wine's own
    // services, type libraries and sounds are all there, or are the files
    // of an add-on that is not installed (Wine Mono's font cache).
    EXPECT_EQ(Problems(Scan()), std::multiset<Found>{});

    Plant(kValid);
    EXPECT_EQ(Problems(Scan()), std::multiset<Found>{});

    Plant(kLeftovers);
    const std::multiset<Found> expected = {
        {"Shared DLLs", "C:\\Program Files\\Deep\\deep.dll", "C:\\Program Files\\Deep\\deep.dll"},
        {"Installer Folders", "C:\\Program Files\\Deep\\", "C:\\Program Files\\Deep\\"},
        {"MUI Cache", "C:\\Program Files\\Deep\\deep.exe.FriendlyAppName",
         "C:\\Program Files\\Deep\\deep.exe"},
        {"MUI Cache", "C:\\Program Files\\Deep\\deep.exe.ApplicationCompany",
         "C:\\Program Files\\Deep\\deep.exe"},
        {"Compatibility Layers", "C:\\Program Files\\Deep\\deep.exe",
         "C:\\Program Files\\Deep\\deep.exe"},
        {"Services", "ImagePath", "C:\\Program Files\\Deep\\deepsvc.exe"},
        {"Services", "ImagePath", "\\SystemRoot\\system32\\drivers\\deep.sys"},
        {"Sound Events", "(Default)", "C:\\Program Files\\Deep\\win.wav"},
        {"Sound Events", "(Default)", "C:\\windows\\media\\deepwin.wav"},
        {"Type Libraries", "(Default)", "C:\\Program Files\\Deep\\deep.tlb"},
        {"Type Libraries", "(Default)", "C:\\Program Files\\Deep\\deep64.dll"},
        {"Uninstall Section", "UninstallString", "C:\\Program Files\\Deep\\uninst.exe"},
        {"Uninstall Section", "InstallLocation", "C:\\Program Files\\Deep"},
        {"Uninstall Section", "DisplayIcon", "C:\\Program Files (x86)\\Deep\\deep32.exe"},
        {"Windows Startup", "DeepTray", "C:\\Program Files\\Deep\\deep.exe"},
        {"Windows Startup", "DeepFirst", "C:\\Program Files\\Deep\\setup.exe"},
        {"File Associations", "(Default)", "HKEY_CLASSES_ROOT\\Deep.Save"},
        {"File Associations", "DeepMap.1", "HKEY_CLASSES_ROOT\\DeepMap.1"},
        {"File Associations", "(Default)", "C:\\Program Files\\Deep\\deep.exe"},
        {"File Associations", "(Default)", "C:\\Program Files\\Deep\\deep.exe"},
        {"File Associations", "(Default)", "C:\\Program Files\\Deep\\deep.exe"},
    };
    EXPECT_EQ(Problems(Scan()), expected);

    // The repair takes every leftover; the backup brings each back as it was.
    const auto before = Registry();
    const fs::path backups = work_ / "backups";
    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", kDeepSections, "--yes",
                               "--backup-dir", backups.string()});
    ASSERT_EQ(repair.status, 0) << repair.err;
    EXPECT_EQ(Problems(Scan()), std::multiset<Found>{});
    EXPECT_NE(Registry(), before);
    const std::string backup = BackupIn(backups);
    ASSERT_FALSE(backup.empty());
    const CliRun restore = Cli({"restore", backup, "--prefix", prefix_});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(Problems(Scan()), expected);
}

// A per-machine package (32-bit, so it goes to Program Files (x86) and
// the 32-bit registry view) whose component registers its program and
// sound in the deeper sections as installers do.
constexpr const char* kPackage = R"(<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{7A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C01}" Name="Deep Msi" Language="1033"
           Version="1.0.0" Manufacturer="Deep Games"
           UpgradeCode="{7A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C02}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />
    <Media Id="1" Cabinet="deep.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="DeepMsi">
          <Component Id="DeepComponent" Guid="{7A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C03}">
            <File Id="DeepExe" Name="deep.exe" Source="deep.exe" KeyPath="yes" />
            <File Id="StartWav" Name="start.wav" Source="start.wav" />
            <RegistryValue Root="HKLM" Key="Software\Microsoft\Windows\CurrentVersion\App Paths\deepmsi.exe"
                           Type="string" Value="[INSTALLDIR]deep.exe" />
            <RegistryValue Root="HKLM" Key="Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
                           Name="[INSTALLDIR]deep.exe" Type="integer" Value="1" />
            <RegistryValue Root="HKLM" Key="Software\Microsoft\Windows\CurrentVersion\Installer\Folders"
                           Name="[INSTALLDIR]" Type="string" Value="" />
            <RegistryValue Root="HKCU" Key="Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers"
                           Name="[INSTALLDIR]deep.exe" Type="string" Value="~ WINXPSP3" />
            <RegistryValue Root="HKLM" Key="Software\Classes\TypeLib\{7A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C04}\1.0\0\win32"
                           Type="string" Value="[INSTALLDIR]deep.exe\1" />
            <RegistryValue Root="HKCU" Key="AppEvents\Schemes\Apps\DeepMsi\Start\.Current"
                           Type="string" Value="[INSTALLDIR]start.wav" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="DeepComponent" /></Feature>
  </Product>
</Wix>
)";

TEST_F(DeepSectionsWine, AnInstalledPackageIsCleanAndItsDeletedFolderLeavesEveryRegistration) {
    if (std::system("command -v wixl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "wixl (msitools) is not installed";
    const fs::path package = work_ / "package";
    fs::create_directories(package);
    std::ofstream(package / "deep.exe") << "MZ";
    std::ofstream(package / "start.wav") << "RIFF";
    std::ofstream(package / "deep.wxs") << kPackage;
    ASSERT_EQ(std::system(("cd " + ShellQuote(package.string()) +
                           " && wixl -o deep.msi deep.wxs 2>/dev/null")
                              .c_str()),
              0);
    fs::create_directory_symlink(package, prefix_ + "/dosdevices/y:");
    ASSERT_EQ(RunWine(prefix_, {"msiexec", "/i", "Y:\\deep.msi", "/qn"}), 0);
    WaitForWineserver(prefix_);
    fs::remove(prefix_ + "/dosdevices/y:");
    const std::string sections = std::string(kDeepSections) + ";Software Locations";
    const auto scan = [&] {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", sections, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return Problems(nlohmann::json::parse(run.out));
    };
    // Its uninstall entry runs MsiExec, which is there; its source drive is gone.
    EXPECT_EQ(scan(), std::multiset<Found>{});

    const fs::path folder = fs::path(prefix_) / "drive_c/Program Files (x86)/DeepMsi";
    ASSERT_TRUE(fs::exists(folder / "deep.exe"));
    fs::remove_all(folder);
    const std::string gone = "C:\\Program Files (x86)\\DeepMsi\\";
    EXPECT_EQ(scan(), (std::multiset<Found>{
                          {"Software Locations", "(Default)", gone + "deep.exe"},
                          {"Shared DLLs", gone + "deep.exe", gone + "deep.exe"},
                          {"Installer Folders", gone, gone},
                          {"Compatibility Layers", gone + "deep.exe", gone + "deep.exe"},
                          {"Type Libraries", "(Default)", gone + "deep.exe"},
                          {"Sound Events", "(Default)", gone + "start.wav"},
                      }));

    // The six are one item, the program's, and one id repairs them all.
    const CliRun listed = Cli({"scan", "--prefix", prefix_, "--sections", sections, "--json"});
    const auto groups = nlohmann::json::parse(listed.out).at("groups");
    ASSERT_EQ(groups.size(), 1u) << listed.out;
    EXPECT_EQ(groups[0].at("folder"), "C:\\Program Files (x86)\\DeepMsi");
    EXPECT_EQ(groups[0].at("count"), 6);
    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", sections, "--only",
                               groups[0].at("id").get<std::string>(), "--yes", "--backup-dir",
                               work_.path() + "/backups"});
    ASSERT_EQ(repair.status, 0) << repair.err;
    EXPECT_EQ(scan(), std::multiset<Found>{});
}

// An installer as NSIS makes them (64-bit: the prefix runs 64-bit programs
// only), writing what such installers write.
constexpr const char* kNsisScript = R"(Target amd64-unicode
Name "Deep Nsis"
OutFile "DeepSetup.exe"
InstallDir "$PROGRAMFILES64\DeepNsis"
RequestExecutionLevel admin
SilentInstall silent
Section
  SetOutPath "$INSTDIR"
  File "deep.exe"
  WriteUninstaller "$INSTDIR\uninst.exe"
  !define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\DeepNsis"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "Deep Nsis"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegStr HKLM "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayIcon" "$INSTDIR\deep.exe,0"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\deepnsis.exe" "" "$INSTDIR\deep.exe"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\deepnsis.exe" "Path" "$INSTDIR"
  WriteRegStr HKLM "Software\Classes\.deepnsis" "" "DeepNsis.File"
  WriteRegStr HKLM "Software\Classes\DeepNsis.File\shell\open\command" "" '"$INSTDIR\deep.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\DeepNsis.File\DefaultIcon" "" "$INSTDIR\deep.exe,1"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "DeepNsis" '"$INSTDIR\deep.exe" /tray'
SectionEnd
Section "Uninstall"
  Delete "$INSTDIR\deep.exe"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL}"
SectionEnd
)";

TEST_F(DeepSectionsWine, AnNsisProgramDeletedByHandIsOneItemAndComesBackWithItsBackup) {
    if (std::system("command -v makensis >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "makensis (nsis) is not installed";
    const fs::path package = work_ / "nsis";
    fs::create_directories(package);
    std::ofstream(package / "deep.exe") << "MZ";
    std::ofstream(package / "deep.nsi") << kNsisScript;
    ASSERT_EQ(std::system(
                  ("cd " + ShellQuote(package.string()) + " && makensis -V1 deep.nsi").c_str()),
              0);
    fs::create_directory_symlink(package, prefix_ + "/dosdevices/y:");
    ASSERT_EQ(RunWine(prefix_, {"Y:\\DeepSetup.exe", "/S"}), 0);
    WaitForWineserver(prefix_);
    fs::remove(prefix_ + "/dosdevices/y:");
    const auto scan = [&] {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out);
    };
    // Installed, with every section on: nothing to report.
    EXPECT_EQ(Problems(scan()), std::multiset<Found>{});

    const fs::path folder = fs::path(prefix_) / "drive_c/Program Files/DeepNsis";
    ASSERT_TRUE(fs::exists(folder / "uninst.exe"));
    fs::remove_all(folder);
    const std::string gone = "C:\\Program Files\\DeepNsis";
    auto found = scan();
    EXPECT_EQ(Problems(found),
              (std::multiset<Found>{
                  {"Software Locations", "(Default)", gone + "\\deep.exe"},
                  {"Software Locations", "Path", gone},
                  {"Windows Startup", "DeepNsis", gone + "\\deep.exe"},
                  {"Uninstall Section", "UninstallString", gone + "\\uninst.exe"},
                  {"Uninstall Section", "QuietUninstallString", gone + "\\uninst.exe"},
                  {"Uninstall Section", "InstallLocation", gone},
                  {"Uninstall Section", "DisplayIcon", gone + "\\deep.exe"},
                  {"File Associations", "(Default)", gone + "\\deep.exe"},
                  {"File Associations", "(Default)", gone + "\\deep.exe"},
              }));
    const auto& groups = found.at("groups");
    ASSERT_EQ(groups.size(), 1u) << found.dump();
    EXPECT_EQ(groups[0].at("name"), "Deep Nsis");
    EXPECT_EQ(groups[0].at("folder"), gone);
    EXPECT_EQ(groups[0].at("count"), 9);

    const auto before = Registry();
    const CliRun repair =
        Cli({"repair", "--prefix", prefix_, "--only", groups[0].at("id").get<std::string>(),
             "--yes", "--backup-dir", work_.path() + "/backups"});
    ASSERT_EQ(repair.status, 0) << repair.err;
    EXPECT_EQ(Problems(scan()), std::multiset<Found>{});
    const std::string backup = BackupIn(work_.path() + "/backups");
    ASSERT_FALSE(backup.empty());
    ASSERT_EQ(Cli({"restore", backup, "--prefix", prefix_}).status, 0);
    EXPECT_EQ(Registry(), before);
}

TEST_F(DeepSectionsWine, AComServerDeletedByHandLeavesItsClassAndTypeLibrary) {
    if (std::system("command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "mingw-w64 is not installed";
    const fs::path folder = fs::path(prefix_) / "drive_c/Program Files/DeepCom";
    fs::create_directories(folder);
    const std::string build =
        "x86_64-w64-mingw32-gcc -shared -o " + ShellQuote((folder / "deepcom.dll").string()) + " " +
        ShellQuote(VOSTREL_SOURCE_DIR "/tests/cli/deep_com_server.c") + " -ladvapi32";
    ASSERT_EQ(std::system(build.c_str()), 0);
    ASSERT_EQ(RunWine(prefix_, {"regsvr32", "/s", "C:\\Program Files\\DeepCom\\deepcom.dll"}), 0);
    WaitForWineserver(prefix_);
    const std::string sections = "Custom Controls;Sub Section Controls;Type Libraries";
    const auto scan = [&] {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", sections, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return Problems(nlohmann::json::parse(run.out));
    };
    EXPECT_EQ(scan(), std::multiset<Found>{});

    fs::remove_all(folder);
    const std::string dll = "C:\\Program Files\\DeepCom\\deepcom.dll";
    // The class is seen twice, as HKEY_CLASSES_ROOT and as the machine's
    // Software\Classes: its server and its icon in each.
    EXPECT_EQ(scan(), (std::multiset<Found>{
                          {"Custom Controls", "(Default)", dll},
                          {"Custom Controls", "(Default)", dll},
                          {"Sub Section Controls", "(Default)", dll},
                          {"Sub Section Controls", "(Default)", dll},
                          {"Type Libraries", "(Default)", dll},
                      }));
}

}  // namespace

// A key that is a program's registration goes whole when its program is
// gone and nothing in it still names a place that is there; a key that
// still holds something alive (a folder that is there, an icon of Wine's,
// sub-keys) only loses its dead values. Wine's own `reg query` is the judge
// of what is left, and the restore puts every key back as it was.
TEST_F(DeepSectionsWine, AKeyThatIsTheRegistrationGoesWholeAndComesBackWhole) {
    const std::string appPaths = "HKLM" + kCurrentVersion + "\\App Paths\\";
    const std::string uninstall = "HKLM" + kCurrentVersion + "\\Uninstall\\";
    Plant({
        {appPaths + "oldgame.exe", "", "REG_SZ", "C:\\Games\\Old\\oldgame.exe"},
        {appPaths + "oldgame.exe", "Path", "REG_SZ", "C:\\Games\\Old"},
        {appPaths + "oldgame.exe", "UseUrl", "REG_DWORD", "1"},
        {appPaths + "half.exe", "", "REG_SZ", "C:\\Gone\\half.exe"},
        {appPaths + "half.exe", "Path", "REG_SZ", "C:\\Program Files\\Here"},
        {uninstall + "OldGame", "DisplayName", "REG_SZ", "Old Game \xE2\x80\x94 \xD0\x94"},
        {uninstall + "OldGame", "UninstallString", "REG_SZ", "\"C:\\Games\\Old\\uninst.exe\" /S"},
        {uninstall + "OldGame", "InstallSource", "REG_SZ", "C:\\users\\Public\\Downloads\\"},
        {uninstall + "OldGame", "EstimatedSize", "REG_DWORD", "2048"},
        {uninstall + "OldGame", "URLInfoAbout", "REG_SZ", "https://old.example/"},
        {uninstall + "Kept", "DisplayName", "REG_SZ", "Kept"},
        {uninstall + "Kept", "UninstallString", "REG_SZ", "C:\\Gone\\un.exe"},
        {uninstall + "Kept", "DisplayIcon", "REG_SZ", "C:\\windows\\notepad.exe,0"},
        {uninstall + "Parent", "UninstallString", "REG_SZ", "C:\\Gone\\parent.exe"},
        {uninstall + "Parent\\Child", "Note", "REG_SZ", "x"},
        {"HKCU" + kCurrentVersion + "\\Uninstall\\UserOld", "UninstallString", "REG_SZ",
         "C:\\Games\\UserOld\\uninst.exe"},
        {"HKCU" + kCurrentVersion + "\\Uninstall\\UserOld", "DisplayName", "REG_SZ", "User Old"},
    });
    const std::string sections = "Software Locations;Uninstall Section";
    const auto scan = [&] {
        const CliRun run = Cli({"scan", "--prefix", prefix_, "--sections", sections, "--json"});
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out).at("registry").size();
    };
    ASSERT_EQ(scan(), 7u);

    // The dry run says which keys go whole.
    const CliRun dry = Cli({"repair", "--prefix", prefix_, "--sections", sections, "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const std::string lmKeys = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    for (const std::string& key : std::vector<std::string>{
             lmKeys + "App Paths\\oldgame.exe", lmKeys + "Uninstall\\OldGame",
             "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UserOld"})
        EXPECT_NE(dry.out.find("remove the key with all its values: " + key), std::string::npos)
            << dry.out;
    EXPECT_NE(dry.out.find("blank the default value: " + lmKeys + "App Paths\\half.exe value"),
              std::string::npos)
        << dry.out;

    const auto before = Registry();
    const fs::path backups = work_ / "backups";
    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", sections, "--yes",
                               "--backup-dir", backups.string()});
    ASSERT_EQ(repair.status, 0) << repair.err << repair.out;
    EXPECT_EQ(scan(), 0u);

    const auto exists = [&](const std::string& key, const std::string& value = {}) {
        std::vector<std::string> args{"reg", "query", key};
        if (!value.empty()) args.insert(args.end(), {"/v", value});
        return RunWine(prefix_, args) == 0;
    };
    EXPECT_FALSE(exists(appPaths + "oldgame.exe"));
    EXPECT_FALSE(exists(uninstall + "OldGame"));
    EXPECT_FALSE(exists("HKCU" + kCurrentVersion + "\\Uninstall\\UserOld"));
    EXPECT_TRUE(exists(appPaths + "half.exe", "Path"));
    EXPECT_TRUE(exists(uninstall + "Kept", "DisplayName"));
    EXPECT_FALSE(exists(uninstall + "Kept", "UninstallString"));
    EXPECT_TRUE(exists(uninstall + "Parent\\Child", "Note"));
    EXPECT_FALSE(exists(uninstall + "Parent", "UninstallString"));
    WaitForWineserver(prefix_);

    const std::string backup = BackupIn(backups);
    ASSERT_FALSE(backup.empty());
    const CliRun restore = Cli({"restore", backup, "--prefix", prefix_});
    ASSERT_EQ(restore.status, 0) << restore.err;
    // Wine's own runs above may refresh its font lists; the keys the repair
    // touched are compared.
    const auto touched = [](std::map<std::string, std::set<std::string>> keys) {
        std::erase_if(keys, [](const auto& key) {
            return key.first.find("\\\\App Paths") == std::string::npos &&
                   key.first.find("\\\\Uninstall") == std::string::npos;
        });
        return keys;
    };
    EXPECT_EQ(touched(Registry()), touched(before));
    EXPECT_EQ(scan(), 7u);
}

// While Wine runs on the prefix the repair is refused, and says how to go
// on; --close-wine closes the prefix's programs with the prefix's own
// wineserver, reads the registry as Wine left it, and repairs.
TEST_F(DeepSectionsWine, ARepairClosesThePrefixsProgramsWhenAskedTo) {
    Plant({{"HKLM" + kCurrentVersion + "\\App Paths\\oldgame.exe", "", "REG_SZ",
            "C:\\Games\\Old\\oldgame.exe"}});
    StartPersistentWineserver(prefix_);
    struct Stop {
        std::string prefix;
        ~Stop() { KillWineserver(prefix); }
    } stop{prefix_};
    ASSERT_NE(vostrel::RunningWineserver(prefix_), 0);
    const std::string sections = "Software Locations";
    const CliRun refused = Cli({"repair", "--prefix", prefix_, "--sections", sections, "--yes",
                                "--backup-dir", work_ / "backups"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("\"repair --close-wine\" closes the prefix's programs"),
              std::string::npos)
        << refused.err;
    const CliRun repair = Cli({"repair", "--prefix", prefix_, "--sections", sections, "--yes",
                               "--close-wine", "--backup-dir", work_ / "backups"});
    EXPECT_EQ(repair.status, 0) << repair.err << repair.out;
    EXPECT_EQ(vostrel::RunningWineserver(prefix_), 0);
    const CliRun scan = Cli({"scan", "--prefix", prefix_, "--sections", sections, "--json"});
    EXPECT_EQ(nlohmann::json::parse(scan.out).at("registry").size(), 0u);
}

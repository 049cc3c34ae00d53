// Behaviour tables of the section checks: each case is one registry value
// handed to the dispatch of its section on a small machine, and the rows it
// must record (the tested path, and whether a path was completed
// with the system folder).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/catalogue.h"
#include "scan/problem_rows.h"
#include "scan/registry_walker.h"
#include "support/scan_fakes.h"

namespace vostrel {
namespace {

using testing::FakeMachine;

struct Row {
    std::string keyValue;
    std::string defaultOrNot;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << "{" << row.keyValue << " | " << row.defaultOrNot << "}";
}

struct Case {
    const char* what;
    std::string_view section;
    std::string valueName;
    std::string data;
    std::vector<Row> rows;
    std::string keyPath = "SOFTWARE\\Key";
};

// The machine every case runs on: drive C fixed, D a CD drive, E a network
// drive; a few files that exist.
void Prepare(FakeMachine& m) {
    m.files.SetDrives({{'C', DriveType::Fixed}, {'D', DriveType::CdRom}, {'E', DriveType::Remote}});
    m.files.AddFile("C:\\windows\\system32\\present.dll");
    m.files.AddFile("C:\\windows\\system32\\shell32.dll");
    m.files.AddFile("C:\\windows\\system32\\MsiExec.exe");
    m.files.AddFile("C:\\windows\\system32\\rundll32.exe");
    m.files.AddFile("C:\\windows\\Fonts\\arial.ttf");
    m.files.AddFile("C:\\Program Files\\App\\app.exe");
    m.files.AddFile("C:\\Program Files\\www.app.com kit\\app.exe");
    m.files.AddFile("C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe");
    m.files.AddFile("C:\\Program Files\\Common Files\\Shared\\common.dll");
    m.files.AddFile("C:\\App\\hidden.exe", FILE_ATTRIBUTE_HIDDEN);
    m.files.AddFile("C:\\App\\secret.exe", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    m.registry.SetString(HKEY_LOCAL_MACHINE, cv, "ProgramFilesDir", "C:\\Program Files");
    m.registry.SetString(HKEY_LOCAL_MACHINE, cv, "CommonFilesDir",
                         "C:\\Program Files\\Common Files");
    m.registry.SetString(HKEY_LOCAL_MACHINE, cv, "ProgramFilesDir (x86)",
                         "C:\\Program Files (x86)");
    m.registry.SetString(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                         "ProgramData", "%SystemDrive%\\ProgramData", REG_EXPAND_SZ);
    // Two classes: one with a value, one whose key holds only subkeys.
    m.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\txtfile", "", "Text Document");
    m.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\AppFile\\shell\\open\\command", "",
                         "\"C:\\Program Files\\App\\app.exe\" \"%1\"");
}

std::vector<Row> RunCase(const Case& c) {
    FakeMachine m;
    Prepare(m);
    DispatchValueCheck(m.session, c.data, c.section, c.valueName, HKEY_LOCAL_MACHINE,
                       "HKEY_LOCAL_MACHINE", c.keyPath);
    std::vector<Row> rows;
    for (std::size_t i = 1; i <= m.session.result.problems.Of<RegistryProblem>().size(); ++i)
        rows.push_back(
            {m.session.result.problems.Of<RegistryProblem>()[(i)-1].testedPath,
             (m.session.result.problems.Of<RegistryProblem>()[(i)-1].systemFolder ? "Yes" : "")});
    return rows;
}

void RunTable(const std::vector<Case>& cases) {
    for (const auto& c : cases) EXPECT_EQ(RunCase(c), c.rows) << c.what << ": " << c.data;
}

const std::string kSys = "C:\\windows\\system32\\";

TEST(CheckTable, ComClasses) {
    const auto com = kSectionComClasses;
    RunTable({
        {"missing server on fixed drive",
         com,
         "",
         "C:\\Windows\\System32\\gone.dll",
         {{"C:\\Windows\\System32\\gone.dll", ""}}},
        {"present server", com, "", "C:\\windows\\system32\\present.dll", {}},
        {"bare name, missing", com, "", "server.dll", {{kSys + "server.dll", "Yes"}}},
        {"bare name, present", com, "", "present.dll", {}},
        {"CD drive", com, "", "D:\\gone.dll", {}},
        {"network drive", com, "", "E:\\gone.dll", {}},
        {"UNC path", com, "", "\\\\server\\share\\gone.dll", {}},
        {"arguments after exe", com, "", "C:\\App\\app.exe /Automation", {}},
        {"icon index", com, "", "C:\\App\\app.exe,0", {}},
        {"no dot", com, "", "Apartment", {}},
        {"quotes removed", com, "", "\"C:\\App\\gone.ocx\"", {{"C:\\App\\gone.ocx", ""}}},
        {"bare name starting with a dot", com, "", ".dll", {}},
        {"other kinds are not tested", com, "", "C:\\App\\gone.txt", {}},
        {"upper-case kind", com, "", "C:\\App\\GONE.AX", {{"C:\\App\\GONE.AX", ""}}},
        {"hidden file exists", com, "", "C:\\App\\hidden.exe", {}},
        {"hidden system file is there too", com, "", "C:\\App\\secret.exe", {}},
        {"%SystemRoot% expanded",
         com,
         "",
         "%SystemRoot%\\system32\\gone.dll",
         {{"C:\\windows\\system32\\gone.dll", ""}}},
        {"%ProgramFiles% expanded", com, "", "%ProgramFiles%\\App\\app.exe", {}},
        {"%ProgramFiles% missing",
         com,
         "",
         "%programfiles%\\App\\gone.exe",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"%commonprogramfiles% expanded", com, "", "%CommonProgramFiles%\\Shared\\common.dll", {}},
        {"variable glued to a name",
         com,
         "",
         "%SystemRoot%gone.dll",
         {{"C:\\windowsgone.dll", ""}}},
        {"%Sysroot% is not a variable we know", com, "", "%Sysroot%\\system32\\x.dll", {}},
        {"any other variable", com, "", "%MyFolder%x.dll", {}},
        {"empty", com, "", "", {}},
        {"blanks", com, "", "   ", {}},
    });
}

// A class's icon: the file before its icon index or resource id is tested as
// the class's other files are; what names no file is left alone.
TEST(CheckTable, ComClassIcons) {
    const auto com = kSectionComClasses;
    const std::string icon = "CLSID\\{0}\\DefaultIcon";
    RunTable({
        {"icon index", com, "", "C:\\App\\gone.exe,0", {{"C:\\App\\gone.exe", ""}}, icon},
        {"quoted, resource id",
         com,
         "",
         "\"C:\\App\\gone.dll\",-101",
         {{"C:\\App\\gone.dll", ""}},
         icon},
        {"blanks around the index",
         com,
         "",
         "C:\\App\\gone.exe , 2",
         {{"C:\\App\\gone.exe", ""}},
         icon},
        {"present program", com, "", "C:\\Program Files\\App\\app.exe,0", {}, icon},
        {"present non-Latin path",
         com,
         "",
         "\"C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe\",0",
         {},
         icon},
        {"the document itself", com, "", "%1", {}, icon},
        {"system library by name", com, "", "shell32.dll,-152", {}, icon},
        {"missing library by name",
         com,
         "",
         "gone32.dll,-152",
         {{kSys + "gone32.dll", "Yes"}},
         icon},
        {"variable",
         com,
         "",
         "%SystemRoot%\\system32\\gone.dll,-3",
         {{"C:\\windows\\system32\\gone.dll", ""}},
         icon},
        {"unknown variable", com, "", "%VendorDir%\\gone.dll,0", {}, icon},
        {"CD drive", com, "", "D:\\gone.exe,0", {}, icon},
        {"not an index", com, "", "C:\\App\\gone.exe,main", {}, icon},
        {"a comma alone", com, "", "C:\\App\\gone.exe,", {}, icon},
        {"an icon file is not a program file", com, "", "C:\\App\\gone.ico,0", {}, icon},
        {"any letter case of the key",
         com,
         "",
         "C:\\App\\gone.exe,0",
         {{"C:\\App\\gone.exe", ""}},
         "CLSID\\{0}\\defaulticon"},
        {"an index outside DefaultIcon names no file",
         com,
         "",
         "C:\\App\\gone.exe,0",
         {},
         "CLSID\\{0}\\LocalServer32"},
    });
}

TEST(CheckTable, SoftwareLocations) {
    const auto app = kSectionAppPaths;
    RunTable({
        {"missing program",
         app,
         "",
         "C:\\Program Files\\App\\gone.exe",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"quotes removed",
         app,
         "",
         "\"C:\\Program Files\\App\\gone.exe\"",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"folder value", app, "Path", "C:\\Program Files\\App", {}},
        {"arguments", app, "", "C:\\App\\app.exe /s", {}},
        {"bare name", app, "", "tool.exe", {{kSys + "tool.exe", "Yes"}}},
        {"help file kind not tested", app, "", "C:\\App\\gone.hlp", {}},
        {"path on a CD drive is still tested", app, "", "D:\\gone.exe", {{"D:\\gone.exe", ""}}},
        {"%ProgramFiles%",
         app,
         "",
         "%ProgramFiles%\\Gone\\gone.exe",
         {{"C:\\Program Files\\Gone\\gone.exe", ""}}},
        {"unknown variable", app, "", "%LocalAppData%\\gone.exe", {}},
    });
}

// An App Paths key's Path value: folders, separated by ';'. It is stale only
// when no folder it names is there any more.
TEST(CheckTable, SoftwareLocationFolders) {
    const auto app = kSectionAppPaths;
    RunTable({
        {"missing folder", app, "Path", "C:\\Gone", {{"C:\\Gone", ""}}},
        {"closing backslash", app, "Path", "C:\\Gone\\", {{"C:\\Gone\\", ""}}},
        {"any letter case of the name", app, "PATH", "C:\\Gone", {{"C:\\Gone", ""}}},
        {"present folder", app, "Path", "C:\\Program Files\\App\\", {}},
        {"present folder, other letter case", app, "Path", "c:\\program files\\app", {}},
        {"present non-Latin folder",
         app,
         "Path",
         "C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC",
         {}},
        {"quoted present folder", app, "Path", "\"C:\\Program Files\\App\"", {}},
        {"the drive's root", app, "Path", "C:\\", {}},
        {"one folder still there keeps the value",
         app,
         "Path",
         "C:\\Gone;C:\\Program Files\\App",
         {}},
        {"every folder gone: the first is named",
         app,
         "Path",
         "C:\\Gone;C:\\Gone Too",
         {{"C:\\Gone", ""}}},
        {"empty parts", app, "Path", ";; C:\\Gone ;", {{"C:\\Gone", ""}}},
        {"variable, present", app, "Path", "%ProgramFiles%\\App", {}},
        {"variable, missing",
         app,
         "Path",
         "%ProgramFiles%\\Gone",
         {{"C:\\Program Files\\Gone", ""}}},
        {"unknown variable passed over",
         app,
         "Path",
         "%VendorDir%\\bin;C:\\Gone",
         {{"C:\\Gone", ""}}},
        {"unknown variable only", app, "Path", "%VendorDir%\\bin", {}},
        {"relative folders", app, "Path", "bin;.\\lib", {}},
        {"a file is no folder",
         app,
         "Path",
         "C:\\Program Files\\App\\app.exe",
         {{"C:\\Program Files\\App\\app.exe", ""}}},
        {"CD drive", app, "Path", "D:\\Gone", {{"D:\\Gone", ""}}},
        {"network share", app, "Path", "\\\\server\\share\\app", {}},
        {"blanks", app, "Path", "  ", {}},
        {"another value is not a folder list", app, "Paths", "C:\\Gone", {}},
    });
}

TEST(CheckTable, HelpFiles) {
    const auto help = kSectionHelpFiles;
    RunTable({
        {"folder without backslash", help, "app.hlp", "C:\\App", {{"C:\\App\\app.hlp", ""}}},
        {"folder with backslash", help, "app.hlp", "C:\\App\\", {{"C:\\App\\app.hlp", ""}}},
        {"present", help, "app.exe", "C:\\Program Files\\App", {}},
        {"empty folder", help, "app.hlp", "", {}},
        {"blank folder: the system folder", help, "gone.hlp", "  ", {{kSys + "gone.hlp", "Yes"}}},
        {"variable folder",
         help,
         "gone.chm",
         "%windir%\\Help",
         {{"C:\\windows\\Help\\gone.chm", ""}}},
        {"unknown variable", help, "gone.chm", "%HelpDir%", {}},
    });
}

TEST(CheckTable, SharedFiles) {
    const auto shared = kSectionSharedFiles;
    RunTable({
        {"leading quote dropped",
         shared,
         "",
         "\"C:\\Shared\\lib.dll",
         {{"C:\\Shared\\lib.dll", ""}}},
        {"closing quote makes a four-character extension",
         shared,
         "",
         "\"C:\\Shared\\lib.dll\"",
         {}},
        {"wildcard bare name", shared, "", "lib*.dll", {}},
        {"bare name present", shared, "", "present.dll", {}},
        {"bare name missing", shared, "", "lib.dll", {{kSys + "lib.dll", "Yes"}}},
        {"bare name with a long extension", shared, "", "lib.dlls", {}},
        {"no drive", shared, "", "\\\\server\\lib.dll", {}},
        {"no dot", shared, "", "C:\\Shared\\lib", {}},
        {"expanded",
         shared,
         "",
         "%CommonProgramFiles%\\Gone\\x.dll",
         {{"C:\\Program Files\\Common Files\\Gone\\x.dll", ""}}},
        {"x86 folder",
         shared,
         "",
         "%ProgramFiles(x86)%\\Gone\\x.dll",
         {{"C:\\Program Files (x86)\\Gone\\x.dll", ""}}},
        {"ProgramData from the profile list",
         shared,
         "",
         "%ProgramData%\\Gone\\x.dll",
         {{"C:\\ProgramData\\Gone\\x.dll", ""}}},
        {"ALLUSERSPROFILE is ProgramData",
         shared,
         "",
         "%ALLUSERSPROFILE%\\Gone\\x.dll",
         {{"C:\\ProgramData\\Gone\\x.dll", ""}}},
    });
}

TEST(CheckTable, VirtualDevices) {
    const auto vxd = kSectionVxd;
    RunTable({
        {"star name", vxd, "", "*vmm", {}},
        {"bare driver", vxd, "", "drv.vxd", {{kSys + "drv.vxd", "Yes"}}},
        {"path", vxd, "", "C:\\Drivers\\drv.vxd", {{"C:\\Drivers\\drv.vxd", ""}}},
        {"a closing quote is an invalid name: counts as present",
         vxd,
         "",
         "\"C:\\Drivers\\drv.vxd\"",
         {}},
        {"no drive", vxd, "", "\\Drivers\\drv.vxd", {}},
    });
}

TEST(CheckTable, Fonts) {
    const auto fonts = kSectionFonts;
    RunTable({
        {"present in Fonts", fonts, "Arial (TrueType)", "arial.ttf", {}},
        {"missing in Fonts",
         fonts,
         "Gone (TrueType)",
         "gone.ttf",
         {{"C:\\windows\\Fonts\\gone.ttf", ""}}},
        {"full path", fonts, "Gone", "C:\\MyFonts\\gone.ttf", {{"C:\\MyFonts\\gone.ttf", ""}}},
        {"empty", fonts, "Gone", "", {}},
        {"variable",
         fonts,
         "Gone",
         "%SystemRoot%\\Fonts\\gone.fon",
         {{"C:\\windows\\Fonts\\gone.fon", ""}}},
    });
}

TEST(CheckTable, StartupCommandLines) {
    const auto run = kSectionStartup;
    RunTable({
        {"dash argument cut, blank in folder kept",
         run,
         "App",
         "C:\\Program Files\\App\\gone.exe -min",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"rundll32 with a present library",
         run,
         "Cpl",
         "rundll32.exe shell32.dll,Control_RunDLL",
         {}},
        {"rundll32 with a missing library",
         run,
         "Cpl",
         "rundll32.exe gone32.dll,Entry",
         {{kSys + "gone32.dll", "Yes"}}},
        {"four-character extension", run, "X", "app.exe2", {}},
        {"nothing after the dot", run, "X", "readme.", {}},
        {"expanded variable: no system folder in front",
         run,
         "App",
         "%SystemRoot%\\system32\\app.exe",
         {{"C:\\windows\\system32\\app.exe", ""}}},
        {"unknown variable is not tested", run, "App", "%APPDATA%\\app.exe", {}},
        {"quoted program with switch",
         run,
         "App",
         "\"C:\\Program Files\\App\\gone.exe\" /background",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"present program", run, "App", "\"C:\\Program Files\\App\\app.exe\" -tray", {}},
        {"quoted program with a quoted argument",
         run,
         "App",
         "\"C:\\Program Files\\App\\gone.exe\" \"%1\"",
         {{"C:\\Program Files\\App\\gone.exe", ""}}},
        {"present program with a quoted argument",
         run,
         "App",
         "\"C:\\Program Files\\App\\app.exe\" \"%1\"",
         {}},
        {"present non-Latin program with a quoted argument",
         run,
         "App",
         "\"C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe\" \"C:\\x.txt\"",
         {}},
        {"quoted bare program", run, "App", "\"notepad.exe\" \"%1\"", {}},
        {"dotted folder", run, "App", "C:\\App 1.0\\gone.exe", {{"C:\\App 1.0\\gone.exe", ""}}},
        {"no dot", run, "App", "C:\\App\\program", {}},
        {"empty", run, "App", "", {}},
    });
}

TEST(CheckTable, UninstallEntries) {
    const auto un = kSectionUninstall;
    RunTable({
        {"DisplayIcon with icon index",
         un,
         "DisplayIcon",
         "C:\\App\\gone.exe,0",
         {{"C:\\App\\gone.exe", ""}}},
        {"InstallSource on the network", un, "InstallSource", "\\\\server\\share\\setup.exe", {}},
        {"ModifyPath web address", un, "ModifyPath", "http://example.com/x.htm", {}},
        {"ModifyPath bare name",
         un,
         "ModifyPath",
         "setup.exe /modify",
         {{kSys + "setup.exe", "Yes"}}},
        {"UninstallString with a dotted folder",
         un,
         "UninstallString",
         "C:\\App 1.0\\uninst.exe",
         {{"C:\\App 1.0\\uninst.exe", ""}}},
        {"two drive paths",
         un,
         "UninstallString",
         "C:\\Windows\\gone.exe C:\\Data\\gone.ini",
         {{"C:\\Windows\\gone.exe ", ""}, {"C:\\Data\\gone.ini", ""}}},
        {"DisplayName is never tested", un, "DisplayName", "C:\\App\\gone.exe", {}},
        {"QuietUninstallString with a drive path",
         un,
         "QuietUninstallString",
         "C:\\App\\unins000.exe /SILENT",
         {{"C:\\App\\unins000.exe", ""}}},
        {"the same as UninstallString",
         un,
         "UninstallString",
         "C:\\App\\unins000.exe /SILENT",
         {{"C:\\App\\unins000.exe", ""}}},
        {"QuietUninstallString MsiExec present",
         un,
         "QuietUninstallString",
         "MsiExec.exe /X{0}",
         {}},
        {"QuietUninstallString missing bare program",
         un,
         "QuietUninstallString",
         "Gone.exe /X{0}",
         {{kSys + "Gone.exe", "Yes"}}},
        {"name compared in upper case",
         un,
         "uninstallstring",
         "C:\\App\\gone.exe",
         {{"C:\\App\\gone.exe", ""}}},
        {"no dot", un, "UninstallString", "C:\\App\\uninstall", {}},
        {"empty", un, "DisplayIcon", "", {}},
        {"expanded program files",
         un,
         "DisplayIcon",
         "%ProgramFiles%\\Gone\\gone.exe,0",
         {{"C:\\Program Files\\Gone\\gone.exe", ""}}},
    });
}

// The quiet uninstaller's usual forms, a program on a drive and its
// switches, and an uninstall entry's folder.
TEST(CheckTable, UninstallQuietStringsAndLocations) {
    const auto un = kSectionUninstall;
    const std::string quiet = "QuietUninstallString";
    const std::string location = "InstallLocation";
    RunTable({
        {"quoted, missing",
         un,
         quiet,
         "\"C:\\Program Files\\Gone\\uninst.exe\" /S",
         {{"C:\\Program Files\\Gone\\uninst.exe", ""}}},
        {"quoted, present", un, quiet, "\"C:\\Program Files\\App\\app.exe\" /S", {}},
        {"unquoted with a blank in the folder, missing",
         un,
         quiet,
         "C:\\Program Files\\Gone\\unins000.exe /SILENT /NORESTART",
         {{"C:\\Program Files\\Gone\\unins000.exe", ""}}},
        {"unquoted, present", un, quiet, "C:\\Program Files\\App\\app.exe /SILENT", {}},
        {"present non-Latin path",
         un,
         quiet,
         "\"C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe\" /S",
         {}},
        {"no switch", un, quiet, "\"C:\\Gone\\uninst.exe\"", {{"C:\\Gone\\uninst.exe", ""}}},
        {"any letter case", un, quiet, "C:\\Gone\\UNINST.EXE /S", {{"C:\\Gone\\UNINST.EXE", ""}}},
        {"variable",
         un,
         quiet,
         "\"%ProgramFiles%\\Gone\\uninst.exe\" /S",
         {{"C:\\Program Files\\Gone\\uninst.exe", ""}}},
        {"unknown variable", un, quiet, "\"%VendorDir%\\uninst.exe\" /S", {}},
        {"MsiExec by name",
         un,
         quiet,
         "MsiExec.exe /X{0F00D000-0000-4000-8000-00000000F00D} /qn",
         {}},
        {"rundll32 with a present library",
         un,
         quiet,
         "rundll32.exe \"C:\\windows\\system32\\shell32.dll\",Control_RunDLL",
         {}},
        {"present folder", un, location, "C:\\Program Files\\App", {}},
        {"present folder with a closing backslash", un, location, "C:\\Program Files\\App\\", {}},
        {"present non-Latin folder",
         un,
         location,
         "C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC",
         {}},
        {"missing folder",
         un,
         location,
         "C:\\Program Files\\Gone",
         {{"C:\\Program Files\\Gone", ""}}},
        {"quoted missing folder", un, location, "\"C:\\Gone\\\"", {{"C:\\Gone\\", ""}}},
        {"variable", un, location, "%ProgramFiles%\\Gone", {{"C:\\Program Files\\Gone", ""}}},
        {"unknown variable", un, location, "%VendorDir%\\App", {}},
        {"empty", un, location, "", {}},
        {"relative", un, location, "App", {}},
        {"network share", un, location, "\\\\server\\share\\App", {}},
        {"any letter case of the name", un, "installlocation", "C:\\Gone", {{"C:\\Gone", ""}}},
    });
}

TEST(CheckTable, ValuesNamedByTheirPath) {
    const auto dlls = kSectionSharedDlls;
    const auto layers = kSectionCompatLayers;
    const auto folders = kSectionInstallerFolders;
    const auto mui = kSectionMuiCache;
    const std::string nonLatin = "C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC";
    RunTable({
        // The name is the path; the data (a count, a layer) is not looked at.
        {"missing library", dlls, "C:\\Gone\\gone.dll", "1", {{"C:\\Gone\\gone.dll", ""}}},
        {"present library", dlls, "C:\\Program Files\\Common Files\\Shared\\common.dll", "3", {}},
        {"other letter case", dlls, "c:\\program files\\app\\APP.EXE", "1", {}},
        {"non-Latin, present", dlls, nonLatin + "\\app.exe", "1", {}},
        {"non-Latin, missing", dlls, nonLatin + "\\gone.dll", "1", {{nonLatin + "\\gone.dll", ""}}},
        {"bare name", dlls, "gone.dll", "1", {}},
        {"relative name", dlls, "Gone\\gone.dll", "1", {}},
        {"a folder name", dlls, "C:\\Gone\\", "1", {}},
        {"CD drive", dlls, "D:\\Gone\\gone.dll", "1", {{"D:\\Gone\\gone.dll", ""}}},
        {"network share", dlls, "\\\\server\\share\\gone.dll", "1", {}},
        {"missing program with a layer",
         layers,
         "C:\\Gone\\game.exe",
         "~ WINXPSP3",
         {{"C:\\Gone\\game.exe", ""}}},
        {"present program with a layer", layers, "C:\\Program Files\\App\\app.exe", "WIN98", {}},
        {"quoted", layers, "\"C:\\Gone\\game.exe\"", "WIN98", {{"C:\\Gone\\game.exe", ""}}},
        // Installer folders: the name is a folder.
        {"missing folder",
         folders,
         "C:\\Program Files\\Gone\\",
         "",
         {{"C:\\Program Files\\Gone\\", ""}}},
        {"present folder", folders, "C:\\Program Files\\App\\", "", {}},
        {"present non-Latin folder", folders, nonLatin + "\\", "", {}},
        {"the drive's root", folders, "C:\\", "", {}},
        {"a file is no folder",
         folders,
         "C:\\Program Files\\App\\app.exe",
         "",
         {{"C:\\Program Files\\App\\app.exe", ""}}},
        // The MUI cache: a program's path and the suffix of what is cached.
        {"missing program's name",
         mui,
         "C:\\Gone\\game.exe.FriendlyAppName",
         "Game",
         {{"C:\\Gone\\game.exe", ""}}},
        {"missing program's company",
         mui,
         "C:\\Gone\\game.exe.ApplicationCompany",
         "Maker",
         {{"C:\\Gone\\game.exe", ""}}},
        {"suffix in another letter case",
         mui,
         "C:\\Gone\\game.exe.friendlyappname",
         "Game",
         {{"C:\\Gone\\game.exe", ""}}},
        {"present program", mui, "C:\\Program Files\\App\\app.exe.FriendlyAppName", "App", {}},
        {"the cache's own value", mui, "LangID", "", {}},
        {"a resource string", mui, "@%SystemRoot%\\system32\\shell32.dll,-8752", "Gone", {}},
        {"a path without a known suffix", mui, "C:\\Gone\\game.exe", "Game", {}},
        {"a bare program's name", mui, "game.exe.FriendlyAppName", "Game", {}},
    });
}

TEST(CheckTable, ServicesSoundsAndTypeLibraries) {
    const auto services = kSectionServices;
    const auto sounds = kSectionSoundEvents;
    const auto typelibs = kSectionTypeLibraries;
    const std::string service = "SYSTEM\\CurrentControlSet\\Services\\Deep";
    const std::string event = "AppEvents\\Schemes\\Apps\\Deep\\Win";
    const std::string typelib = "TypeLib\\{00000000-1111-2222-3333-444444444444}\\1.0\\0";
    auto Service = [&](const char* what, std::string data, std::vector<Row> rows) {
        return Case{what, services, "ImagePath", std::move(data), std::move(rows), service};
    };
    RunTable({
        Service("missing program", "C:\\Gone\\svc.exe", {{"C:\\Gone\\svc.exe", ""}}),
        Service("quoted, with arguments", "\"C:\\Program Files\\Gone\\svc.exe\" -service",
                {{"C:\\Program Files\\Gone\\svc.exe", ""}}),
        Service("unquoted with a blank in the folder and arguments",
                "C:\\Program Files\\Gone\\svc.exe -k netsvcs",
                {{"C:\\Program Files\\Gone\\svc.exe", ""}}),
        Service("a folder named like a program before the one there",
                "C:\\Program Files\\www.app.com kit\\app.exe -service", {}),
        Service("present, unquoted with a blank and arguments",
                "C:\\Program Files\\App\\app.exe /service \"%1\"", {}),
        Service("Wine's service host", "C:\\windows\\system32\\MsiExec.exe /V", {}),
        Service("NT object path", "\\??\\C:\\Gone\\drv.sys", {{"\\??\\C:\\Gone\\drv.sys", ""}}),
        Service("NT object path, present", "\\??\\C:\\windows\\system32\\present.dll", {}),
        Service("below the kernel's SystemRoot", "\\SystemRoot\\system32\\drivers\\gone.sys",
                {{"\\SystemRoot\\system32\\drivers\\gone.sys", ""}}),
        Service("relative to the Windows folder", "system32\\drivers\\gone.sys",
                {{"system32\\drivers\\gone.sys", ""}}),
        Service("relative, present", "System32\\present.dll", {}),
        Service("bare name", "gone.exe", {}),
        Service("no program at all", "-k netsvcs", {}),
        Service("unclosed quote", "\"C:\\Gone\\svc.exe", {}),
        {"another value of the service", services, "Description", "C:\\Gone\\svc.exe", {}, service},
        {"a value deeper down",
         services,
         "ImagePath",
         "C:\\Gone\\svc.exe",
         {},
         service + "\\Parameters"},
        // Sound events: .Current and .Default name a wave file; a bare name
        // is one of the Windows folder's media.
        {"missing sound",
         sounds,
         "",
         "C:\\Gone\\ding.wav",
         {{"C:\\Gone\\ding.wav", ""}},
         event + "\\.Current"},
        {"missing default sound",
         sounds,
         "",
         "C:\\Gone\\ding.wav",
         {{"C:\\Gone\\ding.wav", ""}},
         event + "\\.Default"},
        {"bare name",
         sounds,
         "",
         "gone.wav",
         {{"C:\\windows\\media\\gone.wav", "Yes"}},
         event + "\\.Current"},
        {"no sound", sounds, "", "", {}, event + "\\.Current"},
        {"present file", sounds, "", "C:\\Program Files\\App\\app.exe", {}, event + "\\.Current"},
        {"another scheme", sounds, "", "C:\\Gone\\ding.wav", {}, event + "\\.Modified"},
        {"a named value", sounds, "Other", "C:\\Gone\\ding.wav", {}, event + "\\.Current"},
        {"the event's own key", sounds, "", "C:\\Gone\\ding.wav", {}, event},
        // Type libraries: win32/win64 below the version and locale.
        {"missing library",
         typelibs,
         "",
         "C:\\Gone\\gone.tlb",
         {{"C:\\Gone\\gone.tlb", ""}},
         typelib + "\\win32"},
        {"resource index",
         typelibs,
         "",
         "C:\\Gone\\gone.dll\\2",
         {{"C:\\Gone\\gone.dll", ""}},
         typelib + "\\win64"},
        {"resource index, present",
         typelibs,
         "",
         "C:\\windows\\system32\\present.dll\\3",
         {},
         typelib + "\\win32"},
        {"quoted, present",
         typelibs,
         "",
         "\"C:\\Program Files\\App\\app.exe\"",
         {},
         typelib + "\\win64"},
        {"a folder named like a number",
         typelibs,
         "",
         "C:\\Gone\\2",
         {{"C:\\Gone\\2", ""}},
         typelib + "\\win32"},
        {"bare name", typelibs, "", "stdole2.tlb", {}, typelib + "\\win32"},
        {"help folder",
         typelibs,
         "",
         "C:\\Gone",
         {},
         typelib.substr(0, typelib.size() - 2) + "\\HELPDIR"},
        {"the library's name",
         typelibs,
         "",
         "C:\\Gone\\gone.tlb",
         {},
         typelib.substr(0, typelib.size() - 2)},
        {"another platform", typelibs, "", "C:\\Gone\\gone.tlb", {}, typelib + "\\mac"},
    });
}

TEST(CheckTable, FileAssociations) {
    const auto assoc = kSectionFileAssociations;
    const std::string classes = "SOFTWARE\\Classes\\";
    const std::string open = classes + "DeepFile\\shell\\open\\command";
    const std::string icon = classes + "DeepFile\\DefaultIcon";
    const std::string gone = "C:\\Gone\\deep.exe";
    RunTable({
        // A verb's command: the program it starts.
        {"quoted, with its argument",
         assoc,
         "",
         "\"C:\\Gone\\deep.exe\" \"%1\"",
         {{gone, ""}},
         open},
        {"unquoted with a blank in the folder",
         assoc,
         "",
         "C:\\Program Files\\Gone\\deep.exe /open \"%1\"",
         {{"C:\\Program Files\\Gone\\deep.exe", ""}},
         open},
        {"present, unquoted with a blank",
         assoc,
         "",
         "C:\\Program Files\\App\\app.exe /open \"%1\"",
         {},
         open},
        {"present non-Latin",
         assoc,
         "",
         "\"C:\\Program Files\\\xE6\x97\xA5\xE6\x9C\xAC\\app.exe\" %1",
         {},
         open},
        {"variable",
         assoc,
         "",
         "%ProgramFiles%\\Gone\\deep.exe %1",
         {{"C:\\Program Files\\Gone\\deep.exe", ""}},
         open},
        {"unknown variable", assoc, "", "%VendorDir%\\deep.exe %1", {}, open},
        {"rundll32 and a library",
         assoc,
         "",
         "rundll32.exe \"C:\\Gone\\x.dll\",Entry %1",
         {},
         open},
        {"the installer",
         assoc,
         "",
         "MsiExec.exe /X{6E0F1B2A-3C4D-4E5F-8A9B-0C1D2E3F4A5D}",
         {},
         open},
        {"a bare program", assoc, "", "notepad.exe %1", {}, open},
        {"unquoted, a folder named like a program before the one there",
         assoc,
         "",
         "C:\\Program Files\\www.app.com kit\\app.exe /open %1",
         {},
         open},
        {"unquoted, every program it may name gone",
         assoc,
         "",
         "C:\\Gone\\www.app.com kit\\app.exe /open %1",
         {{"C:\\Gone\\www.app.com", ""}},
         open},
        {"the file itself", assoc, "", "\"%1\" %*", {}, open},
        {"a user's verb",
         assoc,
         "",
         gone,
         {{gone, ""}},
         "Software\\Classes\\Directory\\shell\\DeepHere\\command"},
        {"a program's own entry",
         assoc,
         "",
         gone,
         {{gone, ""}},
         classes + "Applications\\deep.exe\\shell\\open\\command"},
        {"a named value of the command", assoc, "DelegateExecute", gone, {}, open},
        {"a verb's own key", assoc, "", gone, {}, classes + "DeepFile\\shell\\open"},
        {"a class's own registration",
         assoc,
         "",
         gone,
         {},
         classes + "CLSID\\shell\\open\\command"},
        // The icon: its file without the index.
        {"icon with an index", assoc, "", "C:\\Gone\\deep.exe,0", {{gone, ""}}, icon},
        {"icon with a resource id", assoc, "", "\"C:\\Gone\\deep.exe\",-101", {{gone, ""}}, icon},
        {"icon of the file itself", assoc, "", "%1", {}, icon},
        {"icon of a bare library", assoc, "", "shell32.dll,-152", {}, icon},
        {"present icon", assoc, "", "C:\\windows\\system32\\shell32.dll,-152", {}, icon},
        // A file type names its class; the class must be registered.
        {"class gone",
         assoc,
         "",
         "Deep.Save",
         {{"HKEY_CLASSES_ROOT\\Deep.Save", ""}},
         classes + ".deep"},
        {"class there", assoc, "", "txtfile", {}, classes + ".txt"},
        {"class in another letter case", assoc, "", "TXTFILE", {}, classes + ".txt"},
        {"class whose key holds only subkeys", assoc, "", "AppFile", {}, classes + ".app"},
        {"no class", assoc, "", "", {}, classes + ".deep"},
        {"a name no key can have", assoc, "", "Deep\\Save", {}, classes + ".deep"},
        {"Open With: class gone",
         assoc,
         "Deep.Save",
         "",
         {{"HKEY_CLASSES_ROOT\\Deep.Save", ""}},
         classes + ".deep\\OpenWithProgids"},
        {"Open With: class there", assoc, "txtfile", "", {}, classes + ".deep\\OpenWithProgids"},
        {"another value of the file type",
         assoc,
         "Content Type",
         "text/deep",
         {},
         classes + ".deep"},
        {"Open With's default value", assoc, "", "", {}, classes + ".deep\\OpenWithProgids"},
    });
}

TEST(CheckTable, UnknownSectionKeyCallsNothing) {
    RunTable({
        {"section keys are compared exactly", "windows startup", "App", "C:\\gone.exe", {}},
        {"no section", "", "App", "C:\\gone.exe", {}},
    });
}

TEST(ProblemRow, ColumnsOfARow) {
    FakeMachine m;
    Prepare(m);
    DispatchValueCheck(m.session, "C:\\App\\gone.exe", kSectionAppPaths, "  ", HKEY_LOCAL_MACHINE,
                       "HKEY_LOCAL_MACHINE",
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe");
    ASSERT_EQ(m.session.result.problems.Of<RegistryProblem>().size(), 1u);
    EXPECT_EQ(RootHandleText(m.session.result.problems.Of<RegistryProblem>()[0].root),
              "-2147483646");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].valueName, "(Default)");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].scanner,
              "Application Paths");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].keyPath,
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[(1) - 1].rootName,
              "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[0].section, "Software Locations");
    EXPECT_EQ(m.session.result.problems.Of<RegistryProblem>()[0].dataAsRead, "C:\\App\\gone.exe");
    EXPECT_EQ(m.observer.found, 1u);
}

TEST(ProblemRow, AFolderRowSaysItIsAFolder) {
    FakeMachine m;
    Prepare(m);
    DispatchValueCheck(m.session, "C:\\Gone", kSectionAppPaths, "Path", HKEY_LOCAL_MACHINE,
                       "HKEY_LOCAL_MACHINE", "K");
    DispatchValueCheck(m.session, "C:\\App\\gone.exe", kSectionAppPaths, "", HKEY_LOCAL_MACHINE,
                       "HKEY_LOCAL_MACHINE", "K");
    const auto problems = m.session.result.problems.Of<RegistryProblem>();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(problems[0].testedFolder);
    EXPECT_FALSE(problems[1].testedFolder);
    // Asked again for the repair, the folder is looked for as a folder.
    m.files.AddFolder("C:\\Gone");
    EXPECT_EQ(ProbeAgain(m.session, "C:\\Gone", true).kind, PathPresence::Present);
    EXPECT_EQ(ProbeAgain(m.session, "C:\\Gone").kind, PathPresence::Missing);
}

TEST(ProblemRow, DetectionSoundAndCounter) {
    FakeMachine m;
    Prepare(m);
    m.files.AddFile("C:\\sounds\\ding.wav");
    auto record = [&] {
        DispatchValueCheck(m.session, "gone.exe", kSectionAppPaths, "", HKEY_CLASSES_ROOT,
                           "HKEY_CLASSES_ROOT", "K");
    };
    record();
    EXPECT_EQ(m.observer.found, 1u);
    EXPECT_TRUE(m.observer.sounds.empty());
    m.settings.Save("chkPlaySound", "1");
    m.settings.Save("txtWaveFilesPath", " C:\\sounds\\ding.wav ");
    record();
    EXPECT_EQ(m.observer.sounds, std::vector<std::string>{"/host/C:/sounds/ding.wav"});
    m.files.RemoveFile("C:\\sounds\\ding.wav");
    record();
    EXPECT_EQ(m.observer.sounds.size(), 1u);
    EXPECT_EQ(m.observer.found, 3u);
    EXPECT_EQ(RootHandleText(m.session.result.problems.Of<RegistryProblem>()[0].root),
              "-2147483648");
}

}  // namespace
}  // namespace vostrel

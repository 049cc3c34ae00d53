// Prefixes unlike the ones wineboot makes on a developer's machine, scanned
// and repaired by the command-line program as a user runs it:
// - sandboxed: no z: drive, so Wine names the host's fonts by their host
//   paths ("\??\unix\usr\share\fonts\...");
// - drives whose disk is unplugged (the link's folder is missing), not
//   mounted (an empty folder), not a folder at all, or a letter the prefix
//   does not have.
// Entries on such drives are neither listed nor removed; they are counted
// as not checked. A file gone from a drive that is there is still found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAppPaths =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr const char* kRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUninstall =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kFonts =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr const char* kExternalFonts = "HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\External Fonts";

// A REGEDIT4 file of keys, each with its values.
class RegFile {
public:
    RegFile& Key(const std::string& path) {
        text_ += "\r\n[" + path + "]\r\n";
        return *this;
    }
    RegFile& Value(const std::string& name, const std::string& data) {
        text_ += (name.empty() ? std::string("@") : "\"" + Escape(name) + "\"") + "=\"" +
                 Escape(data) + "\"\r\n";
        return *this;
    }
    std::string Text() const { return "REGEDIT4\r\n" + text_; }

private:
    static std::string Escape(const std::string& text) {
        std::string out;
        for (char c : text)
            out += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
        return out;
    }
    std::string text_;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class DriveReachCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        base_ = root_.path();
        prefix_ = base_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        fs::create_directories((base_ / "cli").string());
    }

    // Imports `reg` into the prefix with Wine's own reg and waits until the
    // registry files are written.
    void Import(const RegFile& reg) {
        std::ofstream(prefix_ + "/drive_c/vostrel-plant.reg", std::ios::binary) << reg.Text();
        ASSERT_EQ(testing::RunWine(prefix_, {"reg", "import", "C:\\vostrel-plant.reg"}), 0);
        testing::WaitForWineserver(prefix_);
        fs::remove(prefix_ + "/drive_c/vostrel-plant.reg");
    }

    void LinkDrive(char letter, const fs::path& target) {
        const fs::path link = prefix_ + "/dosdevices/" + std::string(1, letter) + ":";
        std::error_code ignored;
        fs::remove(link, ignored);
        fs::create_directory_symlink(target, link);
    }

    nlohmann::json ScanJson(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args{"scan", "--json", "--quiet", "--prefix", prefix_};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto run = testing::RunCliPrivately((base_ / "cli").string(), args);
        EXPECT_EQ(run.status, 0) << run.err;
        return nlohmann::json::parse(run.out, nullptr, false);
    }

    static std::vector<std::string> MissingPaths(const nlohmann::json& scan) {
        std::vector<std::string> paths;
        for (const auto& problem : scan["registry"]) paths.push_back(problem["missing"]);
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    testing::TempDir root_;
    fs::path base_;
    std::string prefix_;
};

// The drive cases side by side: E: unplugged (its folder under a media
// folder is missing), F: not mounted (its mount point is empty), G: a file
// where the folder should be, H: a letter the prefix lacks, I: a second
// disk that is there, from which a program was really deleted.
TEST_F(DriveReachCommand, EntriesOnDrivesThatAreNotThereAreCountedNotReportedNorRemoved) {
    fs::create_directories(base_ / "media");
    LinkDrive('E', base_ / "media" / "usb");
    fs::create_directories(base_ / "mnt" / "games");
    LinkDrive('F', base_ / "mnt" / "games");
    std::ofstream(base_ / "not-a-folder") << "a file\n";
    LinkDrive('G', base_ / "not-a-folder");
    fs::create_directories(base_ / "disk2" / "Games");
    std::ofstream(base_ / "disk2" / "Games" / "kept.exe") << "MZ";
    LinkDrive('I', base_ / "disk2");
    // z: stands in for the host's root, with something on it.
    fs::create_directories(base_ / "host");
    std::ofstream(base_ / "host" / "in-use.txt") << "there\n";
    LinkDrive('Z', base_ / "host");

    RegFile reg;
    for (char letter : std::string("EFGHI")) {
        const std::string d(1, letter);
        const std::string exe = d + ":\\Games\\vostrel" + d + ".exe";
        reg.Key(kAppPaths + std::string("vostrel-") + d + ".exe").Value("", exe);
        reg.Key(kUninstall + std::string("Vostrel") + d)
            .Value("DisplayName", "Vostrel " + d)
            .Value("UninstallString", "\"" + d + ":\\Games\\uninst.exe\" /S");
        // (A startup program's name holds no dash: the startup check cuts
        // a name at its first dash.)
        reg.Key(kRun).Value("Vostrel " + d, "\"" + exe + "\" /start");
    }
    // A program that is still there on I: stays unreported.
    reg.Key(kAppPaths + std::string("kept.exe")).Value("", "I:\\Games\\kept.exe");
    Import(reg);

    const std::vector<std::string> sections{"--sections",
                                            "Software Locations;Windows Startup;Uninstall Section"};
    const auto scan = ScanJson(sections);
    ASSERT_FALSE(scan.is_discarded());
    EXPECT_EQ(MissingPaths(scan),
              (std::vector<std::string>{"I:\\Games\\uninst.exe", "I:\\Games\\vostrelI.exe",
                                        "I:\\Games\\vostrelI.exe"}));
    const auto& notChecked = scan["notChecked"];
    EXPECT_EQ(notChecked["byReason"]["driveUnavailable"], 12);
    EXPECT_EQ(notChecked["total"], 12);
    std::map<std::string, int> drives;
    for (const auto& drive : notChecked["unavailableDrives"]) {
        drives[drive["drive"]] = drive["entries"];
        EXPECT_FALSE(drive["why"].get<std::string>().empty());
    }
    EXPECT_EQ(drives, (std::map<std::string, int>{{"E:", 3}, {"F:", 3}, {"G:", 3}, {"H:", 3}}));

    // The listing says it once, with the drives.
    const auto listing =
        testing::RunCliPrivately((base_ / "cli").string(), {"scan", "--quiet", "--prefix", prefix_,
                                                            sections[0], sections[1]});
    EXPECT_NE(listing.out.find("Not checked: 12 entries on a drive that is not available (E: 3, "
                               "F: 3, G: 3, H: 3)"),
              std::string::npos)
        << listing.out;

    // The repair removes what is gone from I: and nothing of the others.
    const auto repair =
        testing::RunCliPrivately((base_ / "cli").string(), {"repair", "--yes", "--prefix", prefix_,
                                                            sections[0], sections[1]});
    EXPECT_EQ(repair.status, 0) << repair.out << repair.err;
    const std::string system = ReadFile(prefix_ + "/system.reg");
    for (const char* kept : {"vostrelE.exe", "vostrelF.exe", "vostrelG.exe", "vostrelH.exe",
                             "Vostrel E", "Vostrel H", "kept.exe"})
        EXPECT_NE(system.find(kept), std::string::npos) << kept << " was removed";
    const auto after = ScanJson(sections);
    EXPECT_TRUE(MissingPaths(after).empty());
    EXPECT_EQ(after["notChecked"]["byReason"]["driveUnavailable"], 12);

    // Plugged back in, the disk's programs are there and nothing is wrong.
    fs::create_directories(base_ / "media" / "usb" / "Games");
    for (const char* name : {"vostrelE.exe", "uninst.exe"})
        std::ofstream(base_ / "media" / "usb" / "Games" / name) << "MZ";
    const auto plugged = ScanJson(sections);
    EXPECT_TRUE(MissingPaths(plugged).empty());
    EXPECT_EQ(plugged["notChecked"]["byReason"]["driveUnavailable"], 9);
}

// A sandboxed prefix: no z:. Wine then names host files by their host
// paths, in its NT form or the Win32 one. Those that are there are fine;
// a host font Wine lists itself is Wine's to write again; a font really
// gone from a disk that is there is still found, and so is a program named
// by an NT drive path.
TEST_F(DriveReachCommand, SandboxedPrefixResolvesWinesHostPaths) {
    fs::remove(prefix_ + "/dosdevices/z:");
    const fs::path fonts = base_ / "host-fonts";
    fs::create_directories(fonts);
    for (const char* name : {"a.ttf", "b.otf"}) std::ofstream(fonts / name) << "font";
    std::string hostFolder = fonts.string();
    for (char& c : hostFolder)
        if (c == '/') c = '\\';
    const std::string nt = "\\??\\unix" + hostFolder;      // as Wine writes it
    const std::string win32 = "\\\\?\\unix" + hostFolder;  // as a program may

    RegFile reg;
    reg.Key(kFonts)
        .Value("Vostrel A (TrueType)", nt + "\\a.ttf")
        .Value("Vostrel B (OpenType)", win32 + "\\b.otf")
        .Value("Vostrel Listed (TrueType)", nt + "\\listed-gone.ttf")
        .Value("Vostrel Gone (TrueType)", nt + "\\gone.ttf");
    reg.Key(kExternalFonts).Value("Vostrel Listed (TrueType)", nt + "\\listed-gone.ttf");
    reg.Key(kAppPaths + std::string("vostrel-nt.exe"))
        .Value("", "\\??\\C:\\Program Files\\Vostrel\\vostrel-nt.exe");
    reg.Key(kAppPaths + std::string("vostrel-notepad.exe"))
        .Value("", "\\??\\C:\\windows\\notepad.exe");
    Import(reg);

    const auto scan = ScanJson({"--sections", "Software Locations;Windows Fonts"});
    ASSERT_FALSE(scan.is_discarded());
    EXPECT_EQ(MissingPaths(scan),
              (std::vector<std::string>{"\\??\\C:\\Program Files\\Vostrel\\vostrel-nt.exe",
                                        nt + "\\gone.ttf"}));
}

// The whole default scan of a sandboxed prefix as wineboot made it, on a
// machine with whatever fonts it has: Wine's own registrations are never a
// problem, and the fonts it registered through z: before z: went away are
// out of reach, not gone.
TEST_F(DriveReachCommand, FreshSandboxedPrefixHasNoProblems) {
    fs::remove(prefix_ + "/dosdevices/z:");
    const auto scan = ScanJson();
    ASSERT_FALSE(scan.is_discarded());
    EXPECT_TRUE(scan["registry"].empty()) << scan["registry"].dump(1);
    EXPECT_TRUE(scan["shortcuts"].empty()) << scan["shortcuts"].dump(1);
}

}  // namespace
}  // namespace vostrel

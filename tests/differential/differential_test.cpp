// The Windows build, run inside Wine on the live registry and drive C, is
// the reference for the Linux build, which reads the same Wine prefix from
// the outside. On a fresh prefix with planted entries of every section and
// planted shortcuts, both scans must list exactly the same problem rows.
//
// One departure is named: the Windows program keeps Windows' meaning and
// counts only files, while the Linux build also asks the Wine installation
// what it supplies itself (builtin libraries, its own registrations, its
// fonts). Rows of the Windows scan for such files are left out of the
// comparison, and each of them must be one the Linux build's Wine supplies.
//
// The Windows program is the vostrel-cli.exe of the mingw build
// (scripts/test-mingw builds it), or the one named by $VOSTREL_WINDOWS_CLI.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/text.h"
#include "system/wine/wine_install.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Every registry row of the catalogue and the shortcut row of drive C: the
// prefix's other drives (Z: is the whole Linux file system) stay out.
const std::string kSections =
    "Registry Integrity;Custom Controls;Sub Section Controls;Software Locations;Help Files;"
    "Shared Files;Windows Startup;Uninstall Section;Virtual Devices;Windows Fonts;"
    "Configuration files;Window Shortcut C";

// True when a source of the core or the command-line program changed after
// the Windows program was built: its answers would be those of older code.
bool OlderThanTheSources(const std::string& program) {
    const auto built = fs::last_write_time(program);
    for (const char* area : {"system", "scan", "shortcuts", "results", "cli"}) {
        const fs::path folder = fs::path(VOSTREL_SOURCE_DIR) / area;
        if (!fs::exists(folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.last_write_time() > built) return true;
    }
    return false;
}

std::string WindowsCli() {
    if (const char* given = std::getenv("VOSTREL_WINDOWS_CLI"); given && *given) return given;
    return std::string(VOSTREL_SOURCE_DIR) + "/build/mingw/vostrel-cli.exe";
}

// Runs a Linux program with its output captured.
int RunCaptured(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> Rows(const json& scan, const char* list) {
    std::vector<std::string> rows;
    for (const auto& row : scan.at(list)) rows.push_back(row.dump());
    return rows;
}

// True for a registry row of a file directly in C:\windows, its system32,
// syswow64 or system folder, or its Fonts folder, that `wine` supplies.
bool SuppliedByWine(const json& row, WineInstall& wine) {
    const std::string path = row.at(2).get<std::string>();
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return false;
    std::string folder = path.substr(0, slash);
    for (auto& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string name = path.substr(slash + 1);
    if (folder == "c:\\windows\\fonts") return wine.ProvidesFont(name);
    for (const char* system :
         {"c:\\windows", "c:\\windows\\system32", "c:\\windows\\syswow64", "c:\\windows\\system"})
        if (folder == system) return wine.ProvidesLibrary(name);
    return false;
}

// The rows only one side has, and whether the order differs, as a message.
std::string Difference(const std::vector<std::string>& windows,
                       const std::vector<std::string>& linux_) {
    std::ostringstream out;
    const std::multiset<std::string> w(windows.begin(), windows.end()),
        l(linux_.begin(), linux_.end());
    for (const auto& row : windows)
        if (!l.count(row)) out << "  only on Windows: " << row << "\n";
    for (const auto& row : linux_)
        if (!w.count(row)) out << "  only on Linux:   " << row << "\n";
    if (out.str().empty() && windows != linux_) out << "  same rows in another order\n";
    return out.str();
}

class Differential : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testing::WineAvailable()) {
            skip_ = "wine is not installed";
            return;
        }
        if (!fs::exists(WindowsCli())) {
            skip_ = "no Windows build at " + WindowsCli() + " (scripts/test-mingw makes it)";
            return;
        }
        if (OlderThanTheSources(WindowsCli())) {
            skip_ = WindowsCli() + " is older than the sources (scripts/test-mingw rebuilds it)";
            return;
        }
        dir_ = new testing::TempDir;
        prefix_ = *dir_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        fs::remove(prefix_ + "/dosdevices/z:");
        Plant();
        ScanOnWindows();
        testing::WaitForWineserver(prefix_);
        ScanOnLinux();
    }

    static void TearDownTestSuite() {
        if (dir_) testing::KillWineserver(prefix_);
        delete dir_;
        dir_ = nullptr;
    }

    void SetUp() override {
        if (!skip_.empty()) GTEST_SKIP() << skip_;
        ASSERT_TRUE(error_.empty()) << error_;
    }

    static void Plant() {
        const std::string plant = prefix_ + "/drive_c/vostrel-plant";
        fs::create_directories(plant);
        for (const auto& entry :
             fs::directory_iterator(std::string(VOSTREL_SOURCE_DIR) + "/tests/differential/plant"))
            fs::copy_file(entry.path(), plant + "/" + entry.path().filename().string());
        testing::RunWine(prefix_, {"cmd", "/c", "C:\\vostrel-plant\\plant.cmd"});
        testing::RunWine(prefix_, {"wscript", "C:\\vostrel-plant\\shortcuts.js"});
        fs::remove_all(plant);
    }

    // A scan's JSON with its entries as rows of cells, in the order of the
    // result lists' columns, so that rows compare as wholes.
    static json AsRows(const json& scan) {
        if (scan.is_discarded()) return scan;
        json out = scan;
        out["registry"] = json::array();
        for (const auto& e : scan.at("registry"))
            out["registry"].push_back({e.at("root"), e.at("value"), e.at("data"), e.at("scanner"),
                                       e.at("key"), e.at("root"),
                                       e.at("systemFolder").get<bool>() ? "Yes" : ""});
        out["shortcuts"] = json::array();
        for (const auto& e : scan.at("shortcuts"))
            out["shortcuts"].push_back({e.at("path"), "Windows Shortcut"});
        out["summary"] = json::array();
        for (const auto& e : scan.at("summary")) out["summary"].push_back(e.at("text"));
        return out;
    }

    static void ScanOnWindows() {
        std::string output;
        const int status = testing::RunWine(
            prefix_, {WindowsCli(), "scan", "--json", "--quiet", "--sections", kSections}, &output);
        if (status != 0)
            error_ += "the Windows scan ended with status " + std::to_string(status) + "\n";
        windows_ = AsRows(json::parse(output, nullptr, false));
        if (windows_.is_discarded())
            error_ += "the Windows scan printed no JSON:\n" + output + "\n";
    }

    static void ScanOnLinux() {
        std::string output;
        const std::string command = Quoted(VOSTREL_CLI) + " scan --json --quiet --prefix " +
                                    Quoted(prefix_) + " --sections " + Quoted(kSections) + " 2>&1";
        const int status = RunCaptured(command, output);
        if (status != 0)
            error_ += "the Linux scan ended with status " + std::to_string(status) + "\n";
        linux_ = AsRows(json::parse(output, nullptr, false));
        if (linux_.is_discarded()) error_ += "the Linux scan printed no JSON:\n" + output + "\n";
    }

    static bool WindowsHasRowWith(const char* list, const std::string& text) {
        for (const auto& row : windows_.at(list))
            for (const auto& cell : row)
                if (cell == text) return true;
        return false;
    }

    static inline std::string skip_, error_, prefix_;
    static inline testing::TempDir* dir_ = nullptr;
    static inline json windows_, linux_;
};

// One test, so that the prefix is planted and scanned once.
//
// Among the planted values is a path longer than MAX_PATH (App Paths\vostrel-long,
// value "c"): the A functions refuse it (ERROR_FILENAME_EXCED_RANGE), on
// Windows as in Wine, so the existence test counts it as present.
//
// One departure is by design: the Windows build reads the registry through
// the A functions, so text the ANSI code page cannot carry reaches it as '?'
// and such data is left untested there; the Linux build reads every
// character, as Wine's wide functions see it, and tests it. Rows holding such
// characters are therefore the Linux build's alone: they are taken out of the
// comparison, and the Linux build must list the planted ones.
TEST_F(Differential, BothScansListTheSameProblems) {
    // The Windows build asks no Wine: rows for files the Linux build's Wine
    // supplies itself are its own departure.
    const auto found = FindSystemWineInstall();
    ASSERT_TRUE(found) << "the Linux scan asked no Wine";
    WineInstall wine(*found);
    json supplied = json::array();
    for (auto row = windows_.at("registry").begin(); row != windows_.at("registry").end();) {
        if (SuppliedByWine(*row, wine)) {
            supplied.push_back(*row);
            row = windows_.at("registry").erase(row);
        } else {
            ++row;
        }
    }
    // The departure is the fresh prefix's own: its 16-bit class servers and bitmap fonts.
    for (const auto& row : supplied)
        EXPECT_NE(row.at(2).get<std::string>().find("C:\\windows\\"), std::string::npos);
    const auto windowsErrors = Rows(windows_, "registry");
    std::vector<std::string> linuxErrors, linuxOnly;
    for (auto& row : Rows(linux_, "registry"))
        (FitsAnsi(row) ? linuxErrors : linuxOnly).push_back(row);
    for (const auto& row : windowsErrors)
        EXPECT_TRUE(FitsAnsi(row)) << "the A functions gave " << row;
    ASSERT_EQ(linuxOnly.size(), 1u) << "rows outside the ANSI code page:\n"
                                    << Difference({}, linuxOnly);
    EXPECT_NE(linuxOnly[0].find("C:\\\\\xD0\x96\xD1\x83\xD0\xBA\\\\vostrel-gone.exe"),
              std::string::npos)
        << linuxOnly[0];
    EXPECT_EQ(windowsErrors, linuxErrors) << "registry rows differ:\n"
                                          << Difference(windowsErrors, linuxErrors);
    const auto windowsLinks = Rows(windows_, "shortcuts"), linuxLinks = Rows(linux_, "shortcuts");
    EXPECT_EQ(windowsLinks, linuxLinks) << "shortcut rows differ:\n"
                                        << Difference(windowsLinks, linuxLinks);
    // Summary rows count the rows: the Windows side's counts include the
    // Wine-supplied departure, so they are compared only without one. The
    // ANSI departure's row counts among the Linux build's Software Locations.
    if (supplied.empty()) {
        json summary = windows_.at("summary");
        for (auto& line : summary) {
            const std::string text = line.get<std::string>(),
                              head = "Invalid Software Locations ( ";
            if (text.rfind(head, 0) != 0) continue;
            const std::size_t end = text.find(' ', head.size());
            const std::size_t count =
                std::stoul(text.substr(head.size(), end - head.size())) + linuxOnly.size();
            line = head + std::to_string(count) + text.substr(end);
        }
        EXPECT_EQ(summary, linux_.at("summary"));
    }

    // The comparison means something only when the reference found what was
    // planted, and left alone what is sound.
    for (const char* path :
         {"C:\\Program Files\\Gone\\gone.exe", "C:\\Program Files\\Gone\\quoted.exe",
          "C:\\windows\\system32\\vostrel-gone.dll", "C:\\Gone\\a.exe", "C:\\Gone\\sub.exe",
          "C:\\Gone\\multi.exe", "C:\\Gone\\vostrel-gone.hlp", "C:\\Gone\\vostrel-gone.chm",
          "C:\\Shared\\vostrel-gonelib.dll", "C:\\Program Files\\App\\app.exe",
          "C:\\App 1.0\\uninst.exe", "C:\\Windows\\vostrel-two.exe ", "C:\\Data\\vostrel-two.ini",
          "C:\\Fonts\\vostrel-gone.ttf", "C:\\Gone\\menu.exe", "C:\\Caf\xC3\xA9\\vostrel-gone.exe"})
        EXPECT_TRUE(WindowsHasRowWith("registry", path)) << path;
    for (const char* path :
         {"C:\\Gone\\args.exe", "C:\\windows\\notepad.exe", "C:\\windows\\system32\\msiexec.exe"})
        EXPECT_FALSE(WindowsHasRowWith("registry", path)) << path;
    for (const char* path :
         {"C:\\VostrelLinks\\broken.lnk", "C:\\VostrelLinks\\Sub Folder\\Deep Broken.lnk",
          "C:\\VostrelLinks\\UPPER CASE.LNK", "C:\\users\\Public\\Desktop\\Vostrel Gone.lnk",
          "C:\\VostrelLinks\\file.url"})
        EXPECT_TRUE(WindowsHasRowWith("shortcuts", path)) << path;
    for (const char* path : {"C:\\VostrelLinks\\alive.lnk", "C:\\VostrelLinks\\folder.lnk",
                             "C:\\VostrelLinks\\home.lnk", "C:\\NetHood\\net.lnk",
                             "C:\\VostrelLinks\\web.url", "C:\\VostrelLinks\\not a link.lnk"})
        EXPECT_FALSE(WindowsHasRowWith("shortcuts", path)) << path;
}

}  // namespace
}  // namespace vostrel

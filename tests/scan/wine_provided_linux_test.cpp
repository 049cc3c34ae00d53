// What Wine supplies itself, against a real wineboot prefix: entries planted
// with Wine's own `reg import` next to the ones the fresh prefix holds. A
// file Wine provides (a builtin library whose file the prefix lacks, a 16-bit
// server Wine registers itself, a bitmap font Wine lists itself), a program
// id and a host font link Wine lists itself yield no row; everything else
// that is missing still does, the look-alikes included.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/scan_driver.h"
#include "scan/catalogue.h"
#include "scan/section_table.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_e2e_rows.h"
#include "support/wine_prefix_fixture.h"
#include "system/machine.h"
#include "system/wine/wine_install.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::Rows;
using testing::RowTexts;

const std::string kClasses = "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\";
const std::string kFonts =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kExternal = "HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\External Fonts";

std::string Class(int n) {
    return "{0F00D000-0000-4000-8000-0000000000" + std::to_string(10 + n) + "}";
}

// The planted entries, as REGEDIT4 text ("\\" is one backslash there).
std::string PlantedRegFile() {
    std::string reg = "REGEDIT4\r\n\r\n";
    auto key = [&](const std::string& path) { reg += "[" + path + "]\r\n"; };
    auto value = [&](const std::string& name, const std::string& data) {
        std::string escaped;
        for (char c : data) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        reg += (name.empty() ? std::string("@") : "\"" + name + "\"") + "=\"" + escaped + "\"\r\n";
    };
    key(kClasses + Class(1) + "\\InprocServer32");
    value("", "hhctrl.ocx");  // builtin, file removed
    key(kClasses + Class(2) + "\\InprocServer32");
    value("", "vostrel-notwine.dll");  // not Wine's
    key(kClasses + Class(3) + "\\InprocServer32");
    value("", "C:\\windows\\syswow64\\vostrel-notwine32.dll");
    key(kClasses + Class(4) + "\\InprocServer");
    value("", "ole2disp.dll");  // Wine's 16-bit server
    key(kClasses + Class(5) + "\\ProgID");
    value("", "Vostrel.Gone.OCX");
    key(kClasses + Class(5) + "\\VersionIndependentProgID");
    value("", "Vostrel.Gone.OCX");
    key(kClasses + Class(5) + "\\InprocServer32");
    value("", "Vostrel.Gone.OCX");  // a server is a file
    key(kClasses + Class(6) + "\\InprocServer32");
    value("", "C:\\Program Files\\Vostrel\\hhctrl.ocx");
    key(kClasses + Class(7) + "\\InprocServer32");
    value("", "C:\\windows\\system32\\sub\\kernel32.dll");
    key(kExternal);
    value("Vostrel Host (TrueType)", "Z:\\vostrel-gone\\host.ttf");
    value("Vostrel Own (TrueType)", "C:\\vostrel-gone\\own.ttf");
    value("Vostrel Moved (TrueType)", "Z:\\vostrel-gone\\a.ttf");
    value("Vostrel Drive D (TrueType)", "D:\\vostrel-gone\\d.ttf");
    key(kFonts);
    value("Vostrel Courier", "COURE.FON");  // Wine's bitmap font
    value("Vostrel Gone (TrueType)", "vostrelgone.ttf");
    value("Vostrel Host (TrueType)", "Z:\\vostrel-gone\\host.ttf");  // Wine's host link
    value("Vostrel Unlisted (TrueType)", "Z:\\vostrel-gone\\unlisted.ttf");
    value("Vostrel Own (TrueType)", "C:\\vostrel-gone\\own.ttf");
    value("Vostrel Moved (TrueType)", "Z:\\vostrel-gone\\b.ttf");
    value("Vostrel Drive D (TrueType)", "D:\\vostrel-gone\\d.ttf");  // a drive of the prefix
    return reg;
}

RowTexts ClassRow(int n, const std::string& server, const std::string& file, bool completed) {
    return {"-2147483646",
            "(Default)",
            file,
            "ActiveX \\ COM Subsections",
            "SOFTWARE\\Classes\\CLSID\\" + Class(n) + "\\" + server,
            "HKEY_LOCAL_MACHINE",
            completed ? "Yes" : ""};
}

RowTexts FontRow(const std::string& name, const std::string& file) {
    return {"-2147483646",
            name,
            file,
            "Windows Fonts",
            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
            "HKEY_LOCAL_MACHINE",
            ""};
}

class WineProvidedScan : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testing::WineAvailable()) return;
        dir_ = new testing::TempDir;
        prefix_ = *dir_ / "prefix";
        testing::CopyTemplatePrefix(prefix_);
        // Z: is a test folder standing in for the host's root.
        const std::string host = *dir_ / "host";
        fs::create_directories(host);
        // A drive with nothing on it is taken for a disk that is not
        // mounted; these stand-ins hold a file, as a disk in use does.
        testing::WriteTextFile(host + "/in-use.txt", "a drive that is there\n");
        fs::remove(prefix_ + "/dosdevices/z:");
        fs::create_directory_symlink(host, prefix_ + "/dosdevices/z:");
        // D: is a second drive inside the prefix, not the host's.
        fs::create_directories(prefix_ + "/drive_d");
        testing::WriteTextFile(prefix_ + "/drive_d/in-use.txt", "a drive that is there\n");
        fs::create_directory_symlink("../drive_d", prefix_ + "/dosdevices/d:");
        // A builtin library whose placeholder file the prefix lacks.
        fs::remove(prefix_ + "/drive_c/windows/system32/hhctrl.ocx");
        testing::WriteTextFile(prefix_ + "/drive_c/vostrel-plant.reg", PlantedRegFile());
        if (testing::RunWine(prefix_, {"reg", "import", "C:\\vostrel-plant.reg"}) != 0)
            error_ = "wine reg import failed";
        testing::WaitForWineserver(prefix_);
    }
    static void TearDownTestSuite() {
        if (dir_) testing::KillWineserver(prefix_);
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
        ASSERT_TRUE(error_.empty()) << error_;
    }

    // The rows of Sub Section Controls and Windows Fonts, asking `wine`.
    static std::vector<RowTexts> Scan(WineProvides* wine) {
        MachineResult opened = OpenWinePrefix(prefix_);
        if (!opened.machine) return {{opened.error}};
        testing::MemorySettings settings;
        testing::RecordingObserver window;
        ScanSession session(*opened.machine->registry, *opened.machine->files, settings, window);
        session.wine = wine;
        for (const auto& row : kSectionRows)
            settings.Save(row.text,
                          row.text == "Sub Section Controls" || row.text == "Windows Fonts"
                              ? "True"
                              : "False");
        LoadCatalogue(session);
        for (std::size_t i = 12; i <= session.request.sections.Count(); ++i)
            session.request.sections.SetChecked(i, false);
        RunScan(session);
        return Rows(session.result.problems);
    }

    static inline std::string prefix_, error_;
    static inline testing::TempDir* dir_ = nullptr;
};

TEST_F(WineProvidedScan, OnlyWhatWineDoesNotSupplyIsReported) {
    const auto found = FindSystemWineInstall();
    ASSERT_TRUE(found);
    WineInstall wine(*found);
    const std::vector<RowTexts> expected{
        ClassRow(2, "InprocServer32", "C:\\windows\\system32\\vostrel-notwine.dll", true),
        ClassRow(3, "InprocServer32", "C:\\windows\\syswow64\\vostrel-notwine32.dll", false),
        ClassRow(5, "InprocServer32", "C:\\windows\\system32\\Vostrel.Gone.OCX", true),
        ClassRow(6, "InprocServer32", "C:\\Program Files\\Vostrel\\hhctrl.ocx", false),
        ClassRow(7, "InprocServer32", "C:\\windows\\system32\\sub\\kernel32.dll", false),
        FontRow("Vostrel Gone (TrueType)", "C:\\windows\\Fonts\\vostrelgone.ttf"),
        FontRow("Vostrel Unlisted (TrueType)", "Z:\\vostrel-gone\\unlisted.ttf"),
        FontRow("Vostrel Own (TrueType)", "C:\\vostrel-gone\\own.ttf"),
        FontRow("Vostrel Moved (TrueType)", "Z:\\vostrel-gone\\b.ttf"),
        FontRow("Vostrel Drive D (TrueType)", "D:\\vostrel-gone\\d.ttf"),
    };
    auto rows = Scan(&wine);
    std::sort(rows.begin(), rows.end());
    auto sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(rows, sorted);
}

// Without a Wine to ask, files count only when the prefix holds them: the
// fresh prefix's own registrations come back, the rules that need no Wine
// (program ids, host font links) still hold.
TEST_F(WineProvidedScan, WithoutWineOnlyFilesCount) {
    const auto rows = Scan(nullptr);
    auto has = [&](const std::string& file, const std::string& keyTail) {
        for (const auto& row : rows)
            if (row[2] == file && row[4].size() >= keyTail.size() &&
                row[4].compare(row[4].size() - keyTail.size(), keyTail.size(), keyTail) == 0)
                return true;
        return false;
    };
    EXPECT_TRUE(has("C:\\windows\\system32\\hhctrl.ocx", Class(1) + "\\InprocServer32"));
    EXPECT_TRUE(has("C:\\windows\\system32\\ole2disp.dll", Class(4) + "\\InprocServer"));
    EXPECT_TRUE(has("C:\\windows\\Fonts\\COURE.FON", "Fonts"));
    EXPECT_TRUE(has("C:\\windows\\system32\\vostrel-notwine.dll", Class(2) + "\\InprocServer32"));
    EXPECT_FALSE(has("C:\\windows\\system32\\Vostrel.Gone.OCX", Class(5) + "\\ProgID"));
    EXPECT_FALSE(
        has("C:\\windows\\system32\\Vostrel.Gone.OCX", Class(5) + "\\VersionIndependentProgID"));
    EXPECT_FALSE(has("Z:\\vostrel-gone\\host.ttf", "Fonts"));
}

}  // namespace
}  // namespace vostrel

// The scan driver on a small fake machine: progress, captions, the counter,
// the summary rows, cancel, and the mended behaviours (startup entries in
// Run itself, counts past 32767, no second scan while one runs).
#include <gtest/gtest.h>

#include <filesystem>

#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "scan/scan_driver.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"

namespace vostrel {
namespace {

using testing::FakeMachine;
constexpr HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::string kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::vector<std::string> Summaries(const FakeMachine& m) {
    std::vector<std::string> out;
    for (const auto& row : m.form.lvwRegistryProblems.rows()) out.push_back(row.text);
    return out;
}

void CheckOnly(FakeMachine& m, std::initializer_list<std::string_view> texts) {
    for (const auto& row : kCatalogueRows) m.settings.Save(row.text, "False");
    m.settings.Save("Window Shortcut C", "False");
    for (auto text : texts) m.settings.Save(text, "True");
    LoadlvwRegistryvaluesScanValues(m.form);
}

// One missing file in every checked section.
void PlantOnePerSection(FakeMachine& m) {
    // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\SOFTWARE\Classes: both sections see it.
    m.registry.SetString(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", "", "C:\\gone\\a.dll");
    m.registry.SetString(kHklm, kCv + "\\App Paths\\c.exe", "", "C:\\gone\\c.exe");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "d.hlp", "C:\\gone");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Shared Tools\\E", "Path", "C:\\gone\\e.dll");
    m.registry.SetString(kHklm, kCv + "\\Run", "F", "C:\\gone\\f.exe");
    m.registry.SetString(kHklm, kCv + "\\Uninstall\\G", "UninstallString", "C:\\gone\\g.exe");
    m.registry.SetString(kHklm, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", "H", "h.vxd");
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "I", "i.ttf");
}

TEST(Driver, ProgressSteps) {
    EXPECT_EQ(ProgressStep(11), 389);
    EXPECT_EQ(ProgressStep(12), 356);
    EXPECT_EQ(ProgressStep(18), 238);  // 237.5: the tie goes to the even step
    EXPECT_EQ(ProgressStep(14), 305);  // 305.36
}

TEST(Driver, NothingCheckedStillAdvancesAndReports) {
    FakeMachine m;
    testing::TempDir dir;
    m.files.SetDrives({});
    m.settings.Save("chkMakeLogFile", "1");
    m.settings.Save("txtLogFile", dir.path());
    PlantOnePerSection(m);
    CheckOnly(m, {});
    m.window.SetVisible(Control::PicResults, false);
    std::vector<int> widths;
    m.window.onEvents = [&] {
        if (m.window.busy()) widths.push_back(m.window.Value(Control::PicProgress));
    };
    ImgScanNowMouseMove_Click(m.form);
    const std::vector<int> expected{389, 778, 1167, 1556, 1945, 2334, 2723, 3112, 3501, 3890, 3890};
    EXPECT_EQ(widths, expected);
    EXPECT_EQ(m.window.Value(Control::PicProgress), kProgressFullWidth);
    EXPECT_TRUE(m.form.lvwErrors.Empty());
    EXPECT_TRUE(m.form.lvwRegistryProblems.Empty());
    EXPECT_FALSE(m.window.Visible(Control::PicResults));
    EXPECT_TRUE(std::filesystem::exists(dir / "ScanReport.txt"));
    EXPECT_EQ(m.form.state.lProgressStep, 0);
    EXPECT_TRUE(m.window.Enabled(Control::ImgScanNowNormal));
    EXPECT_FALSE(m.window.busy());
}

TEST(Driver, EverySectionFindsItsProblem) {
    FakeMachine m;
    PlantOnePerSection(m);
    m.registry.SetString(kHklm, "SOFTWARE\\Vendor", "Unchecked", "C:\\gone\\z.exe");
    LoadlvwRegistryvaluesScanValues(m.form);
    m.window.SetVisible(Control::PicResults, false);
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_EQ(Summaries(m), (std::vector<std::string>{
                                "Invalid Custom Controls ( 1 Problem(s) )",
                                "Invalid Sub Section Controls ( 1 Problem(s) )",
                                "Invalid Software Locations ( 1 Problem(s) )",
                                "Invalid Help Files ( 1 Problem(s) )",
                                "Invalid Shared Files ( 1 Problem(s) )",
                                "Invalid Windows Startup Files  ( 1 Problem(s) )",
                                "Invalid Uninstall Section File  ( 1 Problem(s) )",
                                "Invalid Virtual Devices ( 1 Problem(s) )",
                                "Invalid Windows Fonts (  1 Problem(s) )",
                            }));
    ASSERT_EQ(m.form.lvwErrors.Count(), 9u);
    EXPECT_EQ(m.window.Caption(Control::lblProblemsFound), "9");
    EXPECT_TRUE(m.window.Visible(Control::PicResults));
    EXPECT_FALSE(m.window.Visible(Control::PicScanning));
    // The startup entry stored in Run itself, with Run as its key path.
    EXPECT_EQ(m.form.lvwErrors.SubItem(6, 2), "C:\\gone\\f.exe");
    EXPECT_EQ(m.form.lvwErrors.SubItem(6, 4), kCv + "\\Run");
    const auto statuses = m.window.History(Control::lblStatus);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Shortcuts C:\\..."), statuses.end());
    EXPECT_EQ(statuses.front(), "Inspecting...");
}

TEST(Driver, FontsKeyFollowsThePlatform) {
    FakeMachine m;
    m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "NT", "nt.ttf");
    m.registry.SetString(kHklm, kCv + "\\Fonts", "Old", "old.ttf");
    CheckOnly(m, {"Windows Fonts"});
    m.registry.SetPlatformId(1);
    ImgScanNowMouseMove_Click(m.form);
    ASSERT_EQ(m.form.lvwErrors.Count(), 1u);
    EXPECT_EQ(m.form.lvwErrors.SubItem(1, 2), "C:\\windows\\Fonts\\old.ttf");
}

TEST(Driver, CancelWithNothingFoundStopsWithoutAQuestion) {
    FakeMachine m;
    PlantOnePerSection(m);
    m.registry.CreateKey(HKEY_CLASSES_ROOT, "CLSID\\{0}");
    LoadlvwRegistryvaluesScanValues(m.form);
    m.window.SetVisible(Control::PicResults, false);
    m.window.onEvents = [&] {
        if (m.window.Caption(Control::lblStatus) == "Registry Integrity" && !m.form.state.bCancelScanning)
            ImgScanCancelMouseMove_Click(m.form);
    };
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_TRUE(m.window.questions.empty());
    EXPECT_TRUE(m.form.state.bCancelScanning);
    EXPECT_FALSE(m.window.Enabled(Control::cmdCancelOrStop));
    EXPECT_TRUE(m.form.lvwErrors.Empty());
    EXPECT_FALSE(m.window.Visible(Control::PicResults));
}

TEST(Driver, CancelAnsweredNoGoesOn) {
    FakeMachine m;
    PlantOnePerSection(m);
    LoadlvwRegistryvaluesScanValues(m.form);
    m.window.answer = "NO";
    bool asked = false;
    m.window.onEvents = [&] {
        if (!asked && m.form.lvwErrors.Count() == 1) {
            asked = true;
            ImgScanCancelMouseMove_Click(m.form);
            EXPECT_EQ(m.form.lvwRegistryvaluesScan.SelectedItem(), 0u);  // reloaded: no highlight
        }
    };
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_EQ(m.window.questions, std::vector<std::string>{"CANCEL SCANNING"});
    EXPECT_FALSE(m.form.state.bCancelScanning);
    EXPECT_EQ(m.form.lvwErrors.Count(), 9u);
}

TEST(Driver, CancelInTheFirstWalkSkipsTheSecond) {
    for (const char* row : {"Help Files", "Windows Startup"}) {
        FakeMachine m;
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "a.hlp", "C:\\gone");
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "b.hlp", "C:\\gone");
        m.registry.SetString(kHklm, "SOFTWARE\\Microsoft\\Windows\\HTML Help", "c.chm", "C:\\gone");
        m.registry.SetString(kHklm, kCv + "\\Run", "A", "C:\\gone\\a.exe");
        m.registry.SetString(kHklm, kCv + "\\Run", "B", "C:\\gone\\b.exe");
        m.registry.SetString(HKEY_CURRENT_USER,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\X",
                             "C", "C:\\gone\\c.exe");
        CheckOnly(m, {row});
        m.window.answer = "YES";
        bool asked = false;
        m.window.onEvents = [&] {
            if (asked || m.form.lvwErrors.Count() != 1) return;
            asked = true;
            ImgScanCancelMouseMove_Click(m.form);
        };
        m.window.SetVisible(Control::PicResults, false);
        ImgScanNowMouseMove_Click(m.form);
        EXPECT_EQ(m.form.lvwErrors.Count(), 1u) << row;
        EXPECT_EQ(m.window.questions.size(), 1u) << row;
        EXPECT_FALSE(m.window.Visible(Control::PicResults)) << row;
        EXPECT_TRUE(m.form.lvwRegistryProblems.Empty()) << row;
    }
}

TEST(Driver, ShortcutSummaryAfterTheLastRow) {
    FakeMachine m;
    CheckOnly(m, {"Window Shortcut C"});
    m.window.onEvents = [&] {
        if (m.window.Caption(Control::lblStatus) == " Shortcuts C:\\..." && m.form.lvwShortcut.Empty()) {
            const auto row = m.form.lvwShortcut.Add("C:\\Users\\Public\\Desktop\\Gone.lnk");
            m.form.lvwShortcut.SetSubItem(row, 1, "Windows Shortcut");
        }
    };
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_EQ(Summaries(m), std::vector<std::string>{"Invalid Windows Shortcut File (1 Problems)"});
    EXPECT_TRUE(m.window.Visible(Control::PicResults));
}

TEST(Driver, CountsPast32767) {
    FakeMachine m;
    for (int i = 0; i < 40000; ++i)
        m.registry.AppendString(kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "h" + std::to_string(i) + ".hlp",
                                "C:\\gone");
    CheckOnly(m, {"Help Files"});
    m.form.lvwErrors.Clear();
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_EQ(Summaries(m), std::vector<std::string>{"Invalid Help Files ( 40000 Problem(s) )"});
    EXPECT_EQ(m.window.Caption(Control::lblProblemsFound), "40000");
}

TEST(Driver, ScanRequestDuringAScanIsIgnored) {
    FakeMachine m;
    PlantOnePerSection(m);
    LoadlvwRegistryvaluesScanValues(m.form);
    m.window.onEvents = [&] { ImgScanNowMouseMove_Click(m.form); };
    ImgScanNowMouseMove_Click(m.form);
    const auto statuses = m.window.History(Control::lblStatus);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "Inspecting..."), 1);
    EXPECT_EQ(m.form.lvwErrors.Count(), 9u);
    EXPECT_FALSE(m.form.state.bScanning);
}

TEST(Driver, IntegrityAndConfigurationRowsRecordNothing) {
    FakeMachine m;
    PlantOnePerSection(m);
    CheckOnly(m, {"Registry Integrity", "Configuration files"});
    ImgScanNowMouseMove_Click(m.form);
    EXPECT_TRUE(m.form.lvwErrors.Empty());
    EXPECT_TRUE(m.form.lvwRegistryProblems.Empty());
    const auto keys = m.window.History(Control::lblRegistryScan);
    EXPECT_NE(std::find(keys.begin(), keys.end(), "{1}"), keys.end());
    const auto shown = m.window.History(Control::lblRegistryFilesScan);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "C:\\gone\\c.exe"), shown.end());
}

}  // namespace
}  // namespace vostrel

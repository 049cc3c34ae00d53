#include "scan/scan_driver.h"

#include <ctime>

#include "results/result_views.h"
#include "results/scan_report.h"
#include "scan/registry_walker.h"
#include "shortcuts/drive_walk.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr HKEY kClasses = HKEY_CLASSES_ROOT;
constexpr HKEY kUser = HKEY_CURRENT_USER;
constexpr HKEY kMachine = HKEY_LOCAL_MACHINE;
constexpr WalkStep kNoWalk{kMachine, "", Walk::Values};

// Ends the scanning state however the scan ends.
class ScanningFlag {
public:
    explicit ScanningFlag(ScanState& state) : state_(state) { state_.bScanning = true; }
    ~ScanningFlag() { state_.bScanning = false; }
    ScanningFlag(const ScanningFlag&) = delete;
    ScanningFlag& operator=(const ScanningFlag&) = delete;

private:
    ScanState& state_;
};

void RunWalk(MainForm& form, const WalkStep& step, std::string_view sectionKey) {
    std::string_view keyPath = step.keyPath;
    if (!step.keyPathBefore2000.empty() && GetPlatformId(form.registry) != 2)
        keyPath = step.keyPathBefore2000;
    const std::string_view rootName = RootName(step.root);
    const Control label = Control::lblRegistryFilesScan;
    switch (step.walk) {
        case Walk::ClassIdList:
            ListClassIdKeys(form, step.root, keyPath);
            break;
        case Walk::Keys:
            WalkRegistryKeys(form, step.root, keyPath, sectionKey, rootName, label);
            break;
        case Walk::Values:
            ScanKeyValues(form, step.root, keyPath, sectionKey, rootName, label);
            break;
        case Walk::ValuesThenKeys:
            ScanKeyValues(form, step.root, keyPath, sectionKey, rootName, label);
            if (form.state.bCancelScanning) return;
            WalkRegistryKeys(form, step.root, keyPath, sectionKey, rootName, label);
            break;
    }
}

// The action of catalogue row 1 to 11; false when a cancel ended it early.
bool RunSection(MainForm& form, const DriverSection& section) {
    form.window.SetCaption(Control::lblStatus, section.status);
    if (form.state.bCancelScanning) return false;
    for (int k = 0; k < section.walkCount; ++k) {
        if (k > 0 && form.state.bCancelScanning) return false;
        RunWalk(form, section.walks[static_cast<std::size_t>(k)], section.sectionKey);
    }
    if (section.counted) CountSectionProblems(form, section.sectionKey);
    return true;
}

// The action of a drive row; false when a cancel ended it early.
bool RunDriveRow(MainForm& form, const std::string& rowText) {
    const auto drive = DriveOfCatalogueRow(rowText);
    if (!drive) return true;
    form.window.SetCaption(Control::lblStatus, " Shortcuts...");
    if (form.state.bCancelScanning) return false;
    form.window.SetCaption(Control::lblStatus, " Shortcuts " + *drive + "...");
    ScanDriveForShortcuts(form, *drive);
    return true;
}

// One catalogue row; false when the scan is to return at once.
bool ScanCatalogueRow(MainForm& form, std::size_t row, int& width) {
    auto& catalogue = form.lvwRegistryvaluesScan;
    if (!form.lvwErrors.Empty() || !form.lvwShortcut.Empty())
        form.window.SetEnabled(Control::tmrPicVisibleOrNot, true);
    width += form.state.lProgressStep;
    if (width > kProgressFullWidth) width -= form.state.lProgressStep;
    form.window.SetValue(Control::PicProgress, width);
    // The cancel handling reloads the catalogue; a row that went away with a
    // drive counts as unchecked.
    const bool present = row <= catalogue.Count();
    if (present && catalogue.Checked(row)) {
        catalogue.SetSelected(row, true);
        if (form.state.bCancelScanning) return false;
        const bool finished = row <= kDriverSections.size()
                                  ? RunSection(form, kDriverSections[row - 1])
                                  : RunDriveRow(form, catalogue.Text(row));
        if (!finished) return false;
    }
    if (form.state.bCancelScanning) return false;
    const auto total = form.lvwErrors.Count() + form.lvwShortcut.Count();
    form.window.SetCaption(Control::lblProblemsFound, std::to_string(total));
    if (row <= catalogue.Count()) catalogue.SetSelected(row, false);
    form.pump.Tick();
    return true;
}

}  // namespace

const std::array<DriverSection, 11> kDriverSections{{
    {"Registry Integrity", {{{kClasses, "CLSID", Walk::ClassIdList}, kNoWalk}}, 1, "", false},
    {" Custom Controls....", {{{kClasses, "CLSID", Walk::Keys}, kNoWalk}}, 1, kSectionComClasses, true},
    {" Sub Section Controls....",
     {{{kMachine, "SOFTWARE\\Classes\\CLSID", Walk::Keys}, kNoWalk}}, 1, kSectionComSubsections, true},
    {" Software Locations....",
     {{{kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", Walk::Keys}, kNoWalk}},
     1, kSectionAppPaths, true},
    {"Help Files",
     {{{kMachine, "SOFTWARE\\Microsoft\\Windows\\Help", Walk::Values},
       {kMachine, "SOFTWARE\\Microsoft\\Windows\\HTML Help", Walk::Values}}},
     2, kSectionHelpFiles, true},
    {" Shared files....", {{{kMachine, "SOFTWARE\\Microsoft\\Shared Tools", Walk::Keys}, kNoWalk}}, 1,
     kSectionSharedFiles, true},
    {"Windows Startup",
     {{{kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", Walk::ValuesThenKeys},
       {kUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
        Walk::Keys}}},
     2, kSectionStartup, true},
    {" Uninstall files...",
     {{{kMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Walk::Keys}, kNoWalk}}, 1,
     kSectionUninstall, true},
    {" Virtual Devices...",
     {{{kMachine, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers", Walk::Values}, kNoWalk}},
     1, kSectionVxd, true},
    {" Windows fonts...",
     {{{kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", Walk::Values,
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"},
       kNoWalk}},
     1, kSectionFonts, true},
    {" Configuration files...",
     {{{kMachine, "SOFTWARE", Walk::Keys}, {kMachine, "SOFTWARE\\Classes", Walk::Keys}}}, 2,
     kSectionAppPaths, false},
}};

std::int32_t ProgressStep(std::size_t rows) {
    if (rows == 0) return 0;
    const auto n = static_cast<std::int64_t>(rows);
    std::int64_t step = kProgressFullWidth / n;
    const std::int64_t twiceRest = 2 * (kProgressFullWidth % n);
    if (twiceRest > n || (twiceRest == n && step % 2 == 1)) ++step;
    return static_cast<std::int32_t>(step);
}

std::string TimeOfDayText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local) return {};
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", local);
    return text;
}

void ImgScanNowMouseMove_Click(MainForm& form) {
    if (form.state.bScanning) return;
    ScanningFlag scanning(form.state);
    Window& window = form.window;
    window.SetEnabled(Control::ImgScanNowNormal, false);
    window.SetVisible(Control::PicScanning, true);
    window.BringToFront(Control::PicScanning);
    window.SetEnabled(Control::tmrPicVisibleOrNot, false);
    window.SetVisible(Control::PicBug, false);
    StartScan(form);
    window.SetValue(Control::PicProgress, kProgressFullWidth);
    if (!form.state.bCancelScanning && (!form.lvwShortcut.Empty() || !form.lvwErrors.Empty())) {
        window.SetVisible(Control::PicResults, true);
        window.BringToFront(Control::PicResults);
    }
    window.SetEnabled(Control::tmrPicVisibleOrNot, false);
    window.SetVisible(Control::PicBug, false);
    window.SetVisible(Control::PicScanning, false);
    window.SetEnabled(Control::ImgScanNowNormal, true);
}

void StartScan(MainForm& form) {
    Window& window = form.window;
    window.SetVisible(Control::FrameRegistryProblemsDetails, false);
    window.SetVisible(Control::FrameScanning, true);
    window.SetVisible(Control::FrameScanSettingShelidButton, false);
    window.SetVisible(Control::lblDeletingCourrutpfils, false);
    window.SetVisible(Control::ImgDeleteProgress, false);
    window.SetCaption(Control::lblStatus, "Inspecting...");
    window.SetEnabled(Control::cmdCancelOrStop, true);
    window.SetCaption(Control::cmdCancelOrStop, "Cancel");
    form.state.bCancelScanning = false;
    form.state.facts = {};
    form.state.unreadable = {};
    form.files.ForgetCache();
    form.lvwErrors.Clear();
    form.lvwShortcut.Clear();
    form.lvwRegistryErrorsDetail.Clear();
    form.lvwRegistryProblems.Clear();
    form.state.strScanStartTime.clear();
    form.state.strScanEndTime.clear();
    window.SetCaption(Control::lblProblemsFound, "0");
    form.state.strScanStartTime = TimeOfDayText();
    ScanRegistry(form);
    form.state.strScanEndTime = TimeOfDayText();
    MakeScanReport(form);
    window.SetBusyPointer(false);
    window.SetVisible(Control::FrameRegistryProblemsDetails, true);
    window.SetVisible(Control::FrameScanning, false);
    window.SetVisible(Control::FrameScanSettingShelidButton, false);
}

void ScanRegistry(MainForm& form) {
    Window& window = form.window;
    window.SetValue(Control::PicProgress, 0);
    form.state.lProgressStep = 0;
    const std::size_t rows = form.lvwRegistryvaluesScan.Count();
    form.state.lProgressStep = ProgressStep(rows);
    window.SetBusyPointer(true);
    window.SetValue(Control::PicProgress, 0);
    int width = 0;
    for (std::size_t row = 1; row <= rows; ++row)
        if (!ScanCatalogueRow(form, row, width)) return;
    if (const std::size_t shortcuts = form.lvwShortcut.Count())
        form.lvwRegistryProblems.Add("Invalid Windows Shortcut File (" + std::to_string(shortcuts) +
                                     " Problems)");
    window.SetBusyPointer(false);
    form.state.lProgressStep = 0;
    window.SetEnabled(Control::tmrPicVisibleOrNot, false);
}

void CountSectionProblems(MainForm& form, std::string_view sectionKey) {
    std::int64_t count = 0;
    for (const auto& row : form.lvwErrors.rows()) {
        if (row.subItems.size() >= 3 && row.subItems[2] == sectionKey) ++count;
        form.pump.Tick();
    }
    AddSectionSummary(form, count, sectionKey);
}

void ImgScanCancelMouseMove_Click(MainForm& form) {
    Window& window = form.window;
    const auto accept = [&] {
        form.state.bCancelScanning = true;
        window.SetEnabled(Control::tmrPicVisibleOrNot, false);
        window.SetEnabled(Control::cmdCancelOrStop, false);
    };
    if (form.lvwErrors.Empty() && form.lvwShortcut.Empty()) {
        accept();
        return;
    }
    const std::string answer = window.AskMessage("CANCEL SCANNING");
    LoadlvwRegistryvaluesScanValues(form);
    if (UpperAscii(Trim(answer)) == "YES") accept();
}

}  // namespace vostrel

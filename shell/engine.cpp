// Stand-ins until the core's scan engine, result views, repair and backup
// manager are merged; each forwards to the core once it is there.
#include "shell/engine.h"

#include "system/window.h"

namespace vostrel::shell::engine {

namespace {

constexpr const char* kSections[] = {
    "Registry Integrity", "Custom Controls", "Sub Section Controls", "Software Locations",
    "Help Files",         "Shared Files",    "Windows Startup",      "Uninstall Section",
    "Virtual Devices",    "Windows Fonts",   "Configuration files",
};

}  // namespace

MachineResult OpenMachine(const std::string& prefix) { return OpenWinePrefix(prefix); }

std::string DefaultPrefix() { return DefaultWinePrefix(); }

void LoadlvwRegistryvaluesScanValues(MainForm& form) {
    form.lvwRegistryvaluesScan.Clear();
    int icon = 1;
    for (const char* text : kSections) form.lvwRegistryvaluesScan.Add(text, icon++);
    for (std::size_t i = 1; i <= form.lvwRegistryvaluesScan.Count(); ++i)
        form.lvwRegistryvaluesScan.SetChecked(
            i, form.settings.Get(form.lvwRegistryvaluesScan.Text(i), "True") == "True");
}

void chkSelectlistviewItems_Click(MainForm& form) {
    const int value = form.window.Value(Control::chkSelectlistviewItems);
    form.settings.Save("chkSelectlistviewItems", value == 0 ? "0" : "1");
}

void lvwRegistryvaluesScan_ItemCheck(MainForm&, std::size_t) {}
void lvwRegistryvaluesScan_ItemClick(MainForm&, std::size_t) {}

void ImgScanNowMouseMove_Click(MainForm& form) {
    form.window.SetEnabled(Control::ImgScanNowNormal, false);
    form.window.SetVisible(Control::PicScanning, true);
    form.window.ProcessPendingEvents();
    form.window.SetVisible(Control::PicScanning, false);
    form.window.SetEnabled(Control::ImgScanNowNormal, true);
}

void ImgScanCancelMouseMove_Click(MainForm& form) { form.state.bCancelScanning = true; }
void lvwRegistryProblems_ItemClick(MainForm&, std::size_t) {}

void ColumnClick(MainForm&, ListControl& list, int) {
    list.SetSorted(true);
    list.SetSortOrder(list.sortOrder() == 0 ? 1 : 0);
}

std::optional<std::string> ImgRepairMouseMove_Click(MainForm&, const std::function<void()>&) {
    return std::nullopt;
}
void ImgReturnMouseMove_Click(MainForm& form) {
    form.window.SetVisible(Control::PicResults, false);
    form.window.SetVisible(Control::FrameScanSettingShelidButton, true);
}

std::string ScanReportPath(MainForm&) { return {}; }
void FillBackupList(MainForm&, ListControl&) {}
void RestoreCheckedBackups(MainForm&, ListControl&) {}
void DeleteCheckedBackups(MainForm&, ListControl&) {}

}  // namespace vostrel::shell::engine

// The windows' way into the core: each entry point forwards to the scan
// engine, the result views, the repair, the report or the backup manager.
#include "shell/engine.h"

#include "results/result_views.h"
#include "results/scan_report.h"
#include "results/backup_manager.h"
#include "results/repair.h"
#include "results/return_to_start.h"
#include "scan/catalogue.h"
#include "scan/scan_driver.h"

namespace vostrel::shell::engine {

MachineResult OpenMachine(const std::string& prefix) { return OpenWinePrefix(prefix); }

std::string DefaultPrefix() { return DefaultWinePrefix(); }

void LoadlvwRegistryvaluesScanValues(MainForm& form) { vostrel::LoadlvwRegistryvaluesScanValues(form); }

std::string HostDrivesNote(MainForm& form) {
    std::string drives;
    for (const auto& drive : form.files.GetDrives()) {
        if (drive.type != DriveType::Fixed) continue;
        const DriveOwner owner = form.files.OwnerOfDrive(drive.letter);
        if (owner.machineOwn) continue;
        drives += (drives.empty() ? "" : ", ") + std::string(1, drive.letter) + ": " + owner.hostFolder;
    }
    return drives.empty() ? std::string() : "Host drives, scanned only when checked: " + drives;
}

std::string CatalogueRowNote(MainForm& form, std::size_t row) {
    const auto& list = form.lvwRegistryvaluesScan;
    return row >= 1 && row <= list.Count() ? vostrel::CatalogueRowNote(form, list.Text(row)) : std::string();
}

void chkSelectlistviewItems_Click(MainForm& form) { vostrel::chkSelectlistviewItems_Click(form); }

void lvwRegistryvaluesScan_ItemCheck(MainForm& form, std::size_t row) {
    vostrel::lvwRegistryvaluesScan_ItemCheck(form, row);
}

void lvwRegistryvaluesScan_ItemClick(MainForm& form, std::size_t row) {
    vostrel::lvwRegistryvaluesScan_ItemClick(form, row);
}

void ImgScanNowMouseMove_Click(MainForm& form) { vostrel::ImgScanNowMouseMove_Click(form); }

void ImgScanCancelMouseMove_Click(MainForm& form) { vostrel::ImgScanCancelMouseMove_Click(form); }

void lvwRegistryProblems_ItemClick(MainForm& form, std::size_t row) {
    vostrel::lvwRegistryProblems_ItemClick(form, row);
}

void ColumnClick(MainForm& form, ListControl& list, int columnIndex) {
    if (&list == &form.lvwRegistryProblems)
        vostrel::lvwRegistryProblems_ColumnClick(form, columnIndex);
    else if (&list == &form.lvwRegistryErrorsDetail)
        vostrel::lvwRegistryErrorsDetail_ColumnClick(form, columnIndex);
}

std::optional<std::string> ImgRepairMouseMove_Click(MainForm& form,
                                                    const std::function<void()>& afterNotice) {
    RepairOptions options;
    options.afterNotice = afterNotice;
    RepairOutcome outcome = vostrel::ImgRepairMouseMove_Click(form, options);
    return outcome.refusal;
}

void ImgReturnMouseMove_Click(MainForm& form) { vostrel::ImgReturnMouseMove_Click(form); }

void FillBackupList(MainForm& form, ListControl& lvwBackUp) {
    vostrel::FillBackupList(lvwBackUp, form.settings, MachineIdentity(form.files));
}

void RestoreCheckedBackups(MainForm& form, ListControl& lvwBackUp) {
    vostrel::RestoreCheckedBackups(lvwBackUp, form.registry, form.files, form.settings, form.window);
}

void DeleteCheckedBackups(MainForm& form, ListControl& lvwBackUp) {
    vostrel::DeleteCheckedBackups(lvwBackUp, form.settings, form.window);
}

std::string ScanReportPath(MainForm& form) { return vostrel::ScanReportPath(form); }

}  // namespace vostrel::shell::engine

// The windows' way into the core: each entry point forwards to the scan
// engine, the result views, the repair, the report or the backup manager.
#include "shell/engine.h"

#include "app/scan_driver.h"
#include "results/backup_manager.h"
#include "results/repair.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"

namespace vostrel::shell::engine {

MachineResult OpenMachine(const std::string& prefix) { return OpenWinePrefix(prefix); }

std::string DefaultPrefix() { return DefaultWinePrefix(); }

void LoadCatalogue(ScanSession& session) { vostrel::LoadCatalogue(session); }

std::string HostDrivesNote(ScanSession& session) {
    std::string drives;
    for (const auto& drive : session.files.GetDrives()) {
        if (drive.type != DriveType::Fixed) continue;
        const DriveOwner owner = session.files.OwnerOfDrive(drive.letter);
        if (owner.machineOwn) continue;
        drives +=
            (drives.empty() ? "" : ", ") + std::string(1, drive.letter) + ": " + owner.hostFolder;
    }
    return drives.empty() ? std::string() : "Host drives, scanned only when checked: " + drives;
}

std::string CatalogueRowNote(ScanSession& session, std::size_t row) {
    const auto& list = session.catalogue;
    return row >= 1 && row <= list.Count() ? vostrel::CatalogueRowNote(session, list.Text(row))
                                           : std::string();
}

void ApplySelectAll(ScanSession& session) { vostrel::ApplySelectAll(session); }

void CatalogueRowChecked(ScanSession& session, std::size_t row) {
    vostrel::CatalogueRowChecked(session, row);
}

void CatalogueRowClicked(ScanSession& session, std::size_t row) {
    vostrel::CatalogueRowClicked(session, row);
}

void RunScan(ScanSession& session) { vostrel::RunScan(session); }

void CancelScan(ScanSession& session) { vostrel::CancelScan(session); }

std::optional<std::string> RepairAll(ScanSession& session,
                                     const std::function<void()>& afterNotice) {
    RepairOptions options;
    options.afterNotice = afterNotice;
    return vostrel::RepairAll(session, options).refusal;
}

void FillBackupList(ScanSession& session, ListControl& backups) {
    vostrel::FillBackupList(backups, session.settings, MachineIdentity(session.files));
}

void RestoreCheckedBackups(ScanSession& session, ListControl& backups) {
    vostrel::RestoreCheckedBackups(backups, session.registry, session.files, session.settings,
                                   session.observer);
}

void DeleteCheckedBackups(ScanSession& session, ListControl& backups) {
    vostrel::DeleteCheckedBackups(backups, session.settings, session.observer);
}

std::string ScanReportPath(ScanSession& session) { return vostrel::ScanReportPath(session); }

}  // namespace vostrel::shell::engine

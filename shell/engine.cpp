// The windows' way into the core: each entry point forwards to the scan
// engine, the result views, the repair, the report or the backup manager.
#include "shell/engine.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/scan_driver.h"
#include "results/backup_codec.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/repair.h"
#include "results/scan_report.h"
#include "scan/catalogue.h"
#include "system/text.h"

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

std::vector<RestoreOutcome> RestoreCheckedBackups(ScanSession& session, ListControl& backups) {
    std::vector<RestoreOutcome> outcomes;
    for (auto& result : vostrel::RestoreCheckedBackups(backups, session.registry, session.files,
                                                       session.settings, session.observer))
        outcomes.push_back({result.name, result.report.restored, result.report.failures});
    return outcomes;
}

std::size_t BackupItemCount(ScanSession& session, const std::string& name) {
    std::ifstream in(std::filesystem::path(BackupFolder(session.settings)) / name,
                     std::ios::binary);
    if (!in) return 0;
    std::ostringstream contents;
    contents << in.rdbuf();
    std::size_t records = 0;
    for (const auto& line : SplitBackupLines(contents.str()))
        if (!Trim(line).empty()) ++records;
    return records;
}

void DeleteCheckedBackups(ScanSession& session, ListControl& backups) {
    vostrel::DeleteCheckedBackups(backups, session.settings, session.observer);
}

std::string ScanReportPath(ScanSession& session) { return vostrel::ScanReportPath(session); }

}  // namespace vostrel::shell::engine

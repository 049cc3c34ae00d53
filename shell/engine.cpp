// The windows' way into the core: each entry point forwards to the scan
// engine, the result views, the repair, the report or the backup manager.
#include "shell/engine.h"

#include <algorithm>
#include <filesystem>

#include "app/scan_driver.h"
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
    const auto& list = session.request.sections;
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

bool CancelScan(ScanSession& session, std::size_t found) {
    return vostrel::CancelScan(session, found);
}

std::optional<std::string> RepairAll(ScanSession& session) {
    return vostrel::RepairAll(session, RepairOptions{}).refusal;
}

namespace {

// The names of the ticked rows of the backup list.
std::vector<std::string> TickedNames(const ListControl& backups) {
    std::vector<std::string> names;
    for (std::size_t i = 1; i <= backups.Count(); ++i)
        if (backups.Checked(i)) names.push_back(backups.Text(i));
    return names;
}

// Takes the rows of the named backups out of the list.
void RemoveRows(ListControl& backups, const std::vector<std::string>& names) {
    for (std::size_t i = backups.Count(); i >= 1; --i)
        if (std::find(names.begin(), names.end(), backups.Text(i)) != names.end())
            backups.Remove(i);
}

}  // namespace

void FillBackupList(ScanSession& session, ListControl& backups) {
    for (const BackupRow& row : ListBackups(session.settings, MachineIdentity(session.files))) {
        const std::size_t i = backups.Add(row.name);
        backups.SetSubItem(i, 1, row.date);
        backups.SetSubItem(i, 2, row.time);
        backups.SetSubItem(i, 3, SizeText(row));
        if (backups.columnCount() > 4) backups.SetSubItem(i, 4, std::string(PrefixText(row)));
    }
}

std::vector<RestoreOutcome> RestoreCheckedBackups(ScanSession& session, ListControl& backups) {
    std::vector<RestoreOutcome> outcomes;
    std::vector<std::string> consumed;
    for (auto& result :
         RestoreBackups(TickedNames(backups), session.registry, session.files, session.settings)) {
        if (result.deleted) consumed.push_back(result.name);
        outcomes.push_back({result.name, result.report.restored, result.report.failures});
    }
    RemoveRows(backups, consumed);
    return outcomes;
}

std::size_t BackupItemCount(ScanSession& session, const std::string& name) {
    return BackupRecordCount(
        (std::filesystem::path(BackupFolder(session.settings)) / name).string());
}

void DeleteCheckedBackups(ScanSession& session, ListControl& backups) {
    RemoveRows(backups, DeleteBackups(TickedNames(backups), session.settings, session.observer));
}

std::string ScanReportPath(ScanSession& session) { return vostrel::ScanReportPath(session); }

}  // namespace vostrel::shell::engine

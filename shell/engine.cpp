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
#include "shell/deferred_machine.h"
#include "system/prefix_programs.h"
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

bool WineRunsOn(const std::string& prefix) {
    return !prefix.empty() && PrefixProgramsRunning(prefix);
}

std::optional<std::string> CloseWineAndReload(Machine& machine, const std::string& prefix) {
    const ProgramsClosed closed = ClosePrefixPrograms(prefix);
    if (!closed.closed) return closed.why;
    auto* registry = dynamic_cast<DeferredRegistry*>(machine.registry.get());
    auto* files = dynamic_cast<DeferredFiles*>(machine.files.get());
    // A machine read whole at the start cannot take a new reading: its
    // repair then says the registry changed since it was read.
    if (!registry || !files) return std::nullopt;
    MachineResult reopened = OpenMachine(prefix);
    if (!reopened.machine) return reopened.error;
    registry->Install(std::move(reopened.machine->registry));
    files->Install(std::move(reopened.machine->files));
    return std::nullopt;
}

namespace {

// Takes the rows of the named backups out of the list.
void RemoveRows(ListControl& backups, const std::vector<std::string>& names) {
    for (std::size_t i = backups.Count(); i >= 1; --i)
        if (std::find(names.begin(), names.end(), backups.Text(i)) != names.end())
            backups.Remove(i);
}

void SetBackupRow(ListControl& backups, std::size_t i, const BackupRow& row) {
    backups.SetSubItem(i, 1, row.date);
    backups.SetSubItem(i, 2, row.time);
    backups.SetSubItem(i, 3, SizeText(row));
    if (backups.columnCount() > 4) backups.SetSubItem(i, 4, PrefixText(row));
    if (backups.columnCount() > 5) backups.SetSubItem(i, 5, row.restored);
}

}  // namespace

void FillBackupList(ScanSession& session, ListControl& backups) {
    for (const BackupRow& row : ListBackups(session.settings, MachineIdentity(session.files)))
        SetBackupRow(backups, backups.Add(row.name), row);
}

std::vector<std::string> ChosenBackups(const ListControl& backups, std::size_t currentRow) {
    std::vector<std::string> names;
    for (std::size_t i = 1; i <= backups.Count(); ++i)
        if (backups.Checked(i)) names.push_back(backups.Text(i));
    if (names.empty() && currentRow >= 1 && currentRow <= backups.Count())
        names.push_back(backups.Text(currentRow));
    return names;
}

std::vector<RestoreOutcome> RestoreBackups(ScanSession& session, ListControl& backups,
                                           const std::vector<std::string>& names) {
    std::vector<RestoreOutcome> outcomes;
    for (auto& result :
         vostrel::RestoreBackups(names, session.registry, session.files, session.settings))
        outcomes.push_back({result.name, result.report.restored, result.report.failures});
    // The rows show the restores' marks.
    for (const BackupRow& row : ListBackups(session.settings, MachineIdentity(session.files)))
        for (std::size_t i = 1; i <= backups.Count(); ++i)
            if (backups.Text(i) == row.name) SetBackupRow(backups, i, row);
    return outcomes;
}

std::size_t BackupItemCount(ScanSession& session, const std::string& name) {
    return BackupRecordCount(
        (std::filesystem::path(BackupFolder(session.settings)) / name).string());
}

std::vector<std::string> BackupContents(ScanSession& session, const std::string& name) {
    return vostrel::BackupContents(
               (std::filesystem::path(BackupFolder(session.settings)) / name).string())
        .value_or(std::vector<std::string>{});
}

void DeleteBackups(ScanSession& session, ListControl& backups,
                   const std::vector<std::string>& names) {
    RemoveRows(backups, vostrel::DeleteBackups(names, session.settings, session.observer));
}

std::string ScanReportPath(ScanSession& session) { return vostrel::ScanReportPath(session); }

}  // namespace vostrel::shell::engine

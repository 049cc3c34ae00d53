#include "results/repair.h"

#include <ctime>
#include <filesystem>
#include <memory>

#include "results/backup_file.h"
#include "results/return_to_start.h"
#include "shortcuts/shortcut_check.h"
#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

constexpr int kProgressStep = 5;

std::tm Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool ValueStillThere(RegistryApi& registry, HKEY root, std::string_view keyPath, std::string_view name) {
    ScopedKey key(registry);
    if (registry.OpenKeyEx(root, keyPath, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD kind = 0;
    std::vector<std::uint8_t> data;
    return registry.QueryValueRaw(key.get(), name, &kind, &data) == ERROR_SUCCESS;
}

// A registry row whose record is written and whose value is to go.
struct PendingValue {
    HKEY root;
    std::string keyPath, valueName, item;
};

class Repair {
public:
    Repair(MainForm& form, const RepairOptions& options) : form_(form), options_(options) {}
    RepairOutcome Run();

private:
    void Tell(RepairEvent::What what, const std::string& item, const std::string& why = {}) {
        if (options_.onEvent) options_.onEvent({what, item, why});
    }
    void Keep(const std::string& item, const std::string& why) {
        ++outcome_.kept;
        Tell(RepairEvent::What::Kept, item, why);
    }
    void Step() {
        if (options_.afterStep) options_.afterStep();
    }
    void AdvanceProgress();
    bool BackUp(std::string_view kind, const ListRow& row, const std::string& item);
    bool CommitBackups(const std::vector<std::string>& items);
    void RegistryPart();
    void ShortcutPart();
    void RemoveShortcut(const std::string& path);
    void Finish();

    MainForm& form_;
    const RepairOptions& options_;
    bool backups_ = true;
    std::unique_ptr<BackupWriter> writer_;
    // Set when the machine-wide half failed: nothing more is changed.
    std::optional<std::string> halted_;
    RepairOutcome outcome_;
};

void Repair::AdvanceProgress() {
    int width = form_.window.Value(Control::ImgDeleteProgressInside) + kProgressStep;
    if (width >= form_.window.Value(Control::ImgDeleteProgress)) width = 1;
    form_.window.SetValue(Control::ImgDeleteProgressInside, width);
}

// Appends the row's record (not yet flushed). True when the row may go
// once the records are committed, or backups are off.
bool Repair::BackUp(std::string_view kind, const ListRow& row, const std::string& item) {
    if (!backups_) return true;
    std::string error;
    const bool written = writer_->Add(form_, kind, row, &error);
    Step();
    if (!written) Keep(item, "its backup could not be written: " + error);
    return written;
}

// Puts the records of `items` on the disk at once. When that fails nothing
// of them may be removed: each is kept, and the repair stops changing the
// machine.
bool Repair::CommitBackups(const std::vector<std::string>& items) {
    if (!backups_ || items.empty()) return true;
    std::string error;
    if (writer_->Commit(&error)) {
        for (const auto& item : items) Tell(RepairEvent::What::BackedUp, item);
        return true;
    }
    halted_ = "the backup could not be put on the disk: " + error;
    for (const auto& item : items) Keep(item, *halted_);
    return false;
}

void Repair::RegistryPart() {
    if (form_.lvwErrors.Empty() || form_.lvwRegistryProblems.Empty()) return;
    form_.window.SetVisible(Control::lvwRegistryProblems, false);
    form_.window.SetVisible(Control::lvwRegistryErrorsDetail, false);
    form_.window.SetEnabled(Control::ImgRepairNormal, false);
    form_.window.SetEnabled(Control::ImgReturnNormal, false);
    form_.window.SetVisible(Control::lblDeletingCourrutpfils, true);
    form_.window.SetVisible(Control::ImgDeleteProgress, true);
    form_.window.SetValue(Control::ImgDeleteProgressInside, kProgressStep);
    // Every record of the batch first, then one flush, then the removals,
    // saved at once: nothing is removed before its backup is on the disk.
    std::vector<PendingValue> pending;
    std::vector<std::string> items;
    // The rows leave the list together at the end (one by one from its
    // front would move the rest of the list every time).
    for (std::size_t i = 1; i <= form_.lvwErrors.Count(); ++i) {
        AdvanceProgress();
        const ListRow row = form_.lvwErrors.Item(i);
        auto sub = [&row](std::size_t k) { return k <= row.subItems.size() ? row.subItems[k - 1] : std::string(); };
        PendingValue value{static_cast<HKEY>(ToInt32(RegValue(row.text))), sub(4), sub(1),
                           sub(5) + "\\" + sub(4) + " value " + sub(1)};
        if (!value.valueName.empty() && !halted_ && BackUp("R", row, value.item)) {
            items.push_back(value.item);
            pending.push_back(std::move(value));
        }
        form_.pump.Tick();
    }
    form_.lvwErrors.Clear();
    if (pending.empty() || !CommitBackups(items)) return;
    form_.registry.BeginBatch();
    std::vector<const PendingValue*> removed;
    for (const auto& value : pending) {
        if (value.valueName == kDefaultValueName) {
            SetRegistryValue(form_.registry, value.root, value.keyPath, "", std::string());
            DeleteRegistryValue(form_.registry, value.root, value.keyPath, kDefaultValueName);
        } else {
            DeleteRegistryValue(form_.registry, value.root, value.keyPath, value.valueName);
        }
        // For a default row the value literally named "(Default)" must be gone.
        if (ValueStillThere(form_.registry, value.root, value.keyPath, value.valueName))
            Keep(value.item, "it could not be removed: " +
                                 form_.registry.WriteRefusal().value_or("the registry refused"));
        else
            removed.push_back(&value);
    }
    std::string saveError;
    const bool saved = form_.registry.EndBatch(&saveError);
    Step();
    if (!saved) {
        outcome_.saveError = saveError;
        halted_ = "the registry could not be saved: " + saveError;
        for (const PendingValue* value : removed) Keep(value->item, *halted_);
        return;
    }
    for (const PendingValue* value : removed) {
        ++outcome_.removed;
        Tell(RepairEvent::What::Removed, value->item);
    }
}

// The one place a shortcut file is removed.
// The file is looked at again and held right before its removal: only the
// file the scan judged is removed, through the folder it was found in, so a
// folder swapped for a link meanwhile cannot send the removal elsewhere.
void Repair::RemoveShortcut(const std::string& path) {
    ShortcutRecheck check = RecheckBrokenShortcut(form_.files, path);
    if (check.verdict == ShortcutRecheck::Verdict::Gone) {
        Tell(RepairEvent::What::Gone, path);
        return;
    }
    std::string why = check.why;
    if (check.verdict == ShortcutRecheck::Verdict::Remove && check.held->Remove(&why)) {
        ++outcome_.removed;
        Tell(RepairEvent::What::Removed, path);
        return;
    }
    Keep(path, why.empty() ? "it could not be deleted" : why);
}

void Repair::ShortcutPart() {
    std::vector<std::string> pending;
    for (std::size_t i = 1; i <= form_.lvwShortcut.Count(); ++i) {
        AdvanceProgress();
        const ListRow& row = form_.lvwShortcut.Item(i);
        if (halted_) {
            Keep(row.text, "nothing on " + outcome_.machine + " was changed by this repair: " + *halted_);
            continue;
        }
        // Only a file that is still the broken shortcut the scan judged is
        // backed up; it is checked again when it is removed.
        const ShortcutRecheck check = RecheckBrokenShortcut(form_.files, row.text);
        if (check.verdict == ShortcutRecheck::Verdict::Gone) {
            Tell(RepairEvent::What::Gone, row.text);  // removed since the scan: nothing to save
            continue;
        }
        if (check.verdict == ShortcutRecheck::Verdict::Kept) {
            Keep(row.text, check.why);
            continue;
        }
        if (BackUp("S", row, row.text)) pending.push_back(row.text);
        form_.pump.Tick();
    }
    if (!pending.empty() && CommitBackups(pending)) {
        for (const auto& path : pending) {
            RemoveShortcut(path);
            Step();
            form_.pump.Tick();
        }
    }
    form_.files.ForgetCache();
}

void Repair::Finish() {
    form_.lvwShortcut.Clear();
    form_.lvwRegistryErrorsDetail.Clear();
    form_.lvwRegistryProblems.Clear();
    form_.state.bCancelScanning = false;
    form_.window.SetVisible(Control::lvwRegistryProblems, true);
    form_.window.SetVisible(Control::lvwRegistryErrorsDetail, true);
    form_.window.SetVisible(Control::lblDeletingCourrutpfils, false);
    form_.window.SetVisible(Control::ImgDeleteProgress, false);
    form_.window.SetEnabled(Control::ImgRepairNormal, true);
    form_.window.SetEnabled(Control::ImgReturnNormal, true);
    const bool clean = outcome_.kept == 0 && !outcome_.saveError && !outcome_.halted;
    form_.window.AskMessage(clean ? kFilesRepairedKind : kFilesKeptKind);
    if (options_.afterNotice) options_.afterNotice();
    ImgReturnMouseMove_Click(form_);
}

RepairOutcome Repair::Run() {
    if (auto refusal = form_.registry.WriteRefusal()) {
        outcome_.refusal = std::move(refusal);
        return outcome_;
    }
    outcome_.machine = MachineIdentity(form_.files);
    backups_ = BackupsEnabled(form_.settings);
    const std::tm start = options_.startTime.value_or(Now());
    if (backups_) {
        std::string error;
        writer_ = BackupWriter::Create(BackupFolder(form_.settings), start, outcome_.machine, &error);
        if (writer_)
            outcome_.backupFilePath = writer_->path();
        else
            halted_ = "no backup could be started: " + error;
    }
    if (halted_) {
        // Without a backup nothing is touched: every row is kept.
        for (const auto& row : form_.lvwErrors.rows()) {
            const std::string item = (row.subItems.size() >= 5 ? row.subItems[4] : "") + "\\" +
                                     (row.subItems.size() >= 4 ? row.subItems[3] : "") + " value " +
                                     (row.subItems.empty() ? "" : row.subItems[0]);
            Keep(item, *halted_);
        }
        form_.lvwErrors.Clear();
    }
    RegistryPart();
    ShortcutPart();
    outcome_.halted = halted_;
    Finish();
    return outcome_;
}

}  // namespace

RepairOutcome RepairProblems(MainForm& form, const RepairOptions& options) {
    return Repair(form, options).Run();
}

std::string RepairBackupPromise(bool backupsOn) {
    if (backupsOn) return "Every one is backed up first.";
    return "No backup will be made: \"Make Backup Before Repairing\" is off (setting \"" +
           std::string(kMakeBackupKey) + "\" is 0).";
}

std::string RepairNoticeText(const RepairOutcome& outcome) {
    if (outcome.refusal) return "Nothing was repaired: " + *outcome.refusal;
    if (outcome.saveError)
        return " The registry changes could not be saved: " + *outcome.saveError + " Nothing on " + outcome.machine +
               " was changed.";
    if (outcome.halted)
        return " Nothing on " + outcome.machine + " was changed; " + std::to_string(outcome.kept) +
               (outcome.kept == 1 ? " was" : " were") + " kept: " + *outcome.halted;
    if (outcome.kept == 0) return " All Problems were repaired sucessfully !";
    return " " + std::to_string(outcome.removed) + " problems were repaired; " + std::to_string(outcome.kept) +
           (outcome.kept == 1 ? " was" : " were") + " kept: their backup could not be written, or they changed since the scan.";
}

RepairOutcome ImgRepairMouseMove_Click(MainForm& form, const RepairOptions& options) {
    RepairOutcome outcome = RepairProblems(form, options);
    if (outcome.refusal) return outcome;
    form.window.SetVisible(Control::PicResults, false);
    form.window.SetVisible(Control::PicScanning, false);
    return outcome;
}

}  // namespace vostrel

#include "results/repair.h"

#include <ctime>
#include <filesystem>

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

class Repair {
public:
    Repair(MainForm& form, const RepairOptions& options) : form_(form), options_(options) {}
    RepairOutcome Run();

private:
    void Tell(RepairEvent::What what, const std::string& item, const std::string& why = {}) {
        if (options_.onEvent) options_.onEvent({what, item, why});
    }
    void Step() {
        if (options_.afterStep) options_.afterStep();
    }
    void AdvanceProgress();
    bool BackUp(std::string_view kind, const ListRow& row, const std::string& item);
    void RepairRegistryRow(const ListRow& row);
    void RepairShortcutRow(const ListRow& row);
    void RegistryPart();
    void ShortcutPart();
    void Finish();

    MainForm& form_;
    const RepairOptions& options_;
    bool backups_ = true;
    RepairOutcome outcome_;
};

void Repair::AdvanceProgress() {
    int width = form_.window.Value(Control::ImgDeleteProgressInside) + kProgressStep;
    if (width >= form_.window.Value(Control::ImgDeleteProgress)) width = 1;
    form_.window.SetValue(Control::ImgDeleteProgressInside, width);
}

// True when the row may be removed: its record is on the disk, or backups
// are off.
bool Repair::BackUp(std::string_view kind, const ListRow& row, const std::string& item) {
    if (!backups_) return true;
    std::string error;
    const bool written = WriteBackupRecord(form_, kind, outcome_.backupFilePath, row, &error);
    Step();
    if (written) {
        Tell(RepairEvent::What::BackedUp, item);
        return true;
    }
    ++outcome_.kept;
    Tell(RepairEvent::What::Kept, item, "its backup could not be written: " + error);
    return false;
}

void Repair::RepairRegistryRow(const ListRow& row) {
    auto sub = [&row](std::size_t k) { return k <= row.subItems.size() ? row.subItems[k - 1] : std::string(); };
    const HKEY root = static_cast<HKEY>(ToInt32(RegValue(row.text)));
    const std::string keyPath = sub(4), valueName = sub(1);
    if (valueName.empty()) return;
    const std::string item = sub(5) + "\\" + keyPath + " value " + valueName;
    if (!BackUp("R", row, item)) return;
    if (valueName == kDefaultValueName) {
        SetRegistryValue(form_.registry, root, keyPath, "", std::string());
        DeleteRegistryValue(form_.registry, root, keyPath, kDefaultValueName);
    } else {
        DeleteRegistryValue(form_.registry, root, keyPath, valueName);
    }
    Step();
    // For a default row the value literally named "(Default)" must be gone.
    if (ValueStillThere(form_.registry, root, keyPath, valueName)) {
        Tell(RepairEvent::What::Kept, item, "it could not be removed: " +
                                                form_.registry.WriteRefusal().value_or("the registry refused"));
        return;
    }
    ++outcome_.removed;
    Tell(RepairEvent::What::Removed, item);
}

void Repair::RepairShortcutRow(const ListRow& row) {
    // The file is looked at again and held: only the file the scan judged is removed.
    ShortcutRecheck check = RecheckBrokenShortcut(form_.files, row.text);
    if (check.verdict == ShortcutRecheck::Verdict::Gone) {
        Tell(RepairEvent::What::Gone, row.text);  // removed since the scan: nothing to save
        return;
    }
    if (check.verdict == ShortcutRecheck::Verdict::Kept) {
        ++outcome_.kept;
        Tell(RepairEvent::What::Kept, row.text, check.why);
        return;
    }
    if (!BackUp("S", row, row.text)) return;
    std::string why;
    if (check.held->Remove(&why)) {
        ++outcome_.removed;
        Tell(RepairEvent::What::Removed, row.text);
    } else {
        ++outcome_.kept;
        Tell(RepairEvent::What::Kept, row.text, why);
    }
    Step();
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
    while (!form_.lvwErrors.Empty()) {
        AdvanceProgress();
        const ListRow row = form_.lvwErrors.Item(1);
        RepairRegistryRow(row);
        form_.lvwErrors.Remove(1);
        form_.pump.Tick();
    }
}

void Repair::ShortcutPart() {
    for (std::size_t i = 1; i <= form_.lvwShortcut.Count(); ++i) {
        AdvanceProgress();
        RepairShortcutRow(form_.lvwShortcut.Item(i));
        form_.pump.Tick();
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
    const bool clean = outcome_.kept == 0 && !outcome_.saveError;
    form_.window.AskMessage(clean ? kFilesRepairedKind : kFilesKeptKind);
    if (options_.afterNotice) options_.afterNotice();
    ImgReturnMouseMove_Click(form_);
}

RepairOutcome Repair::Run() {
    if (auto refusal = form_.registry.WriteRefusal()) {
        outcome_.refusal = std::move(refusal);
        return outcome_;
    }
    backups_ = BackupsEnabled(form_.settings);
    const std::tm start = options_.startTime.value_or(Now());
    if (backups_) {
        const std::string folder = BackupFolder(form_.settings);
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        outcome_.backupFilePath = (std::filesystem::path(folder) / BackupFileName(start)).string();
    }
    form_.registry.BeginBatch();
    RegistryPart();
    std::string saveError;
    if (!form_.registry.EndBatch(&saveError)) outcome_.saveError = saveError;
    ShortcutPart();
    Finish();
    return outcome_;
}

}  // namespace

RepairOutcome RepairProblems(MainForm& form, const RepairOptions& options) {
    return Repair(form, options).Run();
}

std::string RepairNoticeText(const RepairOutcome& outcome) {
    if (outcome.refusal) return "Nothing was repaired: " + *outcome.refusal;
    if (outcome.saveError) return " The registry changes could not be saved: " + *outcome.saveError;
    if (outcome.kept == 0) return " All Problems were repaired sucessfully !";
    return " " + std::to_string(outcome.removed) + " problems were repaired; " + std::to_string(outcome.kept) +
           (outcome.kept == 1 ? " was" : " were") + " kept because the backup could not be written.";
}

RepairOutcome ImgRepairMouseMove_Click(MainForm& form, const RepairOptions& options) {
    RepairOutcome outcome = RepairProblems(form, options);
    if (outcome.refusal) return outcome;
    form.window.SetVisible(Control::PicResults, false);
    form.window.SetVisible(Control::PicScanning, false);
    return outcome;
}

}  // namespace vostrel

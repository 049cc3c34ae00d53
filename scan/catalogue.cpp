#include "scan/catalogue.h"

#include <cstdlib>

#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

void StoreRowStates(MainForm& form) {
    auto& list = form.lvwRegistryvaluesScan;
    for (std::size_t i = 1; i <= list.Count(); ++i)
        form.settings.Save(list.Text(i), list.Checked(i) ? "True" : "False");
}

}  // namespace

bool SettingIsTrue(std::string_view text) {
    const std::string word = UpperAscii(Trim(text));
    if (word == "TRUE") return true;
    if (word == "FALSE" || word.empty()) return false;
    char* end = nullptr;
    const double number = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size()) return false;
    return number != 0;
}

void LoadlvwRegistryvaluesScanValues(MainForm& form) {
    auto& list = form.lvwRegistryvaluesScan;
    list.Clear();
    for (const auto& row : kCatalogueRows) list.Add(row.text, row.smallIcon);
    for (const auto& drive : form.files.GetDrives()) {
        if (drive.type == DriveType::Fixed)
            list.Add(std::string(kDriveRowText) + drive.letter, kDriveRowIcon);
        form.pump.Tick();
    }
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        // A host drive (z: mapped to "/") is walked only when chosen on purpose.
        const bool host = HostFolderOfCatalogueRow(form, list.Text(i)).has_value();
        list.SetChecked(i, SettingIsTrue(form.settings.Get(list.Text(i), host ? "False" : "True")));
        form.pump.Tick();
    }
}

std::optional<std::string> HostFolderOfCatalogueRow(MainForm& form, std::string_view text) {
    const auto drive = DriveOfCatalogueRow(text);
    if (!drive || drive->size() != 3) return std::nullopt;
    const DriveOwner owner = form.files.OwnerOfDrive((*drive)[0]);
    if (owner.machineOwn) return std::nullopt;
    return owner.hostFolder;
}

std::string CatalogueRowNote(MainForm& form, std::string_view text) {
    const auto folder = HostFolderOfCatalogueRow(form, text);
    if (!folder) return {};
    return "Host drive: " + *folder + " (not part of the machine; scanned only when checked)";
}

void chkSelectlistviewItems_Click(MainForm& form) {
    const int value = form.window.Value(Control::chkSelectlistviewItems);
    form.settings.Save("chkSelectlistviewItems", value == 0 ? "0" : "1");
    if (form.state.bSyncingSelectAll) return;
    auto& list = form.lvwRegistryvaluesScan;
    const bool check = value == 1;
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        list.SetChecked(i, check);
        form.settings.Save(list.Text(i), check ? "True" : "False");
        form.pump.Tick();
    }
}

void SetSelectAllBox(MainForm& form, int value) {
    if (form.window.Value(Control::chkSelectlistviewItems) == value) return;
    form.window.SetValue(Control::chkSelectlistviewItems, value);
    chkSelectlistviewItems_Click(form);
}

void lvwRegistryvaluesScan_ItemCheck(MainForm& form, std::size_t) {
    SyncSelectAllCheckBox(form, form.lvwRegistryvaluesScan);
    form.window.SetEnabled(Control::MainWindow, false);
    StoreRowStates(form);
    form.window.SetEnabled(Control::MainWindow, true);
}

void lvwRegistryvaluesScan_ItemClick(MainForm& form, std::size_t row) {
    auto& list = form.lvwRegistryvaluesScan;
    if (row >= 1 && row <= list.Count()) list.SetChecked(row, !list.Checked(row));
    lvwRegistryvaluesScan_ItemCheck(form, row);
}

void SyncSelectAllCheckBox(MainForm& form, const ListControl& list) {
    form.state.bSyncingSelectAll = true;
    int value = 0;
    if (!list.Empty()) {
        bool anyChecked = false, anyUnchecked = false;
        for (std::size_t i = 1; i <= list.Count() && !(anyChecked && anyUnchecked); ++i) {
            (list.Checked(i) ? anyChecked : anyUnchecked) = true;
            form.pump.Tick();
        }
        value = anyChecked && anyUnchecked ? 2 : (anyChecked ? 1 : 0);
    }
    SetSelectAllBox(form, value);
    form.state.bSyncingSelectAll = false;
}

std::optional<std::string> DriveOfCatalogueRow(std::string_view text) {
    const std::string upper = UpperAscii(Trim(text));
    const std::size_t at = upper.find("WINDOW SHORTCUT");
    if (at == std::string::npos) return std::nullopt;
    std::string drive = upper;
    drive.erase(at, std::string_view("WINDOW SHORTCUT").size());
    return TrimCopy(drive) + ":\\";
}

}  // namespace vostrel

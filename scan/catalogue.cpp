#include "scan/catalogue.h"

#include <cstdlib>

#include "system/registry.h"
#include "system/settings_keys.h"
#include "system/text.h"

namespace vostrel {

namespace {

void StoreRowStates(ScanSession& session) {
    auto& list = session.request.sections;
    for (std::size_t i = 1; i <= list.Count(); ++i)
        session.settings.Save(list.Text(i), list.Checked(i) ? "True" : "False");
}

bool IsHostRow(ScanSession& session, std::size_t row) {
    return HostFolderOfCatalogueRow(session, session.request.sections.Text(row)).has_value();
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

void LoadCatalogue(ScanSession& session) {
    auto& list = session.request.sections;
    list.Clear();
    for (const auto& section : kSectionRows) {
        // Wine's menu entries have a row only where there are some to look at.
        if (section.run == SectionRun::MenuEntries && !session.menuEntries) continue;
        list.Add(section.text, section.icon);
    }
    for (const auto& drive : session.files.GetDrives()) {
        if (drive.type == DriveType::Fixed)
            list.Add(std::string(kDriveSectionRow.text) + drive.letter, kDriveSectionRow.icon);
    }
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        // A host drive (z: mapped to "/") is walked only when chosen on purpose.
        const bool host = HostFolderOfCatalogueRow(session, list.Text(i)).has_value();
        list.SetChecked(i,
                        SettingIsTrue(session.settings.Get(list.Text(i), host ? "False" : "True")));
    }
}

std::optional<std::string> HostFolderOfCatalogueRow(ScanSession& session, std::string_view text) {
    const auto drive = DriveOfCatalogueRow(text);
    if (!drive || drive->size() != 3) return std::nullopt;
    const DriveOwner owner = session.files.OwnerOfDrive((*drive)[0]);
    if (owner.machineOwn) return std::nullopt;
    return owner.hostFolder;
}

std::string CatalogueRowNote(ScanSession& session, std::string_view text) {
    const auto folder = HostFolderOfCatalogueRow(session, text);
    if (!folder) return {};
    return "Host drive: " + *folder + " (not part of the machine; scanned only when checked)";
}

void ApplySelectAll(ScanSession& session) {
    const SelectAll value = session.selectAll;
    session.settings.Save(kSelectAllKey, value == SelectAll::None ? "0" : "1");
    if (session.syncingSelectAll) return;
    auto& list = session.request.sections;
    const bool check = value == SelectAll::All;
    for (std::size_t i = 1; i <= list.Count(); ++i) {
        // A host drive (z: mapped to "/") is walked only when its own row is
        // ticked: one click on the box must not walk the whole host.
        if (IsHostRow(session, i)) continue;
        list.SetChecked(i, check);
        session.settings.Save(list.Text(i), check ? "True" : "False");
    }
}

void SetSelectAll(ScanSession& session, SelectAll value) {
    if (session.selectAll == value) return;
    session.selectAll = value;
    ApplySelectAll(session);
}

void CatalogueRowChecked(ScanSession& session, std::size_t) {
    SyncSelectAll(session);
    StoreRowStates(session);
}

void CatalogueRowClicked(ScanSession& session, std::size_t row) {
    auto& list = session.request.sections;
    if (row >= 1 && row <= list.Count()) list.SetChecked(row, !list.Checked(row));
    CatalogueRowChecked(session, row);
}

void SyncSelectAll(ScanSession& session) {
    const auto& list = session.request.sections;
    session.syncingSelectAll = true;
    SelectAll value = SelectAll::None;
    if (!list.Empty()) {
        bool anyChecked = false, anyUnchecked = false;
        // The box stands for the rows it ticks: the host drives' rows,
        // which it leaves alone, do not count.
        for (std::size_t i = 1; i <= list.Count() && !(anyChecked && anyUnchecked); ++i) {
            if (IsHostRow(session, i)) continue;
            (list.Checked(i) ? anyChecked : anyUnchecked) = true;
        }
        value = anyChecked && anyUnchecked ? SelectAll::Mixed
                                           : (anyChecked ? SelectAll::All : SelectAll::None);
    }
    SetSelectAll(session, value);
    session.syncingSelectAll = false;
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

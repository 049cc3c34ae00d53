#include "app/opened_machine.h"

#include <filesystem>
#include <system_error>

#include "system/settings_keys.h"

namespace vostrel {

OpenedMachine OpenMachineForScan(const std::string& prefix, const std::string& namedWine,
                                 SettingsStore& settings) {
    OpenedMachine opened;
    MachineResult result = prefix.empty() ? OpenLocalMachine() : OpenWinePrefix(prefix);
    if (!result.machine) {
        opened.error = std::move(result.error);
        return opened;
    }
    opened.machine = std::move(result.machine);
    if (!prefix.empty()) {
        std::error_code error;
        const auto absolute = std::filesystem::absolute(prefix, error);
        opened.prefix = error ? prefix : absolute.lexically_normal().string();
        while (opened.prefix.size() > 1 && opened.prefix.back() == '/') opened.prefix.pop_back();
    }
    if (!CompleteMachine(opened, namedWine, settings)) opened.machine.reset();
    return opened;
}

bool CompleteMachine(OpenedMachine& opened, const std::string& namedWine, SettingsStore& settings) {
    WineChoice choice = ChooseWine(namedWine, settings.Get(kWineFolderKey, ""));
    if (!choice.namedFound) {
        opened.error = namedWine + ": no Wine installation there";
        opened.namedWineMissing = true;
        return false;
    }
    opened.note = std::move(choice.note);
    opened.wine = std::move(choice.wine);
    opened.menuEntries = OpenMenuEntrySource(*opened.machine->files);
    return true;
}

ScanSession SessionFor(OpenedMachine& opened, SettingsStore& settings, ScanObserver& observer) {
    return ScanSession(*opened.machine->registry, *opened.machine->files, settings, observer,
                       opened.wine.get(), opened.menuEntries.get());
}

}  // namespace vostrel

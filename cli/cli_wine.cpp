#include "cli/cli_wine.h"

#include <iostream>

namespace vostrel::cli {

bool OpenCommandWine(const std::string& named, SettingsStore& settings,
                     std::unique_ptr<WineProvides>& wine) {
    WineChoice choice = ChooseWine(named, settings.Get(kWineFolderKey, ""));
    if (!choice.namedFound) {
        std::cerr << "vostrel-cli: --wine " << named << ": no Wine installation there\n";
        return false;
    }
    if (!choice.note.empty()) std::cerr << "vostrel-cli: " << choice.note << "\n";
    wine = std::move(choice.wine);
    return true;
}

}  // namespace vostrel::cli

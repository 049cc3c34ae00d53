#include "shell/app.h"

#include <cstdlib>
#include <filesystem>

#include "app/menu_entry_source.h"
#include "shell/engine.h"
#include "shell/main_window.h"
#include "shell/popup_menu.h"
#include "shell/translations.h"

namespace vostrel::shell {

AppContext::AppContext(std::unique_ptr<SettingsStore> settingsStore,
                       std::unique_ptr<Machine> theMachine, Platform desktop)
    : settings(std::move(settingsStore)),
      machine(std::move(theMachine)),
      platform(std::move(desktop)),
      window(platform.sound),
      view(window),
      session(*machine->registry, *machine->files, *settings, view) {
    view.Attach(session);
    InstallTranslator();
    // What the Wine running the prefix supplies itself is not reported missing.
    wine = ChooseWine("", settings->Get(kWineFolderKey, "")).wine;
    session.wine = wine.get();
    menuEntries = OpenMenuEntrySource(*machine->files);
    session.menuEntries = menuEntries.get();
}

AppContext::~AppContext() {
    delete menu.data();
    delete main;
}

std::string ChoosePrefix(const std::string& commandLinePrefix) {
    if (!commandLinePrefix.empty()) return commandLinePrefix;
    if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
    // The prefix chosen last on the start view, while it is still one.
    const std::string remembered = OpenDefaultSettings()->Get(kWinePrefixKey, "");
    std::error_code ec;
    if (!remembered.empty() &&
        std::filesystem::is_regular_file(std::filesystem::path(remembered) / "system.reg", ec))
        return remembered;
    return engine::DefaultPrefix();
}

}  // namespace vostrel::shell

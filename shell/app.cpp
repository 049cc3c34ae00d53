#include "shell/app.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "shell/engine.h"
#include "shell/main_window.h"
#include "shell/popup_menu.h"
#include "shell/translations.h"

namespace vostrel::shell {

namespace {

// The settings as the window's thread and the scan's worker share them:
// one read or write at a time (the store re-reads its file as it goes).
class LockedSettings final : public SettingsStore {
public:
    explicit LockedSettings(std::unique_ptr<SettingsStore> store) : store_(std::move(store)) {}
    std::string Get(std::string_view key, std::string_view fallback) override {
        const std::lock_guard lock(mutex_);
        return store_->Get(key, fallback);
    }
    bool Save(std::string_view key, std::string_view value) override {
        const std::lock_guard lock(mutex_);
        return store_->Save(key, value);
    }

private:
    std::mutex mutex_;
    std::unique_ptr<SettingsStore> store_;
};

// The window's machine, still loading, with the Wine the settings name.
OpenedMachine WindowMachine(std::unique_ptr<Machine> machine, SettingsStore& settings) {
    OpenedMachine opened;
    opened.machine = std::move(machine);
    CompleteMachine(opened, "", settings);
    return opened;
}

}  // namespace

AppContext::AppContext(std::unique_ptr<SettingsStore> settingsStore,
                       std::unique_ptr<Machine> theMachine, Platform desktop)
    : settings(std::make_unique<LockedSettings>(std::move(settingsStore))),
      scanned(WindowMachine(std::move(theMachine), *settings)),
      platform(std::move(desktop)),
      window(platform.sound),
      view(window),
      session(SessionFor(scanned, *settings, view)) {
    view.Attach(session);
    InstallTranslator();
}

AppContext::~AppContext() {
    delete menu.data();
    delete main;
}

std::string ChoosePrefix(const std::string& commandLinePrefix) {
    if (!commandLinePrefix.empty()) return commandLinePrefix;
    if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
    // The prefix chosen last on the start view, while it is still one.
    std::string remembered = OpenDefaultSettings()->Get(kWinePrefixKey, "");
    std::error_code ec;
    if (!remembered.empty() &&
        std::filesystem::is_regular_file(std::filesystem::path(remembered) / "system.reg", ec))
        return remembered;
    return engine::DefaultPrefix();
}

}  // namespace vostrel::shell

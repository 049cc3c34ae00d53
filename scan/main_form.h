// The data of the main window FRMmAIN that every part of the program reads
// and writes: the section catalogue, the problem lists, the result lists and
// the scan state, together with the machine, the settings and the window
// they are shown in. The desktop program mirrors the lists in its views.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "system/file_system_api.h"
#include "system/list_control.h"
#include "system/registry_api.h"
#include "system/settings.h"
#include "system/wine_provides.h"
#include "system/window.h"

namespace vostrel {

// What a scan reads from the machine once instead of once per value: the
// drive collection, the folder variables and whether a path exists (many
// registrations name the same few files). Filled on first use and
// forgotten at the start of every scan.
struct MachineFacts {
    std::optional<std::vector<Drive>> drives;
    std::optional<std::map<std::string, std::string>> folderVariables;  // upper-case name -> text
    std::unordered_map<std::string, bool> existing;  // FileExists answers, by path as tested
    // HKCU\Software\Wine\Fonts\External Fonts: upper-case name -> data.
    std::optional<std::map<std::string, std::string>> externalFonts;
};

// What the shortcut walk could not read: folders whose listing was refused
// and shortcut files that could not be parsed. Neither is a problem to
// repair; the scan names them at its end so that a short result is not
// mistaken for a clean one. Emptied at the start of every scan.
struct UnreadableItems {
    std::vector<std::string> folders;    // Windows paths, with a trailing backslash
    std::vector<std::string> shortcuts;  // Windows paths of the files
    bool Empty() const { return folders.empty() && shortcuts.empty(); }
};

struct ScanState {
    bool bCancelScanning = false;
    std::string strScanStartTime;
    std::string strScanEndTime;
    std::int32_t lProgressStep = 0;
    bool bSyncingSelectAll = false;
    bool bScanning = false;  // a scan is running: a second request is ignored
    MachineFacts facts;
    UnreadableItems unreadable;
};

class MainForm {
public:
    // Pending events are let through at most every `pumpInterval` of work.
    MainForm(RegistryApi& registry, FileSystemApi& files, SettingsStore& settings, Window& window,
             std::chrono::microseconds pumpInterval = std::chrono::milliseconds(10))
        : registry(registry), files(files), settings(settings), window(window),
          pump(window, pumpInterval) {}

    RegistryApi& registry;
    FileSystemApi& files;
    SettingsStore& settings;
    Window& window;
    EventPump pump;
    // What the Wine running the machine supplies itself; null when nothing
    // is known (the native build, or no Wine found): then only files count.
    WineProvides* wine = nullptr;

    ListControl lvwRegistryvaluesScan{"lvwRegistryvaluesScan", {"Sections to be scanned"}};
    ListControl lvwErrors{"lvwErrors",
                          {"MainKey", "KeyName", "KeyValue", "Registry Scanners", "FullKeyPath",
                           "mainkeyname", "DefaultOrNot"}};
    ListControl lvwShortcut{"lvwShortcut", {"", ""}};
    ListControl lvwRegistryProblems{"lvwRegistryProblems", {"Summary"}};
    ListControl lvwRegistryErrorsDetail{"lvwRegistryErrorsDetail", {"Details"}};

    ScanState state;
};

}  // namespace vostrel

// Opening a machine for scanning, the same way in every front end: the
// machine (a Wine prefix, or this computer's own registry), the Wine that
// runs it, whose own files are never reported missing, and the Wine menu
// entries of its user; then a session over all of them.
#pragma once

#include <memory>
#include <string>

#include "app/menu_entry_source.h"
#include "session/scan_session.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel {

struct OpenedMachine {
    std::unique_ptr<Machine> machine;  // null when it could not be opened
    std::string prefix;  // the Wine prefix's folder, absolute; empty for this computer
    std::unique_ptr<WineProvides> wine;
    std::unique_ptr<MenuEntrySource> menuEntries;
    std::string error;              // why nothing was opened, naming the file or the Wine folder
    std::string note;               // what the user should know about the Wine chosen
    bool namedWineMissing = false;  // the error is that the named Wine is not there
};

// Opens the Wine prefix at `prefix`, this computer when it is empty, with
// the Wine at `namedWine` (empty: the folder the settings name, else the
// system's Wine). A named Wine that is not there opens nothing.
OpenedMachine OpenMachineForScan(const std::string& prefix, const std::string& namedWine,
                                 SettingsStore& settings);

// Gives a machine opened elsewhere (the window's, still loading) its Wine
// and menu entries, as OpenMachineForScan does. False, with `error` set,
// when the named Wine is not there.
bool CompleteMachine(OpenedMachine& opened, const std::string& namedWine, SettingsStore& settings);

// A session that scans `opened`, reading `settings` and telling `observer`.
ScanSession SessionFor(OpenedMachine& opened, SettingsStore& settings, ScanObserver& observer);

}  // namespace vostrel

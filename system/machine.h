// "The machine" the program looks at: its registry and its file system,
// through the platform backend chosen at build time.
#pragma once

#include <memory>
#include <string>

#include "system/file_system_api.h"
#include "system/registry_api.h"

namespace vostrel {

struct Machine {
    std::unique_ptr<RegistryApi> registry;
    std::unique_ptr<FileSystemApi> files;
    std::string description;  // shown to the user: "Wine prefix /home/ann/.wine"
};

struct MachineResult {
    std::unique_ptr<Machine> machine;  // null on failure
    std::string error;                 // what went wrong, naming the file (and line)
};

// The computer the program runs on: its live registry and file system
// (Windows backend).
MachineResult OpenLocalMachine();

// The Wine prefix at `prefixPath` (Linux backend).
MachineResult OpenWinePrefix(const std::string& prefixPath);

// The prefix a user means when none is given: $WINEPREFIX, else ~/.wine.
std::string DefaultWinePrefix();

}  // namespace vostrel

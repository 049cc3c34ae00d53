#include "system/win32/windows_headers.h"

#include "system/machine.h"

#include "system/win32/code_page.h"
#include "system/win32/win32_file_system.h"
#include "system/win32/win32_registry.h"

namespace vostrel {

namespace {

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    ::DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &size)) return {};
    return win32::Narrow({name, size});
}

}  // namespace

MachineResult OpenLocalMachine() {
    auto machine = std::make_unique<Machine>();
    machine->registry = std::make_unique<Win32Registry>();
    machine->files = std::make_unique<Win32FileSystem>();
    const std::string name = ComputerName();
    machine->description = name.empty() ? "this computer" : "this computer (" + name + ")";
    return {std::move(machine), {}};
}

// A Wine prefix is read from the outside, on Linux; on Windows the program
// looks at the machine it runs on.
MachineResult OpenWinePrefix(const std::string& prefixPath) {
    return {nullptr, "cannot open the Wine prefix " + prefixPath +
                         ": Wine prefixes are read by the Linux build; on Windows the program "
                         "looks at this computer"};
}

std::string DefaultWinePrefix() { return {}; }

}  // namespace vostrel

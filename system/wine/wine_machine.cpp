// A Wine prefix as "the machine": its registry files and its drives.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "system/machine.h"
#include "system/registry.h"
#include "system/settings.h"
#include "system/wine/wine_drives.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_registry.h"

namespace vostrel {

namespace {

// The drive types Wine keeps in HKLM\Software\Wine\Drives ("d:"="cdrom").
std::map<char, DriveType> ReadDriveTypes(RegistryApi& registry) {
    std::map<char, DriveType> types;
    ScopedKey key(registry);
    if (registry.OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", KEY_READ, key.out()) !=
        ERROR_SUCCESS)
        return types;
    std::vector<char> name(256);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        if (registry.EnumValue(key.get(), index, name.data(), &nameSize, nullptr, nullptr,
                               nullptr) != ERROR_SUCCESS)
            break;
        const std::string valueName(name.data(), nameSize);
        if (valueName.size() != 2 || valueName[1] != ':') continue;
        RegValue value = std::string();
        if (ReadValueFromKey(registry, key.get(), valueName, value) != ERROR_SUCCESS) continue;
        const char letter =
            static_cast<char>(std::toupper(static_cast<unsigned char>(valueName[0])));
        if (letter < 'A' || letter > 'Z') continue;
        types[letter] = WineDriveTypeFromText(RegValueText(value));
    }
    return types;
}

}  // namespace

MachineResult OpenWinePrefix(const std::string& prefixPath) {
    MachineResult result;
    std::string error;
    std::unique_ptr<WineRegistry> registry = OpenWineRegistry(prefixPath, &error);
    if (!registry) {
        result.error = error.empty() ? "cannot read the Wine prefix " + prefixPath : error;
        return result;
    }
    auto machine = std::make_unique<Machine>();
    machine->files = std::make_unique<WineFileSystem>(prefixPath, ReadDriveTypes(*registry));
    machine->registry = std::move(registry);
    machine->description = "Wine prefix " + prefixPath;
    result.machine = std::move(machine);
    return result;
}

std::string DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
    return UserHomeFolder().value_or("") + "/.wine";
}

}  // namespace vostrel

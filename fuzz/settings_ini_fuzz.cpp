// libFuzzer target for the settings file: whatever the file holds, reading
// a setting never fails, and saving one keeps every other setting and every
// line outside the program's section as they were, while the saved value
// reads back (on one line).
//
// Input: the file's text; after a NUL byte, the value to save.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "system/settings.h"

namespace {

std::string g_folder;

std::string OneLine(std::string value) {
    for (char& c : value)
        if (c == '\n' || c == '\r') c = ' ';
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* shm = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = std::string(shm) + "/vostrel-settings-fuzz.XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    g_folder = folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const std::string value =
        nul == std::string_view::npos ? std::string() : std::string(input.substr(nul + 1));

    const std::string path = g_folder + "/Vostrel 2006.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out) std::abort();
    }
    std::string before;
    {
        vostrel::IniSettingsStore store(path);
        before = store.Get("Registry Integrity", "<none>");
        store.Get("Language", "");
        if (!store.lastError().empty()) std::abort();
        if (!store.Save("Fuzz Key", value)) std::abort();
    }
    vostrel::IniSettingsStore reread(path);
    if (reread.Get("Fuzz Key", "<none>") != OneLine(value)) std::abort();
    if (reread.Get("Registry Integrity", "<none>") != before) std::abort();
    return 0;
}

// libFuzzer target for the desktop entry reader, the Exec line's quoting and
// the reading of what a Wine entry starts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "menus/desktop_entry.h"
#include "menus/wine_launch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parse = vostrel::menus::ParseDesktopEntry(text);
    if (parse.file) {
        const auto& file = *parse.file;
        (void)file.LocaleString(vostrel::menus::kDesktopEntryGroup, "Name", "de_AT.UTF-8@euro");
        if (const auto exec = file.String(vostrel::menus::kDesktopEntryGroup, "Exec"))
            if (const auto words = vostrel::menus::SplitExec(*exec))
                (void)vostrel::menus::ReadWineLaunch(*words);
    }
    // The whole input as an Exec line too.
    if (const auto words = vostrel::menus::SplitExec(text))
        (void)vostrel::menus::ReadWineLaunch(*words);
    return 0;
}

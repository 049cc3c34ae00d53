// libFuzzer target for the YAML files of the game managers: a Lutris game
// file and a Bottles bottle.yml. Whatever they hold, the readers answer (a
// prefix, a name, or a reason) and nothing escapes them: no exception, no
// overflow of the stack on deep nesting.
//
// Input: one byte choosing the reader ("B" for Bottles, else Lutris), then
// the file's text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "prefixes/tool_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string error;
    if (data[0] == 'B') {
        vostrel::prefixes::ParseBottleName(text, &error);
    } else if (const auto game = vostrel::prefixes::ParseLutrisGame(text, &error)) {
        if (game->prefix.empty()) std::abort();
    }
    return 0;
}

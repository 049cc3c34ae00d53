// libFuzzer target for the .reg reader: whatever it accepts must write back
// to text it reads again into the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "system/wine/wine_reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    auto file = vostrel::RegFile::Parse("fuzz.reg", std::string(reinterpret_cast<const char*>(data), size), &error);
    if (!file) return 0;
    const std::string saved = file->Serialize();
    auto again = vostrel::RegFile::Parse("saved.reg", saved, &error);
    if (!again || again->Serialize() != saved) std::abort();
    return 0;
}

// libFuzzer target for the Internet shortcut (.url) reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shortcuts/url_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    if (const auto url = vostrel::ParseUrlFile(contents)) (void)vostrel::LocalPathOfUrl(*url);
    (void)vostrel::LocalPathOfUrl(contents);
    return 0;
}

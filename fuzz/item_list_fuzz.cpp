// libFuzzer target for the reader of a shell link's item list (the target
// of a .lnk named by shell items).
#include <cstddef>
#include <cstdint>
#include <span>

#include "shortcuts/item_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)vostrel::ItemListPath(std::span<const std::uint8_t>(data, size));
    return 0;
}

// libFuzzer target for the shell link (.lnk) reader, liblnk behind our
// wrapper, and the item list reader it hands the target's shell items to.
#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "shortcuts/item_list.h"
#include "shortcuts/lnk_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lnk = vostrel::ReadLnkFile(vostrel::fuzz::InputFile(data, size));
    if (lnk && !lnk->itemList.empty()) (void)vostrel::ItemListPath(lnk->itemList);
    return 0;
}

// libFuzzer target for the shell link (.lnk) reader, liblnk behind our
// wrapper, and the readers it hands the link's parts to: the item list, the
// ANSI texts in a Western and in a double-byte code page, and the
// descriptor of an advertised shortcut.
#include <cstddef>
#include <cstdint>

#include "fuzz_file.h"
#include "shortcuts/advertised.h"
#include "shortcuts/item_list.h"
#include "shortcuts/lnk_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = vostrel::fuzz::InputFile(data, size);
    for (unsigned codePage : {1252u, 936u}) {
        const auto lnk = vostrel::ReadLnkFile(path, codePage);
        if (!lnk) return 0;
        if (!lnk->itemList.empty()) {
            (void)vostrel::ItemListPath(lnk->itemList, codePage);
            (void)vostrel::ItemListOnNetwork(lnk->itemList);
        }
        if (!lnk->darwinDescriptor.empty())
            (void)vostrel::DecodeInstallerDescriptor(lnk->darwinDescriptor);
    }
    return 0;
}

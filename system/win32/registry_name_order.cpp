// The order of registry names in the Windows build, for the stores that keep
// their own (the in-memory registry of the tests): UTF-16 units compared
// after lower-casing, then the shorter name first, as wineserver orders
// them. Windows' own registry is reached through advapi32 and keeps its own
// order; the case table here is the portable one (FoldCase), as Wine's full
// table needs the C library's Unicode data of Linux.
#include "system/registry_store.h"
#include "system/text.h"

namespace vostrel {

int CompareRegistryNames(std::string_view a, std::string_view b) {
    const std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
    const std::size_t common = wa.size() < wb.size() ? wa.size() : wb.size();
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t fa = FoldCase(wa[i]), fb = FoldCase(wb[i]);
        if (fa != fb) return fa < fb ? -1 : 1;
    }
    if (wa.size() == wb.size()) return 0;
    return wa.size() < wb.size() ? -1 : 1;
}

}  // namespace vostrel

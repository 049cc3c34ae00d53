// The Windows build asks no Wine: a file counts as there only when Windows
// finds it.
#include "system/wine_provides.h"

namespace vostrel {

WineChoice ChooseWine(const std::string& named, const std::string&) {
    WineChoice choice;
    if (!named.empty()) {
        choice.namedFound = false;
        choice.note = "the Windows program asks no Wine installation: --wine does not apply";
    }
    return choice;
}

}  // namespace vostrel

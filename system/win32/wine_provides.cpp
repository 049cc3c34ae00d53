// The Windows build asks no Wine: a file counts as there only when Windows
// finds it.
#include "system/wine_provides.h"

namespace vostrel {

WineChoice ChooseWine(const std::string& named, const std::string&) {
    WineChoice choice;
    if (!named.empty()) {
        choice.namedFound = false;  // the Windows program asks no Wine installation
    }
    return choice;
}

}  // namespace vostrel

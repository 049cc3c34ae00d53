// Interim machine opener, linked only while the Wine backend is not in the
// tree (see cli/CMakeLists.txt): it opens nothing and says why.
#include "system/machine.h"

#include <cstdlib>

namespace vostrel {

MachineResult OpenWinePrefix(const std::string& prefixPath) {
    return {nullptr, "cannot open " + prefixPath + ": this build has no Wine backend"};
}

std::string DefaultWinePrefix() {
    if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

}  // namespace vostrel

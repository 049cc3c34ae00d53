#include "system/machine.h"

namespace vostrel {

// On Linux the machine a user means when none is named is the Wine prefix
// of $WINEPREFIX, else ~/.wine.
MachineResult OpenLocalMachine() { return OpenWinePrefix(DefaultWinePrefix()); }

}  // namespace vostrel

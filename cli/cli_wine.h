// The Wine installation a scan or repair asks about what Wine supplies
// itself: --wine DIR, else the setting "txtWine", else the system's.
#pragma once

#include <memory>
#include <string>

#include "system/settings.h"
#include "system/wine_provides.h"

namespace vostrel::cli {

// The chosen Wine (null when none is found). Says once on the error output
// when no Wine was found or the setting names a folder without one. False,
// after saying why, when --wine names a folder without a Wine.
bool OpenCommandWine(const std::string& named, SettingsStore& settings,
                     std::unique_ptr<WineProvides>& wine);

}  // namespace vostrel::cli

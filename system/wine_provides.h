// What the Wine that runs a prefix supplies by itself, so that the checks do
// not call it missing. A program asking for C:\windows\system32\x.dll is
// given Wine's builtin library even when no file lies there; a font named
// in C:\windows\Fonts is loaded from Wine's own font folder; and every start
// of Wine (wineboot -u) writes registrations of its own again, such as the
// 16-bit class servers of a Wine built without 16-bit support and the
// bitmap fonts of a system without Wine's font package. Deleting those
// would only delete Wine's own entries, which come back.
//
// The Linux build asks the Wine installation it finds (system/wine/
// wine_install.h); the native Windows build has nobody to ask and keeps
// Windows' meaning.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "system/settings_keys.h"

namespace vostrel {

class WineProvides {
public:
    virtual ~WineProvides() = default;
    // A file name without a folder ("avifile.dll"), compared without regard
    // to letter case: true when Wine supplies it as a library or program of
    // the system folders, or registers it as a server of its own.
    virtual bool ProvidesLibrary(std::string_view fileName) = 0;
    // A font file name ("coure.fon"): true when Wine's font folder holds it
    // or Wine lists it among the fonts it registers itself.
    virtual bool ProvidesFont(std::string_view fileName) = 0;
};

// The Wine a command asks. `named` (--wine) or else `setting` ("txtWine")
// names a folder: an installation's root, its bin folder or its wine
// program. Without one, or when it holds no Wine, the Wine of the system
// is looked for. `note` is one line for the user when something is amiss
// (no Wine found, a named folder without one); `namedFound` is false when
// `named` was given and holds no Wine. The Windows build asks no Wine.
struct WineChoice {
    std::unique_ptr<WineProvides> wine;
    std::string note;
    bool namedFound = true;
};
WineChoice ChooseWine(const std::string& named, const std::string& setting);

}  // namespace vostrel

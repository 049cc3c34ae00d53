// Whether a path a check found in the registry names a file that is there,
// one that is gone, or one the program cannot judge from here.
//
// Registry data spells paths in more forms than "C:\Dir\file": Wine writes
// host files as NT paths ("\??\unix\usr\share\fonts\x.ttf", or the Win32
// spelling "\\?\unix\..."), drivers name "\??\C:\...", "\SystemRoot\..." or a
// bare "system32\drivers\x.sys", and anything may name a network share.
// A path on a drive whose disk is unplugged or not mounted, a network
// share, and a form the program does not know are not missing files: the
// answer is then "not checked", with the reason, never "missing".
#pragma once

#include <string>
#include <string_view>

#include "system/file_system_api.h"

namespace vostrel {

enum class PathForm {
    Drive,    // "C:\..." (after the NT and Win32 prefixes are taken off)
    Host,     // a host path, from "\??\unix\..." ("/usr/share/...")
    Network,  // "\\server\share\...", "\??\UNC\...", or a network drive
    Unknown,  // no drive and no form Windows or Wine would resolve
};

struct SpelledPath {
    PathForm form = PathForm::Unknown;
    std::string path;  // the drive path or the host path; the text as given otherwise
};

// The form of `path` and the path it names. `windowsDir` ("C:\windows")
// completes "\SystemRoot\..." and "system32\..."; letter case of the
// prefixes does not matter.
SpelledPath SpellOutPath(std::string_view path, std::string_view windowsDir);

struct PathPresence {
    enum Kind {
        Present,
        Missing,
        DriveUnavailable,  // `drive` (0 for a host disk) is not there; `why` says how
        Network,
        UnknownForm,  // a form not understood, or a path the platform refuses to search
    };
    Kind kind = Present;
    std::string tested;  // the path looked for (a drive path or a host path)
    char drive = 0;      // upper-case letter, for DriveUnavailable
    std::string why;
    bool Judged() const { return kind == Present || kind == Missing; }
};

// The existence test of the checks on any form of path: the file search
// (as FileExists, whose meaning it keeps) for a drive path on a drive that
// is there, the host for a host path; "not checked" otherwise.
PathPresence ProbePath(FileSystemApi& files, std::string_view path);

// The same test for a folder: present when a folder of that name is there
// (a file of that name is no folder). A host path is not judged.
PathPresence ProbeFolder(FileSystemApi& files, std::string_view path);

// Only the reach of a drive path: nothing when its drive can be looked at
// (or it is not a drive path), else why it cannot.
std::optional<PathPresence> DriveOutOfReach(FileSystemApi& files, std::string_view drivePath);

}  // namespace vostrel

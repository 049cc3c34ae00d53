// What the shell would tell about a file as a link, read without the shell:
// whether it is a link, its file type's name and, for a link, its target
// and working directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/file_system_api.h"

namespace vostrel {

inline constexpr std::string_view kTypeShortcut = "Shortcut";
inline constexpr std::string_view kTypeInternetShortcut = "Internet Shortcut";
inline constexpr std::string_view kTypeDosShortcut = "Shortcut to MS-DOS Program";

struct ShortcutInfo {
    bool isLink = false;  // the file parses as a link of its type
    // A file of a link type that could not be read as one: refused by the
    // host, too big to be a link, or not in the link format. Never judged
    // broken; the scan names it as unreadable.
    bool unreadable = false;
    std::string typeName;  // the file type's display name, by extension
    // The Windows path the link points to; empty when it points nowhere that
    // can be tested through the machine's drives (a web address, a network
    // share, a path written with %variables%, a bare relative name).
    std::string targetPath;
    std::string workingDirectory;
    // The target lies on a network share (a \\server\share path, or a
    // drive letter the link's maker had mapped to one): out of reach of this
    // machine, neither there nor missing. targetPath is then empty.
    bool onNetwork = false;
    // An advertised (Windows Installer) shortcut: it starts a product's
    // feature, not a file; judged by whether the product is still
    // registered. The descriptor as the link holds it (empty when the link
    // is marked advertised but holds none that can be read).
    bool advertised = false;
    std::string darwinDescriptor;
};

// The machine's ANSI code page when nothing else is known: what the ANSI
// texts of link files made elsewhere are read in.
inline constexpr unsigned kDefaultAnsiCodePage = 1252;

// Reads the file at a Windows path of the machine. Files that are not
// links (by extension or by content) come back with isLink false. ANSI
// texts of a link are read in `ansiCodePage`, the machine's ANSI code page
// (the Windows shell knows its own). Nothing the file holds makes it throw:
// a file that cannot be read through is unreadable.
ShortcutInfo ReadShortcut(FileSystemApi& files, std::string_view path,
                          unsigned ansiCodePage = kDefaultAnsiCodePage);

// The same for a file already found and held: `path` is its Windows path
// (relative targets are joined to its folder), `readablePath` what reads it
// (a host path; on Windows the path itself).
ShortcutInfo ReadShortcutFile(FileSystemApi& files, std::string_view path,
                              const std::string& readablePath,
                              unsigned ansiCodePage = kDefaultAnsiCodePage);

// The largest file taken for a link; bigger files are unreadable unread.
inline constexpr std::uint64_t kMaxShortcutFileSize = 1 << 20;

// Joins a relative target to the link's folder ("C:\Links\" and "..\a.exe"
// give C:\a.exe); "." and ".." parts are resolved, never above the drive.
std::string ResolveRelativeTarget(std::string_view folder, std::string_view relative);

}  // namespace vostrel

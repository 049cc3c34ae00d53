// A reader for Valve's text KeyValues format (.vdf, .acf): the files in which
// Steam lists its libraries (libraryfolders.vdf) and describes each installed
// game (appmanifest_<appid>.acf). Debian has no C++ reader for it, and the
// format is small: quoted or bare tokens, "{" and "}" for nested blocks,
// "//" comments, and platform conditions such as [$WIN32] after a value,
// which are read and ignored. Keys are looked up without regard to letter
// case, because Steam itself writes "AppState" in some files and "appstate"
// in others.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vostrel::prefixes {

struct VdfNode {
    std::string key;                // the entry's name in its block (empty for the root)
    std::string value;              // a leaf's text
    std::vector<VdfNode> children;  // a block's entries, in file order
    bool block = false;

    // The first entry named `name` (any letter case), or null.
    const VdfNode* Find(std::string_view name) const;
    // The text of the leaf entry `name`, or empty when there is none.
    std::string Text(std::string_view name) const;
};

struct VdfResult {
    std::optional<VdfNode> root;  // a block holding the file's top-level entries; empty on error
    std::string error;            // "line 7: missing }" and the like
};

VdfResult ParseVdf(std::string_view text);

// Reads and parses a file; the error names the file.
VdfResult ReadVdfFile(const std::string& path);

}  // namespace vostrel::prefixes

// Scratch places for the tests of the native backends: a registry key under
// HKEY_CURRENT_USER\Software\Vostrel Tests and a folder under the temporary
// folder, both removed with everything in them when the test ends.
#pragma once

#include <string>

namespace vostrel::testing {

class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    // Below HKEY_CURRENT_USER, no leading backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // A Windows path without a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Creates a file (UTF-8 name, any characters) with the given contents.
void MakeFile(const std::string& path, const std::string& contents = "x");
void MakeFolder(const std::string& path);
void SetAttributes(const std::string& path, unsigned attributes);

}  // namespace vostrel::testing

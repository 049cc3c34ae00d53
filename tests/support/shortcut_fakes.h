// Small stand-ins for the shortcut and backup tests: a file system whose
// drives are host folders, an observer that answers Yes, and real
// links made by Wine's own shell.
#pragma once

#include "support/recording_observer.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/memory_registry.h"
#include "system/file_system_api.h"
#include "system/registry_api.h"

namespace vostrel::testing {

// Drive letters mapped to host folders; names are looked up without regard
// to case, listings come sorted without regard to case (as Wine lists).
class HostFolderFileSystem : public FileSystemApi {
public:
    void MapDrive(char letter, const std::string& hostFolder);

    std::string GetWindowsDirectory() override { return "C:\\windows"; }
    std::string GetSystemDirectory() override { return "C:\\windows\\system32"; }
    std::string GetShortPathName(std::string_view path) override;
    LONG FindFiles(std::string_view pattern, std::vector<FindData>* found) override;
    DWORD GetFileAttributes(std::string_view path) override;
    std::vector<Drive> GetDrives() override;
    bool GetVolumeInformation(std::string_view root, std::string* label) override;
    std::string GetTempPath() override { return "C:\\windows\\temp\\"; }
    bool DeleteFile(std::string_view path) override;
    bool CopyFile(std::string_view from, std::string_view to) override;
    std::optional<std::string> HostPath(std::string_view windowsPath) override;
    // A letter mapped to no folder is no drive at all.
    DriveState StateOfDrive(char letter) override;

    // The volume information of every drive cannot be read (as under Wine,
    // for a prefix whose user folders link to a home that is gone).
    bool volumeUnreadable = false;
    // Called with every path whose attributes are asked (to cancel mid-walk).
    std::function<void(std::string_view)> onAttributes;
    std::vector<std::string> searched;  // every FindFiles pattern, in order

private:
    DWORD HostAttributes(std::string_view path);
    std::map<char, std::string> drives_;
};

// A registry with nothing in it, for tests that never reach the registry.
using EmptyRegistry = MemoryRegistry;

// A recording observer that answers Yes.
class AnsweringObserver : public RecordingObserver {
public:
    AnsweringObserver() { answer = Answer::Yes; }
};

// True when wine is installed.
bool HaveWine();

// The Wine prefix of this test program (the shared fixture); empty when
// Wine is absent.
const std::string& ShortcutTestPrefix();

// Runs a VBScript with Wine's wscript in the shared prefix; true on success.
bool RunWineScript(const std::string& vbscript);

// A .vbs statement list that makes one shortcut with WScript.Shell.
std::string ShortcutScript(const std::string& linkPath, const std::string& target,
                           const std::string& workingDirectory = {},
                           const std::string& arguments = {});

// The bytes of a shell link named `name` whose only target is the relative
// "gone.exe": broken wherever it lies. The repair removes only what still
// reads as a broken link.
std::string BrokenLinkBytes(const std::string& name);

}  // namespace vostrel::testing

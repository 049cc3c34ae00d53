// libFuzzer target for the shortcut reader as the scan calls it: the first
// byte chooses the kind (.lnk, .url, .pif), the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_file.h"
#include "system/file_system_api.h"
#include "system/shortcut_reader.h"

namespace vostrel {
namespace {

// A drive C: whose every path is the input file.
class InputFileSystem : public FileSystemApi {
public:
    std::string file;
    std::string GetWindowsDirectory() override { return "C:\\windows"; }
    std::string GetSystemDirectory() override { return "C:\\windows\\system32"; }
    std::string GetShortPathName(std::string_view path) override { return std::string(path); }
    LONG FindFiles(std::string_view, std::vector<FindData>*) override {
        return ERROR_FILE_NOT_FOUND;
    }
    DWORD GetFileAttributes(std::string_view) override { return INVALID_FILE_ATTRIBUTES; }
    std::vector<Drive> GetDrives() override { return {Drive{}}; }
    bool GetVolumeInformation(std::string_view, std::string*) override { return true; }
    std::string GetTempPath() override { return "C:\\windows\\temp\\"; }
    bool DeleteFile(std::string_view) override { return false; }
    bool CopyFile(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> HostPath(std::string_view) override { return file; }
};

}  // namespace
}  // namespace vostrel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr const char* kNames[] = {"C:\\users\\x\\Desktop\\a.lnk",
                                             "C:\\users\\x\\Desktop\\a.url",
                                             "C:\\users\\x\\Desktop\\a.pif"};
    vostrel::InputFileSystem files;
    files.file = vostrel::fuzz::InputFile(data + 1, size - 1);
    (void)vostrel::ReadShortcut(files, kNames[data[0] % 3]);
    return 0;
}

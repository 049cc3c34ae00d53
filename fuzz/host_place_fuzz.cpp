// libFuzzer target for the planner that maps a menu-entry or icon record
// to the file a restore would write: whatever the record names, a place it
// accepts is one of the user's folders for that kind and a plain path below
// it that spells the record's path exactly (no "..", no empty or "." part,
// nothing absolute), so the walk beneath the folder never leaves it. The
// same holds for the relative path of any path below any root.
//
// Input: one byte choosing the kind ("M" or "I"), the path, and after a NUL
// byte a root for the relative-path check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "results/backup_file.h"
#include "system/posix/beneath.h"

namespace {

constexpr const char* kHome = "/home/fuzz";
constexpr const char* kData = "/home/fuzz/.local/share";
constexpr const char* kDesktop = "/home/fuzz/Desktop";

void CheckPlain(const std::string& root, const std::string& relative, const std::string& path) {
    if (!vostrel::beneath::PlainRelative(relative)) std::abort();
    const std::string joined = root.back() == '/' ? root + relative : root + "/" + relative;
    if (joined != path) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("HOME", kHome, 1);
    ::setenv("XDG_DATA_HOME", kData, 1);
    ::setenv("XDG_CONFIG_HOME", "/nonexistent/fuzz-config", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string kind = data[0] == 'I' ? "I" : "M";
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string path = rest.substr(0, nul);
    if (const auto place = vostrel::PlaceOfHostFile(kind, path)) {
        if (place->root != kData && place->root != kDesktop) std::abort();
        CheckPlain(place->root, place->relative, path);
        if (kind == "M" && path.size() < 9) std::abort();  // at least "/x.desktop"
    }
    if (nul != std::string::npos) {
        const std::string root = rest.substr(nul + 1);
        if (const auto relative = vostrel::beneath::RelativeTo(root, path)) {
            std::string base = root;
            while (base.size() > 1 && base.back() == '/') base.pop_back();
            CheckPlain(base, *relative, path);
        }
    }
    return 0;
}

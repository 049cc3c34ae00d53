// A small hand-made Wine prefix (just the three registry files) for tests of
// the registry backend that need no running Wine.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "support/temp_dir.h"
#include "system/wine/wine_registry.h"

namespace vostrel::testing {

// The prefix's registry, opened as the program opens it; a test fails when
// it cannot be.
inline std::unique_ptr<WineRegistry> Open(const std::string& prefix) {
    std::string error;
    auto registry = OpenWineRegistry(prefix, &error);
    EXPECT_TRUE(registry) << error;
    return registry;
}

// "hex(6):..." of a link target, as Wine writes SymbolicLinkValue.
inline std::string LinkValue(std::string_view target) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\"SymbolicLinkValue\"=hex(6):";
    for (std::size_t i = 0; i < target.size(); ++i) {
        if (i) out += ',';
        const auto c = static_cast<unsigned char>(target[i]);
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
        out += ",00";
    }
    return out + "\n";
}

inline std::string MachineReg() {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to REGISTRY\\\\Machine\n"
           "\n#arch=win64\n"
           "\n[Software\\\\Classes\\\\.txt] 1796795856\n#time=1dd87a231203b4c\n@=\"txtfile\"\n"
           "\n[Software\\\\Classes\\\\AppId\\\\{A}] "
           "1796795856\n#time=1dd87a231203b4c\n\"Name\"=\"a\"\n"
           "\n[Software\\\\Classes\\\\Wow6432Node\\\\AppId] "
           "1796795844\n#time=1dd87a22974b94a\n#link\n" +
           LinkValue("\\Registry\\Machine\\Software\\Classes\\AppId") +
           "\n[Software\\\\Loop] 1796795844\n#time=1dd87a22974b94a\n#link\n" +
           LinkValue("\\Registry\\Machine\\Software\\Loop") +
           "\n[Software\\\\Vostrel] 1796795856\n#time=1dd87a231203b4c\n"
           "\"" +
           std::string(300, 'a') +
           "\"=dword:00000001\n"
           "\"Bin\"=hex:01,02\n"
           "\"Dw\"=dword:ffffffff\n"
           "\"Exp\"=str(2):\"%x%\"\n"
           "\"Long\"=\"" +
           std::string(300, 'x') +
           "\"\n"
           "\"Multi\"=str(7):\"first\\0second\\0\"\n"
           "\"Text\"=\"Caf\\x00e9 \\x65e5\"\n"
           "\"\\x65e5\"=\"wide name\"\n"
           "\n[Software\\\\Vostrel\\\\Sub] 1796795856\n#time=1dd87a231203b4c\n#class=\"Cls\"\n"
           "\n[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts] "
           "1796795857\n"
           "#time=1dd87a2314c5d44\n\"LogPixels\"=dword:00000060\n";
}

inline std::string UserReg() {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
           "\n#arch=win64\n"
           "\n[Software\\\\Wine] 1796795856\n#time=1dd87a231203b4c\n\"Version\"=\"win10\"\n";
}

inline std::string DefaultUserReg() {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to REGISTRY\\\\User\\\\.Default\n"
           "\n#arch=win64\n"
           "\n[Control Panel\\\\Desktop] 1796795856\n#time=1dd87a231203b4c\n\"Wallpaper\"=\"\"\n";
}

// Writes the three files into `folder` (created when missing).
inline void WriteTestPrefix(const std::string& folder, const std::string& machine = MachineReg()) {
    WriteTextFile(folder + "/system.reg", machine);
    WriteTextFile(folder + "/user.reg", UserReg());
    WriteTextFile(folder + "/userdef.reg", DefaultUserReg());
}

}  // namespace vostrel::testing

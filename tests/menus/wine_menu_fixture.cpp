#include "wine_menu_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/wine_prefix_fixture.h"

namespace vostrel::testing {

namespace fs = std::filesystem;

std::string WineUserFolder(const std::string& prefix) {
    for (const auto& entry : fs::directory_iterator(prefix + "/drive_c/users"))
        if (entry.path().filename() != "Public") return entry.path().filename().string();
    return {};
}

std::string WineProgramsFolder(const std::string& prefix) {
    return prefix + "/drive_c/users/" + WineUserFolder(prefix) +
           "/AppData/Roaming/Microsoft/Windows/Start Menu/Programs";
}

void RunWineScript(const std::string& prefix, const std::string& home, const std::string& script) {
    const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + home +
                            "' XDG_DATA_HOME='" + home + "/.local/share' XDG_CONFIG_HOME='" + home +
                            "/.config' WINEPREFIX='" + prefix +
                            "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='";
    ASSERT_EQ(std::system((env + " wine wscript.exe '" + script + "' >/dev/null 2>&1").c_str()), 0);
    ASSERT_EQ(std::system((env + " wineserver -w >/dev/null 2>&1").c_str()), 0);
}

void MakeWinePrefixWithLinks(const std::string& prefix, const std::string& home,
                             const std::string& links) {
    CopyTemplatePrefix(prefix);
    const std::string user = WineUserFolder(prefix);
    ASSERT_FALSE(user.empty());
    const std::string desktop = prefix + "/drive_c/users/" + user + "/Desktop";
    fs::remove_all(desktop);  // a link to the template's own home
    fs::create_directory_symlink(home + "/Desktop", desktop);
    fs::create_directories(prefix + "/drive_c/Apps");
    for (const char* name : {"keep.exe", "gone.exe"})
        fs::copy_file(prefix + "/drive_c/windows/system32/notepad.exe",
                      prefix + "/drive_c/Apps/" + name);
    const std::string programs =
        "C:\\\\users\\\\" + user +
        "\\\\AppData\\\\Roaming\\\\Microsoft\\\\Windows\\\\Start Menu\\\\Programs";
    std::ofstream(prefix + "/drive_c/make-links.js", std::ios::binary)
        << "var sh = WScript.CreateObject(\"WScript.Shell\");\r\n"
        << "var fso = WScript.CreateObject(\"Scripting.FileSystemObject\");\r\n"
        << "var programs = \"" << programs << "\";\r\n"
        << "var desktop = \"C:\\\\users\\\\" << user << "\\\\Desktop\";\r\n"
        << "function link(path, target) { var l = sh.CreateShortcut(path); l.TargetPath = target; "
           "l.Save(); }\r\n"
        << "if (!fso.FolderExists(programs + \"\\\\Sub Folder\")) fso.CreateFolder(programs + "
           "\"\\\\Sub Folder\");\r\n"
        << links;
    RunWineScript(prefix, home, "C:\\make-links.js");
}

}  // namespace vostrel::testing

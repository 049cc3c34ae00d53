// Shortcuts as the Windows shell tells about them: made with the shell's own
// link object, read back through ReadShortcut.
#include "system/win32/windows_headers.h"

#include "system/shortcut_reader.h"

#include <gtest/gtest.h>

#include "system/win32/code_page.h"
#include "system/win32/win32_file_system.h"
#include "win32/native_fixtures.h"

namespace vostrel {
namespace {

using testing::MakeFile;
using testing::MakeFolder;
using testing::ScratchFolder;

// Writes a .lnk through IShellLinkW, as Explorer does.
void MakeLink(const std::string& path, const std::string& target,
              const std::string& workingDirectory = "") {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkW, reinterpret_cast<void**>(&link))));
    link->SetPath(win32::Widen(target).c_str());
    if (!workingDirectory.empty())
        link->SetWorkingDirectory(win32::Widen(workingDirectory).c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(win32::Widen(path).c_str(), TRUE))) << path;
    file->Release();
    link->Release();
    ::CoUninitialize();
}

class ShellShortcuts : public ::testing::Test {
protected:
    ShortcutInfo Read(const std::string& name) { return ReadShortcut(files, folder / name); }

    Win32FileSystem files;
    ScratchFolder folder;
};

TEST_F(ShellShortcuts, LinksGiveTheirTargetAndWorkingFolder) {
    MakeFile(folder / "target.exe");
    MakeLink(folder / "broken.lnk", folder / "target.exe", "C:\\Work");
    MakeLink(folder / "folder.lnk", "C:\\windows");
    MakeLink(folder / "home.LNK", folder / "target.exe", "%HOMEDRIVE%%HOMEPATH%");
    ASSERT_TRUE(files.DeleteFile(folder / "target.exe"));

    const ShortcutInfo broken = Read("broken.lnk");
    EXPECT_TRUE(broken.isLink);
    EXPECT_EQ(broken.targetPath, folder / "target.exe");
    EXPECT_EQ(broken.workingDirectory, "C:\\Work");
    EXPECT_FALSE(broken.typeName.empty());
    EXPECT_EQ(Read("folder.lnk").targetPath, "C:\\windows");
    const ShortcutInfo home = Read("home.LNK");
    EXPECT_TRUE(home.isLink);
    EXPECT_EQ(home.workingDirectory, "%HOMEDRIVE%%HOMEPATH%");
}

// Internet shortcuts are links to the Windows shell (their type is registered
// with "IsShortcut"); Wine's shell reports only .lnk files as links, so this
// holds under Wine only because the reader asks the registration itself.
TEST_F(ShellShortcuts, InternetShortcutsPointAtFilesOnlyThroughFileAddresses) {
    MakeFile(folder / "web.url", "[InternetShortcut]\r\nURL=http://example.invalid/\r\n");
    MakeFile(folder / "file.url", "[InternetShortcut]\r\nURL=file:///C:/Gone/url-gone.exe\r\n");
    const ShortcutInfo web = Read("web.url");
    EXPECT_TRUE(web.isLink);
    EXPECT_EQ(web.targetPath, "");
    const ShortcutInfo file = Read("file.url");
    EXPECT_TRUE(file.isLink);
    EXPECT_EQ(file.targetPath, "C:\\Gone\\url-gone.exe");
}

TEST_F(ShellShortcuts, OtherFilesAreNoLinks) {
    MakeFile(folder / "not a link.lnk", "this is not a shell link");
    MakeFile(folder / "notes.txt", "text");
    MakeFolder(folder / "Sub.lnk");
    EXPECT_FALSE(Read("not a link.lnk").isLink);
    EXPECT_FALSE(Read("notes.txt").isLink);
    EXPECT_FALSE(Read("missing.lnk").isLink);
    EXPECT_EQ(Read("missing.lnk").targetPath, "");
}

}  // namespace
}  // namespace vostrel

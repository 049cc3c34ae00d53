#include "system/machine.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/paths.h"

namespace vostrel {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

TEST(WineMachine, DefaultPrefixIsWineprefixThenDotWine) {
    TempDir home;
    ScopedEnv homeVar("HOME", home.path());
    {
        ScopedEnv prefix("WINEPREFIX", "/somewhere/prefix");
        EXPECT_EQ(DefaultWinePrefix(), "/somewhere/prefix");
    }
    ScopedEnv empty("WINEPREFIX", "");
    EXPECT_EQ(DefaultWinePrefix(), home.path() + "/.wine");
}

TEST(WineMachine, NotAPrefixIsAClearError) {
    TempDir dir;
    const MachineResult missing = OpenWinePrefix(dir / "nothing-here");
    EXPECT_EQ(missing.machine, nullptr);
    EXPECT_NE(missing.error.find("nothing-here"), std::string::npos) << missing.error;
    const MachineResult empty = OpenWinePrefix(dir.path());
    EXPECT_EQ(empty.machine, nullptr);
    EXPECT_NE(empty.error.find("system.reg"), std::string::npos) << empty.error;
}

TEST(WineMachine, FreshPrefixHasDriveCAndItsFolders) {
    if (!testing::WineAvailable()) GTEST_SKIP() << "wine is not installed";
    const std::string& prefix = testing::SharedWinePrefix();
    const MachineResult opened = OpenWinePrefix(prefix);
    ASSERT_NE(opened.machine, nullptr) << opened.error;
    Machine& m = *opened.machine;
    bool fixedC = false;
    for (const Drive& d : m.files->GetDrives())
        if (d.letter == 'C') fixedC = d.type == DriveType::Fixed;
    EXPECT_TRUE(fixedC);
    EXPECT_EQ(GetWindowsDir(*m.files), "C:\\windows");
    EXPECT_EQ(GetSystemDir(*m.files), "C:\\windows\\system32");
    EXPECT_EQ(GetProgramFilesDir(*m.registry), "C:\\Program Files");
    EXPECT_EQ(GetCommonFilesDir(*m.registry), "C:\\Program Files\\Common Files");
    EXPECT_TRUE(FileExists(*m.files, "C:\\windows\\system32\\kernel32.dll"));
    EXPECT_TRUE(FileExists(*m.files, "c:\\WINDOWS\\System32\\KERNEL32.DLL"));
    EXPECT_FALSE(FileExists(*m.files, "C:\\windows\\system32"));
    EXPECT_FALSE(FileExists(*m.files, "C:\\windows\\system32\\no-such-file.dll"));
    EXPECT_EQ(GetShortPath(*m.files, "C:\\Program Files"), "C:\\PROG~FBU");
    // The file calls refuse paths of MAX_PATH characters or more, so
    // such a path counts as existing, as it does on Windows.
    const std::string longPath = "C:\\" + std::string(252, 'a') + "\\x.exe";
    EXPECT_TRUE(FileExists(*m.files, longPath));
    EXPECT_EQ(m.files->GetFileAttributes(longPath), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(FileExists(*m.files, "C:\\" + std::string(240, 'a') + "\\x.exe"));
}

}  // namespace
}  // namespace vostrel

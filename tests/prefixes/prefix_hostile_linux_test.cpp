// The files the prefix finder reads from the tools' folders are read with
// the care of the program's own: a FIFO or a device in their place is
// refused with a warning, never waited on; and the home folder comes from
// the password database when HOME is not set.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "prefixes/prefix_finder.h"
#include "prefixes/vdf.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace vostrel::prefixes {
namespace {

namespace fs = std::filesystem;
using vostrel::testing::TempDir;
using vostrel::testing::WriteTextFile;

TEST(ToolFiles, AVdfFileThatIsNotARegularFileIsRefusedNotWaitedOn) {
    TempDir dir;
    const std::string fifo = dir / "libraryfolders.vdf";
    ASSERT_TRUE(vostrel::testing::MakeFifo(fifo));
    fs::create_symlink("/dev/null", dir / "null.vdf");
    WriteTextFile(dir / "big.vdf", "\"libraryfolders\" {\n" + std::string(17 << 20, ' ') + "}\n");
    vostrel::testing::FifoUnblocker guard(fifo);
    for (const auto& [path, says] :
         {std::pair{fifo, "FIFO"}, std::pair{dir / "null.vdf", "character device"},
          std::pair{dir / "big.vdf", "bytes"}}) {
        const VdfResult result = ReadVdfFile(path);
        EXPECT_FALSE(result.root) << path;
        EXPECT_NE(result.error.find(path), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(says), std::string::npos) << result.error;
    }
    EXPECT_FALSE(guard.fired()) << "a FIFO was opened for reading";
}

TEST(ToolFiles, WithoutHomeThePlacesComeFromThePasswordDatabase) {
    const passwd* user = ::getpwuid(::getuid());
    if (!user || !user->pw_dir || user->pw_dir[0] != '/') GTEST_SKIP() << "no home in the database";
    vostrel::testing::ScopedEnv home("HOME", "");
    ::unsetenv("HOME");
    EXPECT_EQ(PlacesFromEnvironment().home, user->pw_dir);
}

}  // namespace
}  // namespace vostrel::prefixes

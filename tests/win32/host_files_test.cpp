// Durable appends and copies, and folder identities, on the Windows side.
#include "system/durable_file.h"
#include "system/folder_identity.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "system/win32/win32_file_system.h"
#include "win32/native_fixtures.h"

namespace vostrel {
namespace {

using testing::MakeFile;
using testing::MakeFolder;
using testing::ReadTextFile;
using testing::ScratchFolder;

TEST(DurableFile, AppendsCreateAndGrowAndCopiesReplace) {
    ScratchFolder folder;
    const std::string backup = folder / "BackUp 09-12-26 07-15-00";
    ASSERT_TRUE(AppendDurably(backup, "first\r\n"));
    ASSERT_TRUE(AppendDurably(backup, "second\r\n"));
    EXPECT_EQ(ReadTextFile(backup), "first\r\nsecond\r\n");

    MakeFile(folder / "link.lnk", "new link");
    MakeFile(folder / "copy.lnk", "an older and longer copy");
    ASSERT_TRUE(CopyDurably(folder / "link.lnk", folder / "copy.lnk"));
    EXPECT_EQ(ReadTextFile(folder / "copy.lnk"), "new link");

    std::string error;
    EXPECT_FALSE(CopyDurably(folder / "missing.lnk", folder / "x.lnk", &error));
    EXPECT_NE(error.find("missing.lnk"), std::string::npos) << error;
    EXPECT_FALSE(AppendDurably(folder / "no folder\\file", "x", &error));
}

TEST(FolderIdentity, OneFolderByAnySpellingAndNoneForMissing) {
    ScratchFolder folder;
    MakeFolder(folder / "Long Folder Name");
    MakeFolder(folder / "Other");
    Win32FileSystem files;
    const std::string shortForm = files.GetShortPathName(folder / "Long Folder Name");
    const auto a = IdentifyHostFolder(folder / "Long Folder Name");
    const auto b = IdentifyHostFolder(folder / "LONG FOLDER NAME\\");
    const auto c = IdentifyHostFolder(shortForm);
    const auto other = IdentifyHostFolder(folder / "Other");
    ASSERT_TRUE(a && b && c && other);
    EXPECT_FALSE(*a < *b || *b < *a);
    EXPECT_FALSE(*a < *c || *c < *a);
    EXPECT_TRUE(*a < *other || *other < *a);
    EXPECT_FALSE(a->pseudo);
    EXPECT_FALSE(IdentifyHostFolder(folder / "missing").has_value());
}

}  // namespace
}  // namespace vostrel

// The folder cache keeps the listing of a folder changed a moment ago as
// soon as its times can no longer miss a change: on the local file systems
// of Linux (nanosecond times, a clock tick of a few milliseconds) that is a
// tick after the change, not the two seconds a FAT disk or a network share
// needs; a folder changed within the tick is read again at every look-up.
#include <gtest/gtest.h>

#include <sys/statfs.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/temp_dir.h"
#include "system/wine/wine_files_listing.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

TEST(WineFolderCacheSettle, AFolderChangedATickAgoIsKeptOnALocalFileSystem) {
    TempDir dir;
    struct statfs info {};
    ASSERT_EQ(::statfs(dir.path().c_str(), &info), 0);
    const auto type = static_cast<unsigned long>(info.f_type);
    if (type != 0xEF53ul && type != 0x58465342ul && type != 0x9123683Eul && type != 0x01021994ul)
        GTEST_SKIP() << "the temporary folder is not on ext4, XFS, Btrfs or tmpfs";
    fs::create_directories(dir / "fresh");
    FolderCache cache;                                                // the default settling time
    EXPECT_NE(cache.List(dir / "fresh"), cache.List(dir / "fresh"));  // changed just now
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    const auto kept = cache.List(dir / "fresh");
    EXPECT_EQ(cache.List(dir / "fresh"), kept);
    // A change after the listing was kept still shows at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    WriteTextFile((dir / "fresh") + "/new.txt", "x");
    const auto changed = cache.List(dir / "fresh");
    ASSERT_EQ(changed->entries.size(), 1u);
    EXPECT_EQ(changed->entries[0].name, "new.txt");
}

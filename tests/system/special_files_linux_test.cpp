// Files that are not what they seem, and homes that are not ours: the small
// files the program reads (its settings above all) are never waited on nor
// read without end, a settings file kept as a link stays one, the home
// folder is never taken to be /tmp, and Wine's lock that is not a regular
// file stops a change rather than hang it.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "support/special_files.h"
#include "support/temp_dir.h"
#include "system/atomic_file.h"
#include "system/durable_file.h"
#include "system/machine.h"
#include "system/settings.h"
#include "system/wine/wine_registry.h"
#include "system/wine/wineserver_lock.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

namespace fs = std::filesystem;
using testing::FifoUnblocker;
using testing::MakeFifo;
using testing::ReadTextFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteTextFile;

TEST(SmallTextFile, RefusesWhatIsNotARegularFileOfItsSize) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_TRUE(MakeFifo(fifo));
    fs::create_symlink("/dev/null", dir / "null");
    fs::create_symlink("/dev/zero", dir / "zero");
    fs::create_symlink(fifo, dir / "to-fifo");
    fs::create_directory(dir / "folder");
    WriteTextFile(dir / "big", std::string(2000, 'x'));
    WriteTextFile(dir / "fits", "[Settings]\n");
    fs::create_symlink(dir / "fits", dir / "to-fits");

    const struct {
        std::string name;
        bool read;
        bool missing;
        std::string says;
    } cases[] = {
        {"fifo", false, false, "FIFO"},
        {"to-fifo", false, false, "FIFO"},
        {"null", false, false, "character device"},
        {"zero", false, false, "character device"},
        {"folder", false, false, "folder"},
        {"big", false, false, "2000 bytes"},
        {"absent", false, true, "cannot be opened"},
        {"fits", true, false, ""},
        {"to-fits", true, false, ""},
    };
    FifoUnblocker guard(fifo);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "unchanged", error;
        bool missing = !c.missing;
        EXPECT_EQ(ReadSmallTextFile(dir / c.name, 1024, &text, &error, &missing), c.read);
        EXPECT_EQ(missing, c.missing);
        if (c.read) {
            EXPECT_EQ(text, "[Settings]\n");
        } else {
            EXPECT_EQ(text, "unchanged");
            EXPECT_NE(error.find(dir / c.name), std::string::npos) << error;
            EXPECT_NE(error.find(c.says), std::string::npos) << error;
        }
    }
    EXPECT_FALSE(guard.fired()) << "a FIFO was opened for reading";
}

TEST(SettingsStore, ASettingsFileThatIsAFifoOrADeviceGivesDefaultsAtOnce) {
    TempDir dir;
    const std::string path = dir / "Vostrel 2006.ini";
    ASSERT_TRUE(MakeFifo(path));
    FifoUnblocker guard(path);
    IniSettingsStore store(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(store.Get("chkMakeBackUp", "1"), "1");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(guard.fired()) << "the settings waited on a FIFO";
    EXPECT_NE(store.lastError().find(path), std::string::npos) << store.lastError();
    EXPECT_NE(store.lastError().find("FIFO"), std::string::npos) << store.lastError();

    // A link to a device: refused, not read (on /dev/zero, until memory ends).
    fs::remove(path);
    fs::create_symlink("/dev/null", path);
    IniSettingsStore device(path);
    EXPECT_EQ(device.Get("chkMakeBackUp", "1"), "1");
    EXPECT_NE(device.lastError().find("character device"), std::string::npos) << device.lastError();
    fs::remove(path);
    fs::create_symlink("/dev/zero", path);
    IniSettingsStore zero(path);
    EXPECT_EQ(zero.Get("chkMakeBackUp", "1"), "1");
    EXPECT_FALSE(zero.lastError().empty());
}

TEST(SettingsStore, ASettingsFileKeptAsALinkStaysOneWhenSaved) {
    TempDir dir;
    // A dotfiles setup: the settings file links (through a relative link and
    // an absolute one) to a file in another folder.
    fs::create_directories(dir / "dotfiles/vostrel");
    fs::create_directories(dir / "config/vostrel");
    const std::string target = dir / "dotfiles/vostrel/settings.ini";
    WriteTextFile(target, "; mine\n[Settings]\nchkPlaySound=1\n");
    fs::create_symlink(target, dir / "dotfiles/current.ini");
    const std::string link = dir / "config/vostrel/Vostrel 2006.ini";
    fs::create_symlink("../../dotfiles/current.ini", link);

    IniSettingsStore store(link);
    EXPECT_EQ(store.Get("chkPlaySound", "0"), "1");
    ASSERT_TRUE(store.Save("chkPlaySound", "0")) << store.lastError();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(dir / "dotfiles/current.ini"));
    EXPECT_EQ(fs::read_symlink(link), "../../dotfiles/current.ini");
    EXPECT_EQ(ReadTextFile(target), "; mine\n[Settings]\nchkPlaySound=0\n");
    EXPECT_EQ(store.Get("chkPlaySound", "1"), "0");
    // No temporary file is left in either folder.
    for (const auto& folder : {dir / "config/vostrel", dir / "dotfiles/vostrel"})
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".vostrel-"), std::string::npos)
                << entry.path();

    // A link to a file not made yet: the file is made where it leads.
    const std::string dangling = dir / "config/vostrel/other.ini";
    fs::create_symlink(dir / "dotfiles/vostrel/new.ini", dangling);
    ASSERT_TRUE(WriteFileAtomically(dangling, "x\n"));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadTextFile(dir / "dotfiles/vostrel/new.ini"), "x\n");
}

std::string PasswordHome() {
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

TEST(SettingsStore, WithoutHomeTheFoldersComeFromThePasswordDatabaseNeverTmp) {
    const std::string home = PasswordHome();
    if (home.empty() || home == "/") GTEST_SKIP() << "this user has no home in the database";
    for (const char* unset : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(unset ? "HOME empty" : "HOME unset");
        ScopedEnv noHome("HOME", "");
        if (!unset) ::unsetenv("HOME");
        ScopedEnv noConfig("XDG_CONFIG_HOME", "");
        ScopedEnv noPrefix("WINEPREFIX", "");
        EXPECT_EQ(UserHomeFolder(), home);
        EXPECT_EQ(DefaultSettingsPath(), home + "/.config/vostrel/Vostrel 2006.ini");
        EXPECT_NE(DefaultSettingsPath().rfind("/tmp", 0), 0u);
        EXPECT_EQ(DefaultWinePrefix(), home + "/.wine");
    }
}

// A prefix that is only its registry files, with Wine's temporary folder
// in the test's folder.
class WineLockFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(prefix_);
        testing::WriteTestPrefix(prefix_);
    }
    TempDir dir_;
    ScopedEnv tmp_{"TMPDIR", dir_ / "tmp"};
    std::string prefix_ = dir_ / "prefix";

    // The lock file a wineserver of the prefix would hold under TMPDIR.
    std::string LockPath() const {
        for (const auto& path : WineserverLockPaths(prefix_))
            if (path.rfind(dir_ / "tmp", 0) == 0 && path.find("/.wine-") != std::string::npos)
                return path;
        return {};
    }

    // Changing the registry is refused at once, saying why.
    void ExpectRefused(const std::string& fifo, const std::string& says) {
        FifoUnblocker guard(fifo);
        std::string error;
        auto registry = OpenWineRegistry(prefix_, &error);
        ASSERT_TRUE(registry) << error;
        const auto refusal = registry->WriteRefusal();
        ASSERT_TRUE(refusal);
        EXPECT_NE(refusal->find("cannot be told whether Wine is running"), std::string::npos)
            << *refusal;
        EXPECT_NE(refusal->find(says), std::string::npos) << *refusal;
        WineserverLock lock;
        long holder = 0;
        std::string unsure;
        EXPECT_FALSE(lock.Acquire(prefix_, &holder, &unsure));
        EXPECT_NE(unsure.find(says), std::string::npos) << unsure;
        EXPECT_NE(RunningWineserver(prefix_), 0);
        EXPECT_FALSE(guard.fired()) << "a FIFO was opened for reading";
    }
};

TEST_F(WineLockFiles, AFifoNamedWineserverInThePrefixRefusesChangesAtOnce) {
    ASSERT_TRUE(MakeFifo(prefix_ + "/wineserver"));
    ExpectRefused(prefix_ + "/wineserver", prefix_ + "/wineserver");
}

TEST_F(WineLockFiles, AFifoWhereWineKeepsItsLockRefusesChangesAtOnce) {
    const std::string lock = LockPath();
    ASSERT_FALSE(lock.empty());
    fs::create_directories(fs::path(lock).parent_path());
    ASSERT_TRUE(MakeFifo(lock));
    ExpectRefused(lock, lock);
}

TEST_F(WineLockFiles, APlainLockFileNobodyHoldsAllowsChanges) {
    const std::string lock = LockPath();
    ASSERT_FALSE(lock.empty());
    fs::create_directories(fs::path(lock).parent_path());
    WriteTextFile(lock, "");
    std::string error;
    auto registry = OpenWineRegistry(prefix_, &error);
    ASSERT_TRUE(registry) << error;
    EXPECT_EQ(registry->WriteRefusal(), std::nullopt);
    EXPECT_EQ(WineserverUncertainty(prefix_), std::nullopt);
}

TEST(WineRegistryFiles, ARegistryFileThatIsAFifoIsRefusedNotWaitedOn) {
    TempDir dir;
    testing::WriteTestPrefix(dir.path());
    fs::remove(dir / "user.reg");
    ASSERT_TRUE(MakeFifo(dir / "user.reg"));
    FifoUnblocker guard(dir / "user.reg");
    std::string error;
    EXPECT_FALSE(OpenWineRegistry(dir.path(), &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(guard.fired()) << "user.reg was opened for reading";
}

TEST(BackupFolders, AFolderOfAnotherUserIsRefusedForBackups) {
    TempDir dir;
    const std::string folder = dir / "theirs";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms(0755));
    if (::chown(folder.c_str(), 4242, 4242) != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    const auto refusal = SharedFolderRefusal(folder);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("belongs to another user"), std::string::npos) << *refusal;
    EXPECT_NE(refusal->find(folder), std::string::npos) << *refusal;

    const std::string file = dir / "BackUp 01-01-06 00-00-00";
    WriteTextFile(file, "");
    fs::permissions(file, fs::perms(0600));
    EXPECT_EQ(ForeignBackupFileRefusal(file), std::nullopt);
    ASSERT_EQ(::chown(file.c_str(), 4242, 4242), 0);
    ASSERT_TRUE(ForeignBackupFileRefusal(file));
    EXPECT_NE(ForeignBackupFileRefusal(file)->find("another user"), std::string::npos);
    // The user's own folder and root's are trusted.
    EXPECT_EQ(SharedFolderRefusal(dir.path()), std::nullopt);
}

}  // namespace
}  // namespace vostrel

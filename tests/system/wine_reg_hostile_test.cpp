// Registry files made to hurt: link cycles, keys nested far too deep, the
// temporary files of killed saves, and files not in Wine's own form, whose
// untouched lines a save must keep byte for byte.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/registry_walker.h"
#include "session/scan_session.h"
#include "support/scan_fakes.h"
#include "support/temp_dir.h"
#include "system/wine/wine_registry.h"
#include "wine_reg_test_prefix.h"

namespace vostrel {
namespace {

using testing::LinkValue;
using testing::ReadTextFile;
using testing::TempDir;
using testing::WriteTextFile;

const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
const std::string kTime = " 1796795856\n#time=1dd87a231203b4c\n";

using testing::Open;

// The data of every value a walk below `path` showed, in order.
std::vector<std::string> WalkShows(RegistryApi& registry, HKEY root, const std::string& path) {
    testing::FakeFileSystem files;
    testing::MemorySettings settings;
    testing::RecordingObserver observer;
    ScanSession session(registry, files, settings, observer);
    WalkRegistryKeys(session, root, path, "no check", "HKEY_LOCAL_MACHINE");
    return observer.values;
}

std::string Block(const std::string& key, const std::string& lines) {
    return "\n[" + key + "]" + kTime + lines;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------- link cycles

TEST(WineRegistryHostile, LinkCyclesAndSharedLinkTargetsAreWalkedOnce) {
    TempDir dir;
    // One link key under HKCR\CLSID that leads back to HKCR\CLSID itself,
    // next to two links to one key elsewhere.
    const std::string clsid = "Software\\\\Classes\\\\CLSID";
    const std::string machine =
        kHeader + Block(clsid + "\\\\{A}", "@=\"a\"\n") + Block(clsid + "\\\\{B}", "@=\"b\"\n") +
        Block(clsid + "\\\\Elsewhere",
              "#link\n" + LinkValue("\\Registry\\Machine\\Software\\Target")) +
        Block(clsid + "\\\\Elsewhere2",
              "#link\n" + LinkValue("\\Registry\\Machine\\Software\\Target")) +
        Block(clsid + "\\\\Loop",
              "#link\n" + LinkValue("\\Registry\\Machine\\Software\\Classes\\CLSID")) +
        Block("Software\\\\Target", "@=\"t\"\n") + Block("Software\\\\Target\\\\Sub", "@=\"s\"\n");
    testing::WriteTestPrefix(dir.path(), machine);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    // In Wine's order of names: Elsewhere, Elsewhere2, Loop, {A}, {B}.
    EXPECT_EQ(WalkShows(*registry, HKEY_CLASSES_ROOT, "CLSID"),
              (std::vector<std::string>{"t", "s", "a", "b"}));
    // The link's target walked directly is walked in full as well.
    EXPECT_EQ(WalkShows(*registry, HKEY_LOCAL_MACHINE, "Software\\Target"),
              (std::vector<std::string>{"s"}));
}

TEST(WineRegistryHostile, LinksIntoEachOtherEndAfterOneRound) {
    TempDir dir;
    // A -> B and B -> A, each also holding a value of its own sub-key.
    const std::string machine =
        kHeader +
        Block("Software\\\\A\\\\ToB", "#link\n" + LinkValue("\\Registry\\Machine\\Software\\B")) +
        Block("Software\\\\A\\\\Value", "@=\"in a\"\n") +
        Block("Software\\\\B\\\\ToA", "#link\n" + LinkValue("\\Registry\\Machine\\Software\\A")) +
        Block("Software\\\\B\\\\Value", "@=\"in b\"\n");
    testing::WriteTestPrefix(dir.path(), machine);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    EXPECT_EQ(WalkShows(*registry, HKEY_LOCAL_MACHINE, "Software\\A"),
              (std::vector<std::string>{"in b", "in a"}));
}

// ---------------------------------------------------------------- deep keys

std::string DeepPath(std::size_t depth) {
    std::string path = "Software\\\\Deep";
    for (std::size_t i = 0; i < depth; ++i) path += "\\\\k";
    return path;
}

TEST(WineRegistryHostile, AWalkStopsAtTheRegistrysDepthLimit) {
    TempDir dir;
    std::string machine = kHeader;
    std::string path = "Software\\\\Chain";
    for (int i = 1; i <= 600; ++i) {
        path += "\\\\k";
        machine += Block(path, "@=\"" + std::to_string(i) + "\"\n");
    }
    testing::WriteTestPrefix(dir.path(), machine);
    auto registry = Open(dir.path());
    ASSERT_TRUE(registry);
    const auto shown = WalkShows(*registry, HKEY_LOCAL_MACHINE, "Software\\Chain");
    ASSERT_EQ(shown.size(), 512u);
    EXPECT_EQ(shown.back(), "512");
}

// A key nested 100,000 levels deep is read, walked and saved (after a change
// elsewhere) without running out of stack, and kept as it was.
TEST(WineRegistryHostile, AKeyNestedFarTooDeepSurvivesAScanAndASave) {
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CRLF" : "Wine's form");
        TempDir dir;
        const std::string deepLine = "[" + DeepPath(100000) + "]" + kTime + "\"Leaf\"=\"z\"\n";
        std::string machine = kHeader + "\n" + deepLine +
                              Block("Software\\\\Other", "\"Gone\"=\"x\"\n\"Kept\"=\"y\"\n");
        if (crlf) machine = Crlf(machine);
        testing::WriteTestPrefix(dir.path(), machine);
        auto registry = Open(dir.path());
        ASSERT_TRUE(registry);
        EXPECT_EQ(WalkShows(*registry, HKEY_LOCAL_MACHINE, "Software\\Deep").size(), 0u);
        ScopedKey other(*registry);
        ASSERT_EQ(registry->OpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Other", KEY_ALL_ACCESS,
                                      other.out()),
                  ERROR_SUCCESS);
        ASSERT_EQ(registry->DeleteValue(other.get(), "Gone"), ERROR_SUCCESS)
            << registry->LastError();
        const std::string saved = ReadTextFile(dir / "system.reg");
        EXPECT_NE(saved.find(crlf ? Crlf(deepLine) : deepLine), std::string::npos);
        EXPECT_EQ(saved.find("\"Gone\""), std::string::npos);
        EXPECT_TRUE(Open(dir.path()));
    }
}

// ---------------------------------------------------------------- stale temporary files

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(WineRegistryHostile, OpeningRemovesOnlyTheTempFilesOfSavesWhoseProcessIsGone) {
    TempDir dir;
    testing::WriteTestPrefix(dir.path());
    const std::string dead = std::to_string(DeadPid());
    const std::string alive = std::to_string(::getpid());
    const std::string staleSystem = dir / ("system.reg.vostrel-" + dead + "-Ab3xYz");
    const std::string staleUser = dir / ("user.reg.vostrel-" + dead + "-q1w2e3");
    const std::string liveSave = dir / ("system.reg.vostrel-" + alive + "-Zz9Zz9");
    const std::string lockedSave = dir / ("userdef.reg.vostrel-" + dead + "-L0cked");
    const std::string oldForm = dir / "system.reg.vostrel-OldOne";
    const std::string recentOldForm = dir / "system.reg.vostrel-Recent";
    const std::string notOurs = dir / "system.reg.vostrel-" + dead;  // no random part
    const std::string other = dir / "system.reg.bak";
    for (const auto& path :
         {staleSystem, staleUser, liveSave, lockedSave, oldForm, recentOldForm, notOurs, other})
        WriteTextFile(path, "WINE REGISTRY Version 2\n;; half a sa");
    // A file of the older form (no pid) goes only once no save could still be writing it.
    const timeval longAgo[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimes(oldForm.c_str(), longAgo), 0);
    // A save still holds the lock on its file, whatever its name says.
    const int held = ::open(lockedSave.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_TRUE(Open(dir.path()));
    EXPECT_FALSE(Exists(staleSystem));
    EXPECT_FALSE(Exists(staleUser));
    EXPECT_FALSE(Exists(oldForm));
    EXPECT_TRUE(Exists(liveSave));
    EXPECT_TRUE(Exists(lockedSave));
    EXPECT_TRUE(Exists(recentOldForm));
    EXPECT_TRUE(Exists(notOurs));
    EXPECT_TRUE(Exists(other));
    ::close(held);
}

// The reproduction: a save killed with SIGKILL while its temporary file is
// there; the next open of the prefix leaves no temporary file behind.
TEST(WineRegistryHostile, ATempFileOfASaveKilledPartWayIsGoneAfterTheNextOpen) {
    TempDir dir;
    std::string machine = kHeader;
    for (int i = 0; i < 2000; ++i)
        machine += Block("Software\\\\Bulk\\\\K" + std::to_string(i),
                         "\"V\"=\"" + std::string(200, 'v') + "\"\n");
    testing::WriteTestPrefix(dir.path(), machine);
    auto temps = [&]() {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().filename().string().rfind("system.reg.vostrel-", 0) == 0)
                found.push_back(entry.path().string());
        return found;
    };
    bool caught = false;
    for (int round = 0; round < 20 && !caught; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string error;
            auto registry = OpenWineRegistry(dir.path(), &error);
            for (std::uint8_t n = 0; registry; ++n) {
                const std::uint8_t data[4] = {n, 0, 0, 0};
                registry->SetValueEx(HKEY_LOCAL_MACHINE, "Round", REG_DWORD, data, 4);
            }
            ::_exit(0);
        }
        while (temps().empty() && ::waitpid(child, nullptr, WNOHANG) == 0) {}
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        caught = !temps().empty();
    }
    if (!caught) GTEST_SKIP() << "no save was caught part way";
    ASSERT_TRUE(Open(dir.path()));
    EXPECT_EQ(temps(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vostrel

// A repair killed part way: the registry files still parse, and everything
// already removed is in the backup file and comes back.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "results/backup_file.h"
#include "results/repair.h"
#include "session/scan_session.h"
#include "support/shortcut_fakes.h"
#include "support/temp_dir.h"
#include "support/wine_prefix_fixture.h"
#include "system/registry.h"
#include "system/wine/wine_files.h"
#include "system/wine/wine_registry.h"

namespace fs = std::filesystem;
using namespace vostrel;
using namespace vostrel::testing;

namespace {

struct Planted {
    HKEY root;
    std::string rootName, key, name, missing;
};

const std::vector<Planted> kPlanted{
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
     "Gone1", "C:\\gone\\one.exe"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
     "Gone2", "C:\\gone\\two.exe"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
     "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone3.exe", "",
     "C:\\gone\\three.exe"},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT",
     "CLSID\\{0BAD0BAD-0000-0000-0000-000000000001}\\InprocServer32", "", "C:\\gone\\four.dll"},
};
const std::vector<std::string> kShortcuts{"users\\Public\\Desktop\\One.lnk", "ProgramData\\Two.lnk",
                                          "users\\Public\\Three.lnk"};

using Snapshot = std::map<std::string, std::pair<DWORD, std::vector<std::uint8_t>>>;

std::string Where(const Planted& p) { return p.rootName + "\\" + p.key + "\\" + p.name; }

Snapshot Values(RegistryApi& registry) {
    Snapshot values;
    for (const auto& p : kPlanted) {
        ScopedKey key(registry);
        registry.OpenKeyEx(p.root, p.key, KEY_READ, key.out());
        DWORD kind = 0;
        std::vector<std::uint8_t> data;
        if (registry.QueryValueRaw(key.get(), p.name, &kind, &data) == ERROR_SUCCESS)
            values[Where(p)] = {kind, data};
    }
    return values;
}

class RepairCrashTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!WineAvailable()) return;
        // The registry files of a real prefix and a drive C: holding only the
        // shortcuts: small enough to copy once per stop.
        pristine_ = new TempDir;
        TempDir full;
        CopyTemplatePrefix(full.path() + "/prefix");
        fs::create_directories(Prefix() + "/dosdevices");
        fs::create_directories(Prefix() + "/drive_c");
        fs::create_directory_symlink("../drive_c", Prefix() + "/dosdevices/c:");
        for (const char* hive : {"system.reg", "user.reg", "userdef.reg"})
            fs::copy_file(full.path() + "/prefix/" + hive, Prefix() + "/" + hive);
        std::string error;
        auto registry = OpenWineRegistry(Prefix(), &error);
        ASSERT_TRUE(registry) << error;
        registry->BeginBatch();
        for (const auto& p : kPlanted) {
            CreateKeyAndSetValue(*registry, p.root, p.key, p.name, "\"" + p.missing + "\" /run",
                                 REG_SZ);
        }
        ASSERT_TRUE(registry->EndBatch(&error)) << error;
        for (std::size_t i = 0; i < kShortcuts.size(); ++i) {
            std::string host = kShortcuts[i];
            for (char& c : host)
                if (c == '\\') c = '/';
            WriteTextFile(Prefix() + "/drive_c/" + host,
                          "shortcut " + std::to_string(i) + std::string(1, '\0'));
        }
    }
    static std::string Prefix() { return pristine_->path() + "/prefix"; }

    void SetUp() override {
        if (!WineAvailable()) GTEST_SKIP() << "wine is not installed";
    }

    // Repairs a copy of the prefix in a child process that dies after
    // `steps` steps (never, when negative); returns the copy's folder.
    std::string RepairAndDie(const TempDir& work, int steps) {
        const std::string prefix = work.path() + "/prefix";
        const std::string copy = "cp -a '" + Prefix() + "' '" + prefix + "'";
        EXPECT_EQ(std::system(copy.c_str()), 0);
        const pid_t child = fork();
        if (child == 0) {
            std::string error;
            auto registry = OpenWineRegistry(prefix, &error);
            if (!registry) _exit(3);
            WineFileSystem files(prefix, {});
            IniSettingsStore settings(work.path() + "/settings.ini");
            settings.Save("txtBackup", work.path() + "/backups");
            AnsweringObserver observer;
            ScanSession session(*registry, files, settings, observer);
            session.result.summary.push_back({"", "summary", 0});
            for (const auto& p : kPlanted) {
                RegistryProblem problem;
                problem.root = p.root;
                problem.valueName = p.name.empty() ? "(Default)" : p.name;
                problem.testedPath = p.missing;
                problem.keyPath = p.key;
                problem.rootName = p.rootName;
                session.result.problems.AddOf<RegistryProblem>(problem);
            }
            for (const auto& s : kShortcuts)
                session.result.problems.AddOf<ShortcutProblem>({"C:\\" + s, "", ""});
            int count = 0;
            RepairOptions options;
            options.afterStep = [&] {
                if (++count == steps) _exit(0);
            };
            RepairAll(session, options);
            _exit(steps < 0 ? 0 : 4);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_NE(WEXITSTATUS(status), 3);
        return prefix;
    }

    static inline TempDir* pristine_ = nullptr;
};

TEST_F(RepairCrashTest, EveryStopLeavesAPrefixThatRestoresCompletely) {
    std::string error;
    auto pristineRegistry = OpenWineRegistry(Prefix(), &error);
    ASSERT_TRUE(pristineRegistry) << error;
    const Snapshot before = Values(*pristineRegistry);
    ASSERT_EQ(before.size(), kPlanted.size());
    // Steps: every registry record, the registry save, every shortcut
    // record, every shortcut removal.
    const int total =
        static_cast<int>(kPlanted.size()) + 1 + 2 * static_cast<int>(kShortcuts.size());
    for (int steps = 1; steps <= total + 1; ++steps) {
        SCOPED_TRACE("stopped after " + std::to_string(steps) + " steps");
        TempDir work;
        const std::string prefix = RepairAndDie(work, steps > total ? -1 : steps);
        auto registry = OpenWineRegistry(prefix, &error);
        ASSERT_TRUE(registry) << "the registry files no longer parse: " << error;
        WineFileSystem files(prefix, {});
        IniSettingsStore settings(work.path() + "/settings.ini");
        std::vector<std::string> backups;
        for (const auto& entry : fs::directory_iterator(work.path() + "/backups"))
            if (entry.is_regular_file()) backups.push_back(entry.path().string());
        ASSERT_LE(backups.size(), 1u);
        if (!backups.empty()) {
            const RestoreReport report = RestoreBackupFile(*registry, files, settings, backups[0]);
            EXPECT_TRUE(report.ok()) << report.failures.front();
        }
        auto reread = OpenWineRegistry(prefix, &error);
        ASSERT_TRUE(reread) << error;
        EXPECT_EQ(Values(*reread), before);
        for (std::size_t i = 0; i < kShortcuts.size(); ++i) {
            std::string host = kShortcuts[i];
            for (char& c : host)
                if (c == '\\') c = '/';
            EXPECT_EQ(ReadTextFile(prefix + "/drive_c/" + host),
                      "shortcut " + std::to_string(i) + std::string(1, '\0'))
                << kShortcuts[i];
        }
    }
}

}  // namespace
